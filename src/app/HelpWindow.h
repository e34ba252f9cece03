#pragma once
// The user guide, built into the program, in a window of its own.

#include <QWidget>

class QTextBrowser;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);
    // Scrolls to the first heading that reads heading; false when the guide has none.
    bool ShowSection(const QString& heading);

    QTextBrowser* Browser;
};

// The guide's address inside the program.
inline constexpr const char* UserGuideUrl = "qrc:/docs/user-guide.md";
