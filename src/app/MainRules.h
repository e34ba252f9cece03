#pragma once
// The main window's rules that need no widget: recent files, shortened paths, the zoom
// box, when a run repaints, the time bar's geometry and the run buttons' states.

#include <array>
#include <cstdint>
#include <string>

class TSimulationObject;

using TRecentFiles = std::array<std::string, 4>;

// Puts name first; an equal entry among the first three (letter case counts) is taken
// out, otherwise the fourth drops off.
void AddRecentFile(TRecentFiles& files, const std::string& name);

// A path of at most n characters as it is; a longer one keeps its drive, the start of its
// folder part and the file name, with "..." and a separator in between.
std::string ShortenPath(const std::string& path, int n);

inline constexpr int MaxZoom = 1600;

// The zoom box's text as a percentage: '%' ignored, 100 when not a number, truncated,
// clamped to 1..MaxZoom before any conversion to an integer.
int ParseZoomText(const std::string& text);
// Zoom In and Zoom Out from the box's text: steps of 25, never below 25 nor above MaxZoom.
int ZoomStep(const std::string& text, bool zoomIn);
// The box's text for a zoom.
std::string ZoomText(double percent);

// Whether a tick of a continuous run repaints the view: always at the end of the run,
// otherwise only with screen updating on and at a whole multiple of the update interval.
bool ShouldRepaint(const TSimulationObject& simulation);

// The geometry of the time bar's strip and its markers, in pixels from the strip's left.
struct TTimeBarInput {
    double StartTime, StopTime, CurrentTime, ViewStart, ViewStop, Now;
    int32_t StripWidth;
};

struct TTimeBarLayout {
    bool SpanValid = false; // the run has a positive, finite span
    bool ShowProgress = false;
    int32_t ProgressWidth = 0;
    bool ShowCurrentLabel = false;
    int32_t CurrentX = 0; // centre of the current-time label
    bool ShowView = false;
    int32_t ViewStartX = 0, ViewStopX = 0; // label centres
    int32_t FrameLeft = 0, FrameRight = 0; // the view window's frame
    bool ShowNow = false;
    int32_t NowX = 0;
};

TTimeBarLayout LayoutTimeBar(const TTimeBarInput& input);

// The time bar's texts for a time: a whole number, or the float text of what has none.
std::string WholeTimeText(double time);

struct TRunButtonStates {
    bool RunPressed, RunEnabled, RunStepEnabled, BackEnabled, PausePressed, PauseEnabled;
    bool RunToEndPressed, RunToEndEnabled;
};

// toEnd: the advancing run is a Run to End, which presses its own button instead of Run's.
TRunButtonStates RunButtons(bool started, bool timerRunning, bool finished, bool toEnd = false);
