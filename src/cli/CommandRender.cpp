// render: the diagram painted into PNG, SVG or PDF through the same painting code as the
// program's window and printed report.
#include "cli/CliCommands.h"
#include "cli/OutputFile.h"

#include "core/support/NumberFormat.h"
#include "core/support/Text.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/output/RenderImage.h"

#include <QtCore/QBuffer>
#include <QtGui/QGuiApplication>

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>

namespace {

QtMessageHandler PreviousHandler = nullptr;

// Painting needs fonts, and fonts need a GUI application; the tool has no window, so the
// offscreen platform serves whatever display there is or is not.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    // A headless machine often has no runtime folder; that concerns no picture we write.
    if (type == QtWarningMsg && text.contains(QLatin1String("XDG_RUNTIME_DIR"))) return;
    if (PreviousHandler) PreviousHandler(type, context, text);
}

} // namespace

std::unique_ptr<QGuiApplication> EnsureGuiApplication() {
    if (QCoreApplication::instance()) return nullptr;
    if (!PreviousHandler) PreviousHandler = qInstallMessageHandler(QuietMessages);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "quorvane-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

namespace {

std::string DocumentTitle(const TDataFile& document, const std::string& modelFile) {
    if (!document.Title.empty()) return document.Title;
    const size_t slash = modelFile.find_last_of('/');
    return slash == std::string::npos ? modelFile : modelFile.substr(slash + 1);
}

} // namespace

bool ImageFormatOf(const std::string& fileName, TImageFormat& format) {
    const std::string lower = Lower(fileName);
    if (EndsWith(lower, ".png"))
        format = ifPng;
    else if (EndsWith(lower, ".svg"))
        format = ifSvg;
    else if (EndsWith(lower, ".pdf"))
        format = ifPdf;
    else
        return false;
    return true;
}

int RenderDiagramFile(TDataFile& document, const std::string& fileName, TImageFormat format,
                      double zoom, std::ostream& err) {
    auto application = EnsureGuiApplication();
    TDrawImage& image = document.Image();
    TDrawRect area = PictureArea(image, false);
    // An empty diagram still makes a (blank) picture of the default extent.
    if (area.IsEmpty()) area = TDrawRect{0, 0, 100, 100}.Inflated(RenderMargin, RenderMargin);

    const double scale = zoom / 100;
    int32_t width = 0, height = 0;
    if (!PictureSize(area, scale, MaxRenderSide, width, height)) {
        const double w = std::ceil((static_cast<double>(area.Right) - area.Left) * scale);
        const double h = std::ceil((static_cast<double>(area.Bottom) - area.Top) * scale);
        err << "quorvane-cli: the picture would be " << FormatFloat("0", w) << " x "
            << FormatFloat("0", h) << " pixels, more than " << MaxRenderSide
            << " on a side; use a smaller --zoom\n";
        return csBadUsage;
    }

    // Opened before painting, so that a folder that cannot take the file is told at once.
    TOutputFile file(fileName);
    if (!file.Open()) return CliWriteError(err, fileName, file.Error());
    // The picture is made in memory, then written in one piece.
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    const QString title = QString::fromStdString(DocumentTitle(document, document.FileName));
    const TPictureFormat formats[] = {pfPng, pfSvg, pfPdf};
    const TPictureResult result =
        WritePicture(image, formats[format], width, height, area, false, title, bytes);
    if (result == prNoMemory) {
        err << "quorvane-cli: not enough memory for a " << width << " x " << height
            << " picture; use a smaller --zoom\n";
        return csFileError;
    }
    if (result != prPainted) return CliWriteError(err, fileName, "painting failed");
    const QByteArray& data = bytes.data();
    file.Stream().write(data.constData(), data.size());
    if (!file.Commit()) return CliWriteError(err, fileName, file.Error());
    return csSuccess;
}

int CommandRender(const TCliOptions& options, std::ostream& /*out*/, std::ostream& err) {
    TImageFormat format = ifPng;
    if (!ImageFormatOf(options.Files[1], format))
        return CliUsageError(err, "the image file must end in .png, .svg or .pdf");
    auto application = EnsureGuiApplication();
    std::unique_ptr<TDataFile> document;
    const int status =
        LoadModelForCli(options.Files[0], options.Run, DefaultMaxSteps, err, document);
    if (status != csSuccess) return status;
    return RenderDiagramFile(*document, options.Files[1], format, options.Zoom, err);
}
