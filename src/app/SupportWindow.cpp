#include "app/SupportWindow.h"

#include "app/Utilities.h"
#include "core/support/Version.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSysInfo>
#include <QVBoxLayout>

TSupportFacts GatherSupportFacts(const QString& recoveryFolder) {
    TSupportFacts facts;
    facts.ProgramVersion = ProgramVersion;
    facts.QtVersion = qVersion();
    if (facts.QtVersion != QT_VERSION_STR)
        facts.QtVersion += QString(" (built with %1)").arg(QT_VERSION_STR);
    facts.System = QString("%1, %2 %3, %4")
                       .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(),
                            QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture());
    // The same store the recent files are kept in.
    facts.SettingsFile = QSettings("Quorvane", "Quorvane Desktop").fileName();
    facts.RecoveryFolder = recoveryFolder;
    return facts;
}

QString SupportReport(const TSupportFacts& facts) {
    return QString("Quorvane version: %1\n"
                   "Qt version: %2\n"
                   "System: %3\n"
                   "Settings: %4\n"
                   "Recovery copies: %5\n")
        .arg(facts.ProgramVersion, facts.QtVersion, facts.System, facts.SettingsFile,
             facts.RecoveryFolder);
}

TFormSupport::TFormSupport(QWidget* parent) : QDialog(parent) {
    setObjectName("FormSupport");
    setWindowTitle("Support");
    setModal(false);
    auto* intro =
        new QLabel("Something not working as you expect? The user guide's troubleshooting section "
                   "answers the common questions.\n\n"
                   "To report a problem, press Copy and paste the text below into your message, "
                   "with the steps that lead to the problem and, if you can, the model file.",
                   this);
    intro->setWordWrap(true);
    MemoFacts = new QPlainTextEdit(this);
    MemoFacts->setObjectName("MemoFacts");
    MemoFacts->setAccessibleName("Support information");
    MemoFacts->setReadOnly(true);
    MemoFacts->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    MemoFacts->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    ButtonTroubleshooting = new QPushButton("Troubleshooting", this);
    ButtonTroubleshooting->setObjectName("ButtonTroubleshooting");
    ButtonTroubleshooting->setToolTip("Opens the user guide at its troubleshooting section");
    ButtonCopy = new QPushButton("Copy", this);
    ButtonCopy->setObjectName("ButtonCopy");
    ButtonCopy->setToolTip("Copies the text above for a problem report");
    ButtonClose = new QPushButton("Close", this);
    ButtonClose->setObjectName("ButtonClose");
    ButtonClose->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButtonTroubleshooting);
    buttons->addStretch();
    buttons->addWidget(ButtonCopy);
    buttons->addWidget(ButtonClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(MemoFacts, 1);
    layout->addLayout(buttons);
    resize(560, 320);
    connect(ButtonCopy, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { CopyReport(); }, this); });
    connect(ButtonTroubleshooting, &QPushButton::clicked, this,
            &TFormSupport::TroubleshootingRequested);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::close);
}

void TFormSupport::Fill(const TSupportFacts& facts) {
    Facts = facts;
    MemoFacts->setPlainText(SupportReport(facts));
}

void TFormSupport::CopyReport() {
    QGuiApplication::clipboard()->setText(SupportReport(Facts));
}
