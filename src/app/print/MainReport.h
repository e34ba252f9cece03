#pragma once
// The report a printed diagram is laid out in: one picture per page between a header and a
// footer with the page numbering. One painting routine serves the preview, the printer
// and PDF files.

#include <QPageLayout>
#include <QPicture>
#include <QString>

#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

// The report's font size in points for the diagram print.
inline constexpr int ReportFontSize = 6;

class TMainReportView {
public:
    // Removes the pages of the previous print: one empty page remains.
    void ResetReport();
    // Empties the header and footer texts and shows the given reference.
    void ClearHeader(const QString& reference);
    // A new page after the current one; the page count.
    int AddPage();
    // A picture on the current page from (left, top) in millimetres of its detail band; the
    // caller paints into it a picture of width x height units, scaled to the band.
    QPicture& AddPageImage(double left, double top, int width, int height);
    void SetFontSize(int points) { FontSize = points; }
    void SetPaper(int paperIndex, int orientation);

    int PageCount() const { return static_cast<int>(Pages.size()); }
    QPageLayout PageLayout() const;

    // Paints pages from..to (from 1) onto a device, a page each; false when it cannot be
    // painted on.
    bool PaintTo(QPagedPaintDevice& device, int fromPage = 0, int toPage = 0);
    // Paints one page (from 0) with the painter's origin at the paper's top left corner of
    // a paper of the given size.
    void PaintPage(QPainter& painter, int index, const QSizeF& paperMillimetres) const;

    // The printer dialog, then the pages. False when the dialog was cancelled: nothing is
    // printed then.
    bool Print(QWidget* parent);
    // The preview window ("Report Preview").
    void Preview(QWidget* parent);
    // Writes the pages as a PDF file; the old file is replaced only by a complete one.
    bool SavePdf(const QString& fileName, const QString& title, QString& error);

    QString HeaderLine;
    QString Reference;
    QString DateText;
    QString Title;
    QString FooterLine;
    QString FormId;
    int FontSize = 10;
    int PaperIndex = 9; // A4
    int Orientation = 1;

private:
    struct TPageImage {
        double Left = 0; // mm in the detail band
        double Top = 0;
        int Width = 1; // the picture's own units
        int Height = 1;
        QPicture Picture;
    };
    std::vector<std::vector<TPageImage>> Pages{1};
    void ConfigurePrinter(QPrinter& printer) const;
};

// The program's one report, made when first needed and kept to the end.
TMainReportView& MainReport();
