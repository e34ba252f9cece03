// The diagram window's surface: what it shows, its scroll bars and zoom.
#include "app/MainFormFixture.h"
#include "app/widgets/DrawSurface.h"
#include "document/diagram/DrawingObjects.h"

#include <QApplication>

TEST_F(MainFormTest, TheDiagramIsPaintedAndScrolledInDrawingUnits) {
    Start();
    Form->resize(700, 500);
    QApplication::processEvents();
    Form->LoadModel(Q((ExamplesFolder() / "supply_chain.qvf").string()), false);
    TFormMainView& view = *Form->MainView;
    EXPECT_EQ(view.ImageMain->accessibleName(), "Diagram");
    // Something of the model is on the surface: not every pixel is white.
    const QImage shown = view.ImageMain->Shown();
    ASSERT_FALSE(shown.isNull());
    bool inked = false;
    for (int y = 0; y < shown.height() && !inked; y += 2)
        for (int x = 0; x < shown.width() && !inked; x += 2)
            inked = shown.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_TRUE(inked);

    TDrawImage& image = Form->ActiveDocument()->Image();
    const TDrawRect visible = image.VisibleArea;
    // The model is wider than the view: the bar's page is the visible width.
    EXPECT_EQ(view.ScrollBarHorizontal->pageStep(), visible.Width());
    EXPECT_GT(view.ScrollBarHorizontal->maximum(), view.ScrollBarHorizontal->minimum());

    struct TCase {
        int Zoom;
        int Units;
        int Pixels;
    } cases[] = {{100, 30, 30}, {200, 10, 20}, {150, 20, 30}};
    for (const TCase& c : cases) {
        Form->ApplyZoom(c.Zoom);
        view.ScrollBarHorizontal->setValue(view.ScrollBarHorizontal->minimum());
        const int32_t before = image.ScrollX;
        view.ScrollBarHorizontal->setValue(view.ScrollBarHorizontal->value() + c.Units);
        EXPECT_EQ(image.ScrollX - before, c.Pixels)
            << "zoom " << c.Zoom << " range " << view.ScrollBarHorizontal->minimum() << ".."
            << view.ScrollBarHorizontal->maximum() << " value " << view.ScrollBarHorizontal->value()
            << " zoom " << image.Zoom;
    }
    const int64_t refreshes = view.RefreshCount;
    view.ScrollBarVertical->setValue(view.ScrollBarVertical->value() + 5);
    EXPECT_EQ(view.RefreshCount, refreshes + 1);
}
