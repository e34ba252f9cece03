#include "app/HelpWindow.h"

#include <QImage>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// Pictures of the whole window would need sideways scrolling; they are shown narrower.
void FitImages(QTextBrowser& browser, int widest) {
    QTextDocument& document = *browser.document();
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QVariant resource =
                browser.loadResource(QTextDocument::ImageResource, QUrl(format.name()));
            const QImage image = resource.value<QImage>().isNull()
                                     ? QImage::fromData(resource.toByteArray())
                                     : resource.value<QImage>();
            if (image.isNull() || image.width() <= widest) continue;
            format.setWidth(widest);
            format.setHeight(static_cast<double>(image.height()) * widest / image.width());
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

} // namespace

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("HelpWindow");
    setWindowTitle("Quorvane User Guide");
    Browser = new QTextBrowser(this);
    Browser->setObjectName("TextBrowserHelp");
    Browser->setAccessibleName("User guide");
    Browser->setOpenExternalLinks(true);
    Browser->setSource(QUrl(UserGuideUrl), QTextDocument::MarkdownResource);
    FitImages(*Browser, 720);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Browser);
    resize(800, 760);
}

bool THelpWindow::ShowSection(const QString& heading) {
    QTextDocument& document = *Browser->document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0 || block.text().trimmed() != heading) continue;
        // To the end first, so that the heading comes to the top rather than the bottom.
        Browser->moveCursor(QTextCursor::End);
        Browser->setTextCursor(QTextCursor(block));
        Browser->ensureCursorVisible();
        return true;
    }
    return false;
}
