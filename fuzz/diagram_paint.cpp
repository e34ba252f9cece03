// Arbitrary bytes as a model file, and when it opens, what the window and the renderer do
// with it: a short run, then the whole diagram painted with its graphs and tables.
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace {

void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "fuzz_diagram_paint";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: Qt must not be torn down after its own statics.
    new QGuiApplication(argc, argv);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EnsureApplication();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string message;
    std::unique_ptr<TDataFile> document = TDataFile::LoadModelText(text, "", message);
    if (!document) return 0;

    TSimulationObject& model = *document->Simulation;
    if (model.CheckModel()) {
        model.Reset();
        for (int step = 0; step < 20 && !model.IsFinished(); ++step)
            model.Step();
    }
    TDrawImage& image = document->Image();
    QImage picture(240, 180, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter canvas(&picture);
    // The whole diagram shrunk to fit, then at 100 % from its origin, where graphs and
    // tables are large enough to show their axes, labels and rows.
    image.RenderTo(canvas, picture.width(), picture.height(), false, image.MeasureContent());
    image.RenderTo(canvas, picture.width(), picture.height(), false,
                   {0, 0, picture.width(), picture.height()});
    for (TOutputControlInstance* control : image.OutputControls)
        image.RenderTo(canvas, picture.width(), picture.height(), false,
                       control->Frame.Inflated(5, 5));
    return 0;
}
