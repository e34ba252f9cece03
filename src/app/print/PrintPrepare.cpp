#include "app/print/PrintPrepare.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

TFormPrintPrepare::TFormPrintPrepare(QWidget* parent) : QDialog(parent) {
    setObjectName("FormPrintPrepare");
    setWindowTitle("Preparing Report");
    setWindowModality(Qt::ApplicationModal);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setCursor(Qt::WaitCursor);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setTextVisible(false);
    ProgressBar->setMinimumWidth(280);
    ButtonCancel = new QPushButton("Cancel", this);
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonCancel->setCursor(Qt::ArrowCursor);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar);
    layout->addWidget(ButtonCancel, 0, Qt::AlignHCenter);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormPrintPrepare::reject);
}

void TFormPrintPrepare::Start(int maximum) {
    ProgressBar->setRange(0, std::max(1, maximum));
    ProgressBar->setValue(0);
    CancelRequested = false;
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
}

void TFormPrintPrepare::Step() {
    ProgressBar->setValue(ProgressBar->value() + 1);
}

void TFormPrintPrepare::Finish() {
    hide();
}

void TFormPrintPrepare::closeEvent(QCloseEvent* event) {
    CancelRequested = true;
    QDialog::closeEvent(event);
}

void TFormPrintPrepare::reject() {
    CancelRequested = true;
    hide();
}
