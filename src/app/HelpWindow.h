#pragma once
// The user guide, built into the program, in a window of its own.

#include <QWidget>

class QTextBrowser;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    QTextBrowser* Browser;
};

// The guide's address inside the program.
inline constexpr const char* UserGuideUrl = "qrc:/docs/user-guide.md";
