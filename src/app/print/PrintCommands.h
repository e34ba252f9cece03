#pragma once
// The printing commands of the main window: page set-up, print, preview, PDF export and the
// model's properties. Each makes the report afresh from the document's drawing.

#include <functional>

class QWidget;
class TDataFile;

// Answers which document is open now, so that a print notices when its document was
// replaced while pages were made; none means the document cannot go away.
using TActiveDocument = std::function<TDataFile*()>;

enum class TReportResult {
    Made,      // every page is in the report
    Refused,   // too many pages: a message was shown
    Cancelled, // by the user: the report holds no pages
    Abandoned, // the document changed or went away while the pages were made
};

// Cuts the drawing into page tiles and paints each into the report, with the "Preparing
// Report" window showing progress and offering Cancel.
TReportResult MakeDiagramReport(TDataFile& document, QWidget* parent,
                                const TActiveDocument& active = {});

// Print, Print Preview and Export PDF; true when something was printed or written.
bool PrintDiagram(TDataFile& document, QWidget* parent, const TActiveDocument& active = {});
bool PreviewDiagram(TDataFile& document, QWidget* parent, const TActiveDocument& active = {});
bool ExportPdf(TDataFile& document, QWidget* parent, const TActiveDocument& active = {});
// Page Setup; after OK, Print... or Print Preview the page tiles are recomputed, and the
// last two go on to print or preview.
void ShowPageSetup(TDataFile& document, QWidget* parent, const TActiveDocument& active = {});
// Properties; true when the document changed.
bool ShowProperties(TDataFile& document, QWidget* parent);
