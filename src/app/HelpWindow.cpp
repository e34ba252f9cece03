#include "app/HelpWindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("HelpWindow");
    setWindowTitle("Quorvane User Guide");
    Browser = new QTextBrowser(this);
    Browser->setObjectName("TextBrowserHelp");
    Browser->setAccessibleName("User guide");
    Browser->setOpenExternalLinks(true);
    Browser->setSource(QUrl(UserGuideUrl), QTextDocument::MarkdownResource);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Browser);
    resize(760, 680);
}
