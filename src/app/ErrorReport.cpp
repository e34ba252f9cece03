#include "app/ErrorReport.h"

#include "app/Utilities.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

// A window of its own with a minimise button, kept above the main window.
constexpr Qt::WindowFlags ErrorLogFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint;

TFormModelErrors::TFormModelErrors(QWidget* parent) : QDialog(parent, ErrorLogFlags) {
    setObjectName("FormModelErrors");
    setWindowTitle("Errors");
    setModal(false);
    MemoErrors = new QPlainTextEdit(this);
    MemoErrors->setObjectName("MemoErrors");
    MemoErrors->setReadOnly(true);
    // Long messages wrap at the window's width rather than hide behind a scroll bar.
    MemoErrors->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    MemoErrors->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    MemoErrors->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoErrors->setAccessibleName("Errors");
    QPalette palette = MemoErrors->palette();
    palette.setColor(QPalette::Text, Qt::red);
    MemoErrors->setPalette(palette);
    PopupChk = new QCheckBox("Pop-up on New Error", this);
    PopupChk->setObjectName("PopupChk");
    PopupChk->setChecked(PopupOnNewError);
    ButtonHide = new QPushButton("Hide", this);
    ButtonHide->setObjectName("ButtonHide");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PopupChk);
    buttons->addStretch();
    buttons->addWidget(ButtonHide);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MemoErrors);
    layout->addLayout(buttons);
    resize(460, 220);
    connect(ButtonHide, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { HideByUser(); }); });
    connect(PopupChk, &QCheckBox::toggled, this, [this](bool on) {
        PopupOnNewError = on;
        emit PopupChanged(on);
    });
}

void TFormModelErrors::SetPopupOnNewError(bool on) {
    PopupOnNewError = on;
    PopupChk->setChecked(on);
}

void TFormModelErrors::ShowErrors(const std::vector<std::string>& messages) {
    if (messages.empty()) {
        // Nothing to show; whether the user asked to see the log stays as it was.
        HidingForEmpty = true;
        hide();
        HidingForEmpty = false;
        return;
    }
    QStringList lines;
    for (const std::string& message : messages)
        lines << Q(message);
    MemoErrors->setPlainText(lines.join('\n'));
    setWindowTitle(QString("Errors (%1)").arg(messages.size()));
    if (PopupOnNewError || ShowRequested) {
        if (!Placed) PlaceFirstTime();
        // A minimised log comes back for new messages.
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
    }
}

void TFormModelErrors::PlaceFirstTime() {
    QWidget* owner = parentWidget();
    if (!owner) return;
    // In the bottom right corner of the diagram, clear of the shapes the user is drawing in
    // the middle; where the user moves it afterwards, it stays.
    QRect area = owner->geometry();
    if (auto* frame = qobject_cast<QMainWindow*>(owner); frame && frame->centralWidget()) {
        const QWidget& central = *frame->centralWidget();
        area = QRect(central.mapToGlobal(QPoint(0, 0)), central.size());
    }
    // Before its first showing the window manager has not framed it yet: allow for a title.
    QSize outer = frameGeometry().size();
    if (outer == size())
        outer += QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    const QPoint corner =
        area.bottomRight() - QPoint(outer.width() + Margin, outer.height() + Margin);
    const QPoint inside(std::max(area.left(), corner.x()), std::max(area.top(), corner.y()));
    // A window's position is that of its frame, the title included.
    move(inside);
    Placed = true;
}

void TFormModelErrors::ClearErrors() {
    MemoErrors->clear();
    setWindowTitle("Errors");
    if (PopupOnNewError) {
        HidingForEmpty = true;
        hide();
        HidingForEmpty = false;
    }
}

void TFormModelErrors::HideByUser() {
    ShowRequested = false;
    hide();
}

void TFormModelErrors::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PopupChk->setChecked(PopupOnNewError);
    emit VisibilityChanged(true);
}

void TFormModelErrors::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    emit VisibilityChanged(false);
}

void TFormModelErrors::closeEvent(QCloseEvent* event) {
    ShowRequested = false;
    QDialog::closeEvent(event);
}

void TFormModelErrors::reject() {
    ShowRequested = false;
    QDialog::reject();
}
