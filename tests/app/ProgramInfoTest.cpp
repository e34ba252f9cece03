// What the desktop program says about itself before and after its window opens: the
// answers to --help and --version, the missing display, its icon and the about box.
#include "app/ProgramInfo.h"
#include "app/MainFormFixture.h"
#include "core/support/Version.h"

#include <QIcon>
#include <QImage>
#include <QMessageBox>

#include <map>
#include <sstream>

TEST(ProgramInfo, InfoOptionsAnswerWithoutAWindow) {
    struct TCase {
        std::vector<std::string> Args;
        bool Answered;
        const char* OutHas;
    } cases[] = {
        {{"--version"}, true, "quorvane 1.0.11.167\n"},
        {{"--help"}, true, "Usage: quorvane [MODEL]\n"},
        {{"-h"}, true, "Exit status:\n  0  the window was closed\n"},
        {{"--help", "model.qvf"}, true, "Files:\n"},
        // Only the first argument: the rest forms a file name, blanks and all.
        {{"My", "--version"}, false, ""},
        {{"model.qvf"}, false, ""},
        {{}, false, ""},
    };
    for (const TCase& c : cases) {
        std::ostringstream out;
        SCOPED_TRACE(c.Args.empty() ? std::string("(none)") : c.Args.front());
        EXPECT_EQ(AnswerInfoOption(c.Args, out), c.Answered);
        EXPECT_NE(out.str().find(c.OutHas), std::string::npos) << out.str();
        if (!c.Answered) {
            EXPECT_TRUE(out.str().empty());
        }
    }
    EXPECT_NE(ProgramHelp().find(std::string("  -h, --help")), std::string::npos);
}

TEST(ProgramInfo, ADisplayIsExpectedOnlyWhereQtCanFindOne) {
    struct TCase {
        std::map<std::string, std::string> Environment;
        std::vector<std::string> Args;
        bool Expected;
    } cases[] = {
        {{}, {}, false},
        {{{"DISPLAY", ""}}, {"model.qvf"}, false},
        {{{"DISPLAY", ":0"}}, {}, true},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, {}, true},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, {}, true},
        {{}, {"-platform", "offscreen"}, true},
        {{}, {"--platform", "vnc"}, true},
    };
    for (const TCase& c : cases) {
        auto environment = [&](const char* name) {
            const auto it = c.Environment.find(name);
            return it == c.Environment.end() ? std::string() : it->second;
        };
        EXPECT_EQ(DisplayAvailable(c.Args, environment), c.Expected)
            << c.Environment.size() << " variables, " << c.Args.size() << " arguments";
    }
    EXPECT_NE(NoDisplayMessage().find("xvfb-run quorvane"), std::string::npos);
}

TEST(ProgramInfo, TheIconIsDrawnAtEverySizeOfTheTheme) {
    const QIcon icon = ProgramIcon();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
        const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        // The corners are transparent around the rounded square; the middle of the stock
        // on the right is drawn.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(size * 3 / 4, size / 2)), 255);
    }
}

TEST_F(MainFormTest, AboutShowsTheIconAndTheVersion) {
    Start();
    QString text, title;
    QImage picture;
    Hooks.OnDialog = [&](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->objectName(), "AboutBox");
        text = box->text();
        title = box->windowTitle();
        picture = box->iconPixmap().toImage();
        dialog.accept();
    };
    Form->ActionAbout->trigger();
    EXPECT_EQ(text, QString("Version ") + ProgramVersion);
    EXPECT_EQ(title, "About Quorvane");
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size() / picture.devicePixelRatio(), QSize(64, 64));
    EXPECT_EQ(picture, ProgramIcon().pixmap(QSize(64, 64), picture.devicePixelRatio()).toImage());
}
