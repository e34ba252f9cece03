#include "app/print/PrintCommands.h"

#include "app/Utilities.h"
#include "app/diagram/BaseChildWindow.h"
#include "app/dialogs/Properties.h"
#include "app/print/MainReport.h"
#include "app/print/PageSetup.h"
#include "app/print/PrintPrepare.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/output/PrintLayout.h"

#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QPicture>

#include <tuple>

namespace {

class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// What changes when the model is edited, undone or replaced.
auto Identity(const TDataFile& document) {
    return std::tuple(&document.Image(), document.Simulation.get(), document.UndoStack.size(),
                      document.UndoStack.empty() ? nullptr : document.UndoStack.back().get());
}

void RefreshView(TDataFile& document) {
    if (document.Views.View) document.Views.View->RefreshView();
}

// Makes the report and refreshes the view when the document is still there.
bool Prepare(TDataFile& document, QWidget* parent, const TActiveDocument& active) {
    const TReportResult result = MakeDiagramReport(document, parent, active);
    if (result == TReportResult::Abandoned) return false;
    RefreshView(document);
    return result == TReportResult::Made;
}

} // namespace

TReportResult MakeDiagramReport(TDataFile& document, QWidget* parent,
                                const TActiveDocument& active) {
    TMainReportView& report = MainReport();
    report.ResetReport();
    TDrawImage& image = document.Image();
    const TDrawingTiles tiles = UpdatePageTiles(image);
    const int64_t pages = tiles.Tiling.Pages();
    if (pages > MaxPrintPages) {
        ShowError(Q(TooManyPagesMessage(pages)), parent);
        return TReportResult::Refused;
    }
    const std::vector<TDrawRect> rects = TileRects(tiles.Extent, tiles.Tiling);
    report.SetPaper(image.PaperSize, image.Orientation);
    report.SetFontSize(ReportFontSize);
    report.ClearHeader(QString());

    const auto identity = Identity(document);
    auto unchanged = [&] {
        // The document is looked at only once it is known to be alive.
        if (active && active() != &document) return false;
        return Identity(document) == identity;
    };
    TFormPrintPrepare progress(parent);
    TWaitCursor wait;
    progress.Start(static_cast<int>(rects.size()));
    TReportResult result = TReportResult::Made;
    for (size_t i = 0; i < rects.size(); ++i) {
        if (i > 0) report.AddPage();
        QPicture& picture = report.AddPageImage(0, 0, tiles.Page.Width, tiles.Page.Height);
        {
            QPainter canvas(&picture);
            canvas.setClipRect(0, 0, tiles.Page.Width, tiles.Page.Height);
            image.RenderTo(canvas, tiles.Page.Width, tiles.Page.Height, false, rects[i]);
        }
        progress.Step();
        // Lets the Cancel button work; the window is application-modal, so nothing else
        // the user does reaches the model meanwhile.
        QCoreApplication::processEvents();
        if (!unchanged()) {
            result = TReportResult::Abandoned;
            break;
        }
        if (progress.CancelRequested) {
            result = TReportResult::Cancelled;
            break;
        }
    }
    progress.Finish();
    if (result != TReportResult::Made) report.ResetReport();
    return result;
}

bool PrintDiagram(TDataFile& document, QWidget* parent, const TActiveDocument& active) {
    if (!Prepare(document, parent, active)) return false;
    return MainReport().Print(parent);
}

bool PreviewDiagram(TDataFile& document, QWidget* parent, const TActiveDocument& active) {
    if (!Prepare(document, parent, active)) return false;
    MainReport().Preview(parent);
    return true;
}

bool ExportPdf(TDataFile& document, QWidget* parent, const TActiveDocument& active) {
    const QFileInfo model(Q(document.FileName));
    TFileDialogRequest request;
    request.Caption = "Export PDF";
    request.StartName = document.FileName.empty()
                            ? QString("diagram.pdf")
                            : model.absolutePath() + '/' + model.completeBaseName() + ".pdf";
    request.Filter = "PDF files (*.pdf)";
    request.DefaultSuffix = "pdf";
    request.Save = true;
    const QString fileName = Hooks().FileName(parent, request);
    if (fileName.isEmpty()) return false;
    const QString title = !document.Title.empty()     ? Q(document.Title)
                          : document.FileName.empty() ? QString("Quorvane diagram")
                                                      : model.completeBaseName();
    if (!Prepare(document, parent, active)) return false;
    QString error;
    if (!MainReport().SavePdf(fileName, title, error)) {
        ShowError("The file \"" + fileName + "\" could not be written: " + error, parent);
        return false;
    }
    return true;
}

void ShowPageSetup(TDataFile& document, QWidget* parent, const TActiveDocument& active) {
    TFormPageSetup dialog(parent);
    dialog.Fill(document);
    const int result = Hooks().Exec(dialog);
    if (result != QDialog::Accepted && result != TFormPageSetup::mrPrint &&
        result != TFormPageSetup::mrPreview)
        return;
    UpdatePageTiles(document.Image());
    RefreshView(document);
    if (result == TFormPageSetup::mrPrint)
        PrintDiagram(document, parent, active);
    else if (result == TFormPageSetup::mrPreview)
        PreviewDiagram(document, parent, active);
}

bool ShowProperties(TDataFile& document, QWidget* parent) {
    TFormProperties dialog(parent);
    dialog.Fill(document);
    if (Hooks().Exec(dialog) != QDialog::Accepted) return false;
    return dialog.Apply(document);
}
