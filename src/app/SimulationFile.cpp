// The main window's file commands, recent files, zoom box and start-up.
#include "app/SimulationMain.h"

#include "app/ErrorReport.h"
#include "app/Recovery.h"
#include "app/Utilities.h"
#include "app/diagram/MainView.h"
#include "document/diagram/DrawingObjects.h"
#include "document/mdl/Mdl.h"
#include "document/model/DataFile.h"
#include "document/model/DataImport.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QStatusBar>
#include <QStringList>
#include <QTimer>

#include <filesystem>

namespace {

const QString ModelFilter = "Quorvane files (*.qvf)";
const QString XmileFilter = "XMILE models (*.xmile *.xml *.stmx)";
const QString MdlFilter = "Vensim models (*.mdl)";
const QString DataFilter = "CSV data (*.csv *.txt *.tsv);;All files (*)";
const QString OpenFilter =
    "Quorvane, XMILE and Vensim models (*.qvf *.xmile *.xml *.stmx *.mdl);;" + ModelFilter + ";;" +
    XmileFilter + ";;" + MdlFilter;

QSettings RecentSettings() {
    return QSettings("Quorvane", "Quorvane Desktop");
}

} // namespace

void TSimulationMainForm::StartUp() {
    TimerStartUp->stop();
    if (Document) return;
    ZoomText = ComboBoxZoom->currentText();
    ReplaceDocument(std::make_unique<TDataFile>());
    ReadRecentFiles();
    UpdateRecentMenu();
    ActionSave->setEnabled(true);
    ActionSaveAs->setEnabled(true);
    ActionExportXmile->setEnabled(true);
    ActionImportData->setEnabled(true);
    show();
    TimerRecovery->start();
    if (Recovery->OfferRecovery(*this)) return;
    if (!CommandLine.isEmpty() && QFileInfo(CommandLine).isFile()) LoadModel(CommandLine, false);
}

void TSimulationMainForm::StopTimerForReplacement() {
    TimerSimulation->stop();
    RunningToEnd = false;
}

void TSimulationMainForm::ReplaceDocument(std::unique_ptr<TDataFile> document) {
    // Whatever was running belonged to the old model.
    StopTimerForReplacement();
    std::unique_ptr<TDataFile> old = std::move(Document);
    Document = std::move(document);
    Document->StateChanged = [this] { ShowCaption(); };
    MainView->SetDocument(Document.get());
    if (old) old->StateChanged = nullptr;
    old.reset();
    Document->MakeCurrent();
    Recovery->Remove();
    ShowDocumentZoom();
    ShowFileName();
    ErrorLog->ClearErrors();
    LockEditing(false);
    UpdateTimeBar();
}

void TSimulationMainForm::InstallRecovered(std::unique_ptr<TDataFile> document) {
    ReplaceDocument(std::move(document));
    StatusFile->setText(Q(Document->FileName));
    Document->Simulation->CheckModel();
}

void TSimulationMainForm::ShowFileName() {
    StatusFile->setText(Document && Document->HasFile ? Q(Document->FileName) : QString());
    ShowCaption();
}

void TSimulationMainForm::ShowCaption() {
    const bool named = Document && Document->HasFile && !Document->FileName.empty();
    const QString path = named ? Q(Document->FileName) : QString();
    // The program's name is added here rather than by Qt's display name, which would also
    // follow "Quorvane*" and read "Quorvane* — Quorvane"; "[*]" is where the unsaved mark goes.
    const QString caption =
        named ? QFileInfo(path).fileName() + "[*] \u2014 Quorvane" : QString("Quorvane[*]");
    if (windowFilePath() != path || Caption != caption) {
        Caption = caption;
        setWindowTitle(caption);
        setWindowFilePath(path);
    }
    const bool modified = Document && Document->IsModified;
    if (isWindowModified() != modified) setWindowModified(modified);
}

void TSimulationMainForm::ShowDocumentZoom() {
    if (!Document) return;
    ComboBoxZoom->setEditText(Q(::ZoomText(Document->Image().Zoom)));
    ZoomText = ComboBoxZoom->currentText();
}

bool TSimulationMainForm::CheckSaveChanges() {
    TDataFile* document = ActiveDocument();
    if (!document || !document->IsModified) return true;
    const int answer = ShowMessage(TMessageKind::Confirmation, "Do you wish to save your changes ?",
                                   mbYes | mbNo | mbCancel, this);
    if (answer == mbCancel) return false;
    if (answer == mbNo) return true;
    return SaveCurrent();
}

bool TSimulationMainForm::SaveCurrent() {
    TDataFile* document = ActiveDocument();
    if (!document) return false;
    TSimulationObject* simulation = ActiveSimulation();
    if (Running() || simulation->IsStarted()) StopReset();
    if (document->HasFile)
        Save();
    else
        SaveAs();
    return document->HasFile && !document->IsModified;
}

bool TSimulationMainForm::Save() {
    TDataFile* document = ActiveDocument();
    if (!document) return false;
    if (!document->HasFile) return SaveAs();
    try {
        document->SaveToFile(document->FileName);
    } catch (const std::exception& e) {
        // The model stays modified: nothing is lost, and the user is told why.
        ShowError(QString::fromUtf8(e.what()), this);
        return false;
    }
    Recovery->Remove();
    ShowFileName();
    return true;
}

bool TSimulationMainForm::SaveAs() {
    TDataFile* document = ActiveDocument();
    if (!document) return false;
    TFileDialogRequest request;
    request.Caption = "Save As";
    request.StartName = Q(document->FileName);
    request.Filter = ModelFilter;
    request.DefaultSuffix = "qvf";
    request.Save = true;
    QString name = Hooks().FileName(this, request);
    if (name.isEmpty()) return false;
    if (QFileInfo(name).suffix().isEmpty()) name += ".qvf";
    name = QFileInfo(name).absoluteFilePath();
    // Our text under an XMILE or .mdl name would pass for one, and could replace an imported
    // source.
    if (IsImportFileName(S(name))) {
        ShowError("Save As writes a Quorvane model (.qvf), not " + name +
                      "; Export XMILE writes XMILE.",
                  this);
        return false;
    }
    try {
        document->SaveToFile(S(name));
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()), this);
        return false;
    }
    Recovery->Remove();
    ShowFileName();
    AddRecent(name);
    return true;
}

void TSimulationMainForm::NewModel() {
    if (!CheckSaveChanges()) return;
    ReplaceDocument(std::make_unique<TDataFile>());
}

void TSimulationMainForm::OpenModel() {
    if (!CheckSaveChanges()) return;
    TFileDialogRequest request;
    request.Caption = "Open";
    request.Filter = OpenFilter;
    request.DefaultSuffix = "qvf";
    const QString name = Hooks().FileName(this, request);
    if (!name.isEmpty()) LoadModel(name, false);
}

void TSimulationMainForm::LoadModel(const QString& fileName, bool ask) {
    const QString trimmed = fileName.trimmed();
    if (ask && !CheckSaveChanges()) return;
    // The recent list and the document keep the full path, whatever folder we started in.
    const QString name = trimmed.isEmpty() ? trimmed : QFileInfo(trimmed).absoluteFilePath();
    if (IsImportFileName(S(name))) {
        ImportXmile(name);
        return;
    }
    std::string message;
    std::unique_ptr<TDataFile> document = TDataFile::LoadModelFile(S(name), message);
    if (!document) {
        // A damaged file has cost the old document already; the rest leave it alone.
        if (message == CorruptFileMessage) ReplaceDocument(std::make_unique<TDataFile>());
        ShowError(Q(message), this);
        return;
    }
    ReplaceDocument(std::move(document));
    AddRecent(name);
    // The check lists what the loaded model's equations lack in the error log.
    Document->Simulation->CheckModel();
    RepaintActiveView();
}

void TSimulationMainForm::ImportXmile(const QString& fileName) {
    TXmileImport imported = ImportModelFile(S(fileName));
    if (!imported.Document) {
        // Nothing was read into the current model: it stays as it was.
        ShowError(Q(imported.Error), this);
        return;
    }
    // Unsaved, named after the imported file with .qvf: Save asks where to write the model.
    ReplaceDocument(std::move(imported.Document));
    StatusFile->setText(fileName);
    AddRecent(fileName);
    Document->Simulation->CheckModel();
    RepaintActiveView();
    QStringList warnings;
    for (const std::string& warning : imported.Warnings)
        warnings << Q(warning);
    if (!warnings.isEmpty())
        ShowMessage(TMessageKind::Information, warnings.join('\n'), mbOK, this);
}

void TSimulationMainForm::ExportXmileFile() {
    TDataFile* document = ActiveDocument();
    if (!document) return;
    TFileDialogRequest request;
    request.Caption = "Export XMILE";
    if (!document->FileName.empty())
        request.StartName =
            Q(std::filesystem::path(document->FileName).replace_extension(".xmile").string());
    request.Filter = XmileFilter;
    request.DefaultSuffix = "xmile";
    request.Save = true;
    QString name = Hooks().FileName(this, request);
    if (name.isEmpty()) return;
    if (QFileInfo(name).suffix().isEmpty()) name += ".xmile";
    name = QFileInfo(name).absoluteFilePath();
    // XMILE under a model's name would replace the model with what Open cannot read as one.
    if (!IsXmileFileName(S(name))) {
        ShowError("Export XMILE writes an XMILE file (.xmile, .xml or .stmx), not " + name + ".",
                  this);
        return;
    }
    TXmileExport exported = ExportXmile(*document, false);
    if (exported.Fault == TXmileFault::Refused) {
        // Asked only when leaving things out would help: a refusal for other reasons stands.
        TXmileExport dropped = ExportXmile(*document, true);
        if (dropped.Fault == TXmileFault::None && !dropped.LeftOut.empty()) {
            const int answer = ShowMessage(
                TMessageKind::Confirmation,
                Q(exported.Error) + "\n\nExport the model without them ?", mbYes | mbNo, this);
            if (answer != mbYes) return;
            exported = std::move(dropped);
        }
    }
    if (exported.Fault != TXmileFault::None) {
        ShowError(Q(exported.Error), this);
        return;
    }
    std::string error;
    if (!WriteXmileFile(S(name), exported.Text, error)) ShowError(Q(error), this);
}

void TSimulationMainForm::OpenRecent(int index) {
    if (index < 0 || index > 3 || RecentFiles[index].empty()) return;
    const QString name = Q(RecentFiles[index]);
    if (QFileInfo(name).exists())
        LoadModel(name, true);
    else
        ShowError(Q(FileMissingMessage(RecentFiles[index])), this);
}

void TSimulationMainForm::AddRecent(const QString& fileName) {
    AddRecentFile(RecentFiles, S(fileName));
    UpdateRecentMenu();
}

void TSimulationMainForm::ReadRecentFiles() {
    QSettings settings = RecentSettings();
    settings.beginGroup("PreviousFiles");
    for (int i = 0; i < 4; ++i)
        RecentFiles[i] = S(settings.value(QString("File%1").arg(i + 1)).toString());
}

void TSimulationMainForm::WriteRecentFiles() const {
    QSettings settings = RecentSettings();
    settings.beginGroup("PreviousFiles");
    for (int i = 0; i < 4; ++i)
        settings.setValue(QString("File%1").arg(i + 1), Q(RecentFiles[i]));
    settings.endGroup();
    settings.sync();
}

void TSimulationMainForm::UpdateRecentMenu() {
    for (int i = 0; i < 4; ++i) {
        const std::string& entry = RecentFiles[i];
        ActionRecent[i]->setText(QString("&%1 ").arg(i + 1) + Q(ShortenPath(entry, 35)));
        ActionRecent[i]->setStatusTip(Q(entry));
        ActionRecent[i]->setVisible(!entry.empty());
        ActionRecent[i]->setEnabled(!EditingLocked);
    }
    RecentSeparator->setVisible(!RecentFiles[0].empty());
}

int TSimulationMainForm::ApplyZoom(int percent) {
    percent = std::min(percent, MaxZoom);
    if (!ActiveDocument()) return percent;
    const float taken = MainView->SetZoom(static_cast<float>(percent));
    return taken > 0 ? static_cast<int>(taken) : percent;
}

void TSimulationMainForm::ZoomEntered() {
    const int zoom = ApplyZoom(ParseZoomText(S(ComboBoxZoom->currentText())));
    ComboBoxZoom->setEditText(Q(::ZoomText(zoom)));
    ZoomText = ComboBoxZoom->currentText();
    MainView->setFocus();
}

void TSimulationMainForm::ZoomBy(bool zoomIn) {
    RestoreZoomText();
    const int zoom = ApplyZoom(ZoomStep(S(ComboBoxZoom->currentText()), zoomIn));
    ComboBoxZoom->setEditText(Q(::ZoomText(zoom)));
    ZoomText = ComboBoxZoom->currentText();
}

void TSimulationMainForm::RestoreZoomText() {
    // A half-typed zoom is dropped by any command.
    if (ComboBoxZoom->currentText() != ZoomText) ComboBoxZoom->setEditText(ZoomText);
    if (ComboBoxZoom->hasFocus() || ComboBoxZoom->lineEdit()->hasFocus()) MainView->setFocus();
}

void TSimulationMainForm::ImportDataFile() {
    TDataFile* document = ActiveDocument();
    if (!document) return;
    if (document->Simulation->IsStarted() || Running()) {
        ShowError("You cannot import data during a simulation; reset it first", this);
        return;
    }
    TFileDialogRequest request;
    request.Caption = "Import Data";
    if (document->HasFile) request.StartName = QFileInfo(Q(document->FileName)).absolutePath();
    request.Filter = DataFilter;
    const QString name = Hooks().FileName(this, request);
    if (name.isEmpty()) return;
    const TDataImportResult result = ImportObservedFile(*document, S(name));
    if (!result.Imported) {
        ShowError("Nothing was imported from " + QFileInfo(name).fileName() + ":\n\n" +
                      Q(result.Error),
                  this);
        return;
    }
    size_t points = 0;
    for (const auto& imported : result.Elements)
        points += imported.Points;
    statusBar()->showMessage(QString("Imported %1 point%2 into %3 element%4 from %5")
                                 .arg(points)
                                 .arg(points == 1 ? "" : "s")
                                 .arg(result.Elements.size())
                                 .arg(result.Elements.size() == 1 ? "" : "s")
                                 .arg(QFileInfo(name).fileName()),
                             10000);
    MainView->UpdateEditActions();
    RepaintActiveView();
}
