#include "app/MainRules.h"

#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"

#include <algorithm>
#include <cmath>

void AddRecentFile(TRecentFiles& files, const std::string& name) {
    size_t drop = 3;
    for (size_t i = 0; i < 3; ++i)
        if (files[i] == name) {
            drop = i;
            break;
        }
    for (size_t i = drop; i > 0; --i)
        files[i] = files[i - 1];
    files[0] = name;
}

std::string ShortenPath(const std::string& path, int n) {
    if (path.empty()) return {};
    if (static_cast<int64_t>(path.size()) <= n) return path;
    const size_t cut = path.find_last_of("/\\");
    const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    const char separator = cut == std::string::npos ? '\\' : path[cut];
    auto driveColon = [&](size_t length) { return folder.size() >= length && folder[1] == ':'; };
    if (folder.size() == 3 && folder[1] == ':' && folder[2] == '\\') return folder + name;
    size_t drive = 0;
    if (driveColon(3) && folder[2] == '\\')
        drive = 3;
    else if (driveColon(2))
        drive = 2;
    const int64_t keep = std::max<int64_t>(0, static_cast<int64_t>(n) -
                                                  static_cast<int64_t>(drive + name.size() + 4));
    const std::string rest = folder.substr(drive);
    return folder.substr(0, drive) + rest.substr(0, static_cast<size_t>(keep)) + "..." + separator +
           name;
}

int ParseZoomText(const std::string& text) {
    std::string t = text;
    std::replace(t.begin(), t.end(), '%', ' ');
    double value = 0;
    if (!TryStrToFloat(TrimSpaces(t), value) || std::isnan(value)) value = 100;
    // Clamped first: a long string of digits must not overflow the integer.
    value = std::clamp(value, 1.0, static_cast<double>(MaxZoom));
    return std::max(1, static_cast<int>(value));
}

int ZoomStep(const std::string& text, bool zoomIn) {
    const int z = ParseZoomText(text);
    const int k = std::max(1, z / 25 + (zoomIn ? 1 : -1));
    return std::min(MaxZoom, k * 25);
}

std::string ZoomText(double percent) {
    return WholeTimeText(percent) + "%";
}

bool ShouldRepaint(const TSimulationObject& simulation) {
    if (simulation.IsFinished()) return true;
    if (!simulation.UpdateScreen) return false;
    const double q = simulation.CurrentTime / simulation.TimeStep / simulation.UpdateInterval;
    if (!std::isfinite(q)) return false;
    // The clock adds up steps, so a multiple may sit just below a whole number as well as
    // just above it.
    return std::fabs(q - std::round(q)) <= FloatTolerance;
}

namespace {

int32_t ClampPixel(double x, int32_t width) {
    if (std::isnan(x)) return 0;
    return static_cast<int32_t>(std::trunc(std::clamp(x, 0.0, static_cast<double>(width))));
}

} // namespace

TTimeBarLayout LayoutTimeBar(const TTimeBarInput& in) {
    TTimeBarLayout out;
    const int32_t width = std::max(0, in.StripWidth);
    const double span = in.StopTime - in.StartTime;
    out.SpanValid = std::isfinite(in.StartTime) && std::isfinite(span) && span > 0;
    if (!out.SpanValid) return out;
    const double scale = width / span;
    const double inner = std::max(0, width - 2) / span;
    const bool atStart = SameValue(in.CurrentTime, in.StartTime);
    const double p = (in.CurrentTime - in.StartTime) / span;
    out.ShowProgress = !atStart && std::isfinite(p);
    if (out.ShowProgress) out.ProgressWidth = ClampPixel((width - 2) * p, std::max(0, width - 2));
    out.ShowCurrentLabel = out.ShowProgress && !SameValue(in.CurrentTime, in.StopTime);
    out.CurrentX = out.ShowProgress ? ClampPixel((width - 2) * p, width) : 0;
    out.ShowView = std::isfinite(in.ViewStart) && std::isfinite(in.ViewStop);
    if (out.ShowView) {
        out.ViewStartX = ClampPixel((in.ViewStart - in.StartTime) * scale, width);
        out.ViewStopX = ClampPixel((in.ViewStop - in.StartTime) * scale, width);
        out.FrameLeft = ClampPixel((in.ViewStart - in.StartTime) * inner + 1, width);
        out.FrameRight = ClampPixel((in.ViewStop - in.StartTime) * inner + 1, width);
    }
    out.ShowNow = std::isfinite(in.Now) && in.Now > in.StartTime;
    if (out.ShowNow) out.NowX = ClampPixel((in.Now - in.StartTime) * scale, width);
    return out;
}

std::string WholeTimeText(double time) {
    if (!std::isfinite(time) || std::fabs(time) >= 9e18) return FloatToStr(time);
    return IntToStr(static_cast<int64_t>(std::trunc(time)));
}

TRunButtonStates RunButtons(bool started, bool timerRunning, bool finished, bool toEnd) {
    TRunButtonStates s{};
    const bool advancing = started && timerRunning && !finished;
    s.RunPressed = advancing && !toEnd;
    s.RunToEndPressed = advancing && toEnd;
    s.RunEnabled = !finished;
    s.RunToEndEnabled = !finished;
    s.RunStepEnabled = !finished;
    s.BackEnabled = started;
    s.PausePressed = started && !timerRunning && !finished;
    s.PauseEnabled = started && !finished;
    return s;
}
