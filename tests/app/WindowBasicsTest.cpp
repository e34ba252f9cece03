// What a newcomer meets first in the main window: the zoom box takes what is typed into it and
// zooming keeps the middle of the view, the title bar names the model and shows unsaved
// changes, the help window closes like any other, and the Equations page shows whole words.
#include "app/DiagramFixture.h"
#include "app/HelpWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <tuple>

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

namespace {

// The width the help window gives its first picture, and the picture's own width.
std::pair<double, int> FirstPictureWidths(THelpWindow& help) {
    QTextDocument& document = *help.Browser->document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat()) {
                const QTextImageFormat format = it.fragment().charFormat().toImageFormat();
                const QImage image(":/docs/" + format.name());
                return {format.width(), image.width()};
            }
    return {0, 0};
}

} // namespace

TEST_F(MainFormTest, TheHelpWindowClosesLikeADialogAndShowsPicturesReadably) {
    Start();
    struct TCase {
        const char* Name;
        std::function<void(THelpWindow&)> Close;
    } cases[] = {{"Escape", [](THelpWindow& help) { QTest::keyClick(&help, Qt::Key_Escape); }},
                 {"Close", [](THelpWindow& help) { help.ButtonClose->click(); }}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Form->ActionHelp->trigger();
        THelpWindow& help = *Form->HelpWindow;
        ASSERT_TRUE(help.isVisible());
        QApplication::processEvents();
        // As it first opens, not only after the user resizes it.
        const auto [shown, natural] = FirstPictureWidths(help);
        EXPECT_GT(shown, std::min(natural, help.Browser->viewport()->width()) * 3 / 4);
        c.Close(help);
        EXPECT_FALSE(help.isVisible());
    }
    // On a wide enough screen the main window's picture is shown at its own size; in a narrow
    // window it is fitted to the page.
    THelpWindow& help = *Form->HelpWindow;
    help.show();
    help.resize(1300, 900);
    QApplication::processEvents();
    auto [shown, natural] = FirstPictureWidths(help);
    ASSERT_GT(natural, 600);
    EXPECT_EQ(shown, natural);
    help.resize(700, 600);
    QApplication::processEvents();
    std::tie(shown, natural) = FirstPictureWidths(help);
    EXPECT_LT(shown, 700);
    EXPECT_GT(shown, 500);
    help.close();
}

TEST_F(DiagramTest, TheTitleBarFollowsSavesAndEdits) {
    StartWith();
    const QString file = Q(Temp / "growth.qvf");
    // What the title bar shows: the file's name and the program's, or the program's alone,
    // with "*" while there are unsaved changes.
    auto shown = [&] {
        QString title = Form->windowTitle();
        return title.replace("[*]", Form->isWindowModified() ? "*" : "");
    };
    struct TCase {
        const char* Step;
        std::function<void()> Act;
        const char* Title;
        bool NamesTheFile;
    } cases[] = {
        {"new", [] {}, "Quorvane", false},
        {"an edit",
         [&] {
             UseTool("Constant"), Click({200, 200});
         },
         "Quorvane*", false},
        {"Save As",
         [&] {
             Hooks.FileNames.push_back(file);
             Form->ActionSave->trigger();
         },
         "growth.qvf \u2014 Quorvane", true},
        {"another edit",
         [&] {
             UseTool("Variable"), Click({300, 200});
         },
         "growth.qvf* \u2014 Quorvane", true},
        {"Undo", [&] { Form->ActionUndo->trigger(); }, "growth.qvf* \u2014 Quorvane", true},
        {"Save", [&] { Form->ActionSave->trigger(); }, "growth.qvf \u2014 Quorvane", true},
        {"notes", [&] { View().RichEditNotes->setPlainText("Customers grow"); },
         "growth.qvf* \u2014 Quorvane", true},
        {"New without saving",
         [&] {
             Hooks.Answers.push_back(mbNo);
             Form->ActionNew->trigger();
         },
         "Quorvane", false},
        {"Open", [&] { Form->LoadModel(file, false); }, "growth.qvf \u2014 Quorvane", true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Step);
        c.Act();
        EXPECT_EQ(shown(), QString::fromUtf8(c.Title));
        EXPECT_EQ(Form->windowFilePath(), c.NamesTheFile ? file : QString());
    }
    TakeMessages();
}
