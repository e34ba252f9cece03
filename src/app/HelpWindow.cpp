#include "app/HelpWindow.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QKeySequence>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("HelpWindow");
    setWindowTitle("Quorvane User Guide");
    Browser = new QTextBrowser(this);
    Browser->setObjectName("TextBrowserHelp");
    Browser->setAccessibleName("User guide");
    Browser->setOpenExternalLinks(true);
    Browser->setSource(QUrl(UserGuideUrl), QTextDocument::MarkdownResource);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    ButtonClose = buttons->button(QDialogButtonBox::Close);
    ButtonClose->setObjectName("ButtonClose");
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    // Escape closes it as it closes a dialog.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->addWidget(Browser);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(6, 0, 6, 0);
    row->addWidget(buttons);
    layout->addLayout(row);
    // Wide enough for the pictures of the main window to be read at their own size.
    QSize size(1240, 880);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
    // The page's width is known only once the layout has sized the viewport, which on a real
    // display happens after the window's own first resize.
    Browser->viewport()->installEventFilter(this);
}

bool THelpWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Browser->viewport() && event->type() == QEvent::Resize) FitImages();
    return QWidget::eventFilter(watched, event);
}

void THelpWindow::FitImages() {
    QTextDocument& document = *Browser->document();
    const int scrollBar = Browser->verticalScrollBar()->sizeHint().width();
    const int widest = std::max(200, Browser->viewport()->width() - scrollBar -
                                         2 * static_cast<int>(document.documentMargin()));
    if (widest == FittedWidth) return;
    FittedWidth = widest;
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            auto known = ImageSizes.find(format.name());
            if (known == ImageSizes.end()) {
                const QVariant resource =
                    Browser->loadResource(QTextDocument::ImageResource, QUrl(format.name()));
                const QImage image = resource.value<QImage>().isNull()
                                         ? QImage::fromData(resource.toByteArray())
                                         : resource.value<QImage>();
                known = ImageSizes.emplace(format.name(), image.size()).first;
            }
            const QSize natural = known->second;
            if (natural.isEmpty()) continue;
            const int width = std::min(natural.width(), widest);
            format.setWidth(width);
            format.setHeight(static_cast<double>(natural.height()) * width / natural.width());
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
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
