#pragma once
// The user guide, built into the program, in a window of its own.

#include <QSize>
#include <QWidget>

#include <map>

class QPushButton;
class QTextBrowser;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);
    // Scrolls to the first heading that reads heading; false when the guide has none.
    bool ShowSection(const QString& heading);

    QTextBrowser* Browser;
    QPushButton* ButtonClose;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Pictures wider than the page are shown at the page's width, never wider than they are.
    void FitImages();
    std::map<QString, QSize> ImageSizes; // by resource name, as the pictures are
    int FittedWidth = -1;
};

// The guide's address inside the program.
inline constexpr const char* UserGuideUrl = "qrc:/docs/user-guide.md";
