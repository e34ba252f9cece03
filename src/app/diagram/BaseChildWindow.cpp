#include "app/diagram/BaseChildWindow.h"

TFormBaseChild::TFormBaseChild(TActionTarget* actions, QWidget* parent)
    : QWidget(parent), Actions(actions) {}

void TFormBaseChild::UpdateEditActions() {
    if (!Actions) return;
    for (int code : {acUndo, acCut, acCopy, acPaste, acDelete, acSelectAll, acPrint, acPrintPreview,
                     acPrintSetup})
        Actions->SetActionState(code, false, true);
}

void TFormBaseChild::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateEditActions();
}
