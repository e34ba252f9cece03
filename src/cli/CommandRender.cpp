// render: the diagram painted into PNG, SVG or PDF through the same painting code as the
// program's window and printed report.
#include "cli/CliCommands.h"
#include "cli/OutputFile.h"

#include "core/support/NumberFormat.h"
#include "core/support/Text.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <QtCore/QBuffer>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPdfWriter>
#include <QtSvg/QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>

namespace {

// Blank drawing units kept around the content so that nothing touches the picture's edge.
constexpr int32_t RenderMargin = 10;

QtMessageHandler PreviousHandler = nullptr;

// Painting needs fonts, and fonts need a GUI application; the tool has no window, so the
// offscreen platform serves whatever display there is or is not.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    // A headless machine often has no runtime folder; that concerns no picture we write.
    if (type == QtWarningMsg && text.contains(QLatin1String("XDG_RUNTIME_DIR"))) return;
    if (PreviousHandler) PreviousHandler(type, context, text);
}

std::unique_ptr<QGuiApplication> EnsureGuiApplication() {
    if (QCoreApplication::instance()) return nullptr;
    if (!PreviousHandler) PreviousHandler = qInstallMessageHandler(QuietMessages);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "quorvane-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

void PaintDiagram(TDrawImage& image, QPainter& canvas, int32_t width, int32_t height,
                  const TDrawRect& content) {
    canvas.fillRect(QRect(0, 0, width, height), Qt::white);
    image.RenderTo(canvas, width, height, false, content);
}

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
    TDrawRect content = image.MeasureContent();
    if (content.IsEmpty()) content = {0, 0, 100, 100};
    content = content.Inflated(RenderMargin, RenderMargin);

    const double scale = zoom / 100;
    const double w = std::ceil(content.Width() * scale), h = std::ceil(content.Height() * scale);
    if (!(w <= MaxRenderSide && h <= MaxRenderSide)) {
        err << "quorvane-cli: the picture would be " << FormatFloat("0", w) << " x "
            << FormatFloat("0", h) << " pixels, more than " << MaxRenderSide
            << " on a side; use a smaller --zoom\n";
        return csBadUsage;
    }
    const int32_t width = std::max(1, static_cast<int32_t>(w));
    const int32_t height = std::max(1, static_cast<int32_t>(h));

    // Opened before painting, so that a folder that cannot take the file is told at once.
    TOutputFile file(fileName);
    if (!file.Open()) return CliWriteError(err, fileName, file.Error());
    // The picture is made in memory, then written in one piece.
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    const QString title = QString::fromStdString(DocumentTitle(document, document.FileName));
    bool painted = true;
    if (format == ifPng) {
        QImage picture(width, height, QImage::Format_RGB32);
        if (picture.isNull()) {
            err << "quorvane-cli: not enough memory for a " << width << " x " << height
                << " picture; use a smaller --zoom\n";
            return csFileError;
        }
        {
            QPainter canvas(&picture);
            PaintDiagram(image, canvas, width, height, content);
        }
        painted = picture.save(&bytes, "PNG");
    } else if (format == ifSvg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&bytes);
        generator.setSize(QSize(width, height));
        generator.setViewBox(QRect(0, 0, width, height));
        generator.setResolution(96);
        generator.setTitle(title);
        generator.setDescription(QStringLiteral("Quorvane diagram"));
        QPainter canvas;
        painted = canvas.begin(&generator);
        if (painted) {
            PaintDiagram(image, canvas, width, height, content);
            painted = canvas.end();
        }
    } else {
        QPdfWriter writer(&bytes);
        writer.setResolution(96);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Quorvane"));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(QPageSize(QSizeF(width * 72.0 / 96, height * 72.0 / 96),
                                     QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter canvas;
        painted = canvas.begin(&writer);
        if (painted) {
            PaintDiagram(image, canvas, width, height, content);
            painted = canvas.end();
        }
    }
    if (!painted) return CliWriteError(err, fileName, "painting failed");
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
