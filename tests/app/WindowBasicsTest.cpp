// What a newcomer meets first in the main window: the zoom box takes what is typed into it and
// zooming keeps the middle of the view, the title bar names the model and shows unsaved
// changes, the help window closes like any other, and the Equations page shows whole words.
#include "app/DiagramFixture.h"

#include <QComboBox>
#include <QLineEdit>

TEST_F(DiagramTest, TypedZoomValuesApplyOnEnterAndZoomKeepsTheCentre) {
    StartWith(StockModel());
    Form->show();
    QApplication::processEvents();
    QComboBox& box = *Form->ComboBoxZoom;
    // The drawing point in the middle of the view, in drawing units.
    auto centre = [&] {
        const double s = Drawing().Zoom / 100;
        return QPointF((Drawing().ScrollX + View().ImageMain->width() / 2.0) / s,
                       (Drawing().ScrollY + View().ImageMain->height() / 2.0) / s);
    };
    const QPointF middle = centre();
    struct TCase {
        const char* Typed;
        const char* Shown; // what the box shows after Enter
        float Zoom;
    } cases[] = {{"150", "150%", 150},     {"250", "250%", 250},  {"1600", "1600%", 1600},
                 {"33", "33%", 33},        {"400%", "400%", 400}, {"5", "13%", 13},
                 {"99999", "1600%", 1600}, {"100", "100%", 100}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Typed);
        // Typed as a user types: the keys go to whatever holds the focus, the box itself.
        box.setFocus();
        box.lineEdit()->selectAll();
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClicks(focus, c.Typed);
        QTest::keyClick(focus, Qt::Key_Return);
        EXPECT_EQ(box.currentText(), c.Shown);
        EXPECT_FLOAT_EQ(Drawing().Zoom, c.Zoom);
        EXPECT_EQ(Form->ZoomText, c.Shown);
        // Scroll positions are whole pixels: at 13 % one pixel is almost 8 drawing units.
        EXPECT_NEAR(centre().x(), middle.x(), 8.0);
        EXPECT_NEAR(centre().y(), middle.y(), 8.0);
    }
    // Escape puts back what was applied.
    box.setFocus();
    box.lineEdit()->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), "300");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(box.currentText(), "100%");
    EXPECT_FLOAT_EQ(Drawing().Zoom, 100);
}
