#include "app/dialogs/ChoiceDialog.h"

#include "app/Utilities.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

TChoiceLayout ChoiceLayout(const std::vector<int>& captionWidths) {
    const int n = static_cast<int>(captionWidths.size());
    int widest = 32;
    for (int width : captionWidths)
        widest = std::max(widest, width);
    const int buttonWidth = widest + 32;
    const int margin = std::max(64 / std::max(1, n - 2), 16);
    return {buttonWidth, margin, n * buttonWidth + std::max(0, n - 1) * 16 + 2 * margin};
}

TFormMultiButtonDlg::TFormMultiButtonDlg(const QString& message, int iconKind,
                                         const QStringList& captions, int defaultButton,
                                         int cancelButton, QWidget* parent)
    : QDialog(parent) {
    setObjectName("FormMultiButtonDlg");
    setWindowTitle(QApplication::applicationDisplayName());
    auto* column = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    column->addLayout(top);
    const QStyle::StandardPixmap icons[] = {
        QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxCritical,
        QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxQuestion};
    if (iconKind >= 0 && iconKind < 4) {
        auto* icon = new QLabel(this);
        icon->setObjectName("ImageIcon");
        icon->setPixmap(style()->standardIcon(icons[iconKind]).pixmap(32, 32));
        icon->setAlignment(Qt::AlignTop);
        top->addWidget(icon);
    }
    auto* text = new QLabel(message, this);
    text->setObjectName("LabelMessage");
    text->setWordWrap(true);
    top->addWidget(text, 1);

    std::vector<int> widths;
    for (const QString& caption : captions)
        widths.push_back(fontMetrics().horizontalAdvance(caption));
    const TChoiceLayout layout = ChoiceLayout(widths);
    const int n = static_cast<int>(captions.size());
    const int cancel = cancelButton == -1 ? n : cancelButton;
    auto* row = new QHBoxLayout;
    row->setContentsMargins(layout.Margin, 7, layout.Margin, 0);
    row->setSpacing(16);
    column->addLayout(row);
    for (int i = 1; i <= n; ++i) {
        auto* button = new QPushButton(captions[i - 1], this);
        button->setObjectName(QStringLiteral("Button%1").arg(i));
        button->setFixedSize(layout.ButtonWidth, std::max(23, button->sizeHint().height()));
        button->setAutoDefault(false);
        if (i == defaultButton) button->setDefault(true);
        const int result = i == cancel ? ChoiceCancelled : i + 9;
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        row->addWidget(button);
    }
    setMinimumWidth(layout.ClientWidth);
}

int ShowChoiceDialog(const QString& message, int iconKind, const QStringList& captions,
                     int defaultButton, int cancelButton, QWidget* parent) {
    TFormMultiButtonDlg dialog(message, iconKind, captions, defaultButton, cancelButton,
                               parent ? parent : QApplication::activeWindow());
    const int answer = Hooks().Exec(dialog);
    // Escape and the close box reject the dialog: the same as the cancel button.
    return answer == QDialog::Rejected ? ChoiceCancelled : dialog.result();
}
