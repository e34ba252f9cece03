#include "app/print/MainReport.h"

#include "app/Utilities.h"
#include "document/output/PrintLayout.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>

#include <algorithm>
#include <array>

namespace {

QFont ReportFont(int points) {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(points);
    return font;
}

} // namespace

void TMainReportView::ResetReport() {
    Pages.clear();
    Pages.emplace_back();
}

void TMainReportView::ClearHeader(const QString& reference) {
    HeaderLine.clear();
    DateText.clear();
    Title.clear();
    FooterLine.clear();
    FormId.clear();
    Reference = reference;
}

int TMainReportView::AddPage() {
    Pages.emplace_back();
    return PageCount();
}

QPicture& TMainReportView::AddPageImage(double left, double top, int width, int height) {
    TPageImage& image = Pages.back().emplace_back();
    image.Left = left;
    image.Top = top;
    image.Width = std::max(1, width);
    image.Height = std::max(1, height);
    return image.Picture;
}

void TMainReportView::SetPaper(int paperIndex, int orientation) {
    PaperIndex = ::PaperIndex(paperIndex);
    Orientation = orientation == 0 ? 0 : 1;
}

QPageLayout TMainReportView::PageLayout() const {
    return QPageLayout(PaperPageSize(PaperIndex), PaperOrientation(Orientation),
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void TMainReportView::PaintPage(QPainter& painter, int index, const QSizeF& paper) const {
    if (index < 0 || index >= PageCount()) return;
    QPaintDevice* device = painter.device();
    const double kx = device->logicalDpiX() / 25.4, ky = device->logicalDpiY() / 25.4;
    auto px = [kx, ky](const QRectF& mm) {
        return QRectF(mm.left() * kx, mm.top() * ky, mm.width() * kx, mm.height() * ky);
    };
    const TReportBands bands = ReportBands(paper);
    painter.save();

    const QRectF detail = px(bands.Detail);
    for (const TPageImage& image : Pages[static_cast<size_t>(index)]) {
        const QRectF area(detail.left() + image.Left * kx, detail.top() + image.Top * ky,
                          detail.width() - image.Left * kx, detail.height() - image.Top * ky);
        if (area.width() <= 0 || area.height() <= 0) continue;
        const double f = std::min(area.width() / image.Width, area.height() / image.Height);
        const QRectF shown(area.topLeft(), QSizeF(image.Width * f, image.Height * f));
        painter.save();
        painter.setClipRect(shown);
        painter.translate(area.topLeft());
        // A picture plays back enlarged by the device's resolution over its own.
        painter.scale(f * image.Picture.logicalDpiX() / device->logicalDpiX(),
                      f * image.Picture.logicalDpiY() / device->logicalDpiY());
        painter.drawPicture(0, 0, image.Picture);
        painter.restore();
        // A picture that switches clipping off while it plays cannot be held in by a clip:
        // what it painted beyond its place is covered again.
        QPainterPath outside;
        outside.addRect(QRectF(QPointF(0, 0), QSizeF(paper.width() * kx, paper.height() * ky)));
        outside.addRect(shown);
        outside.setFillRule(Qt::OddEvenFill);
        painter.fillPath(outside, Qt::white);
    }

    // Header: empty for the diagram, whose reference is empty too.
    const QRectF header = px(bands.Header);
    painter.setPen(Qt::black);
    painter.setFont(ReportFont(10));
    if (!HeaderLine.isEmpty())
        painter.drawText(header, Qt::AlignHCenter | Qt::AlignTop, HeaderLine);
    if (!Title.isEmpty()) painter.drawText(header, Qt::AlignHCenter | Qt::AlignBottom, Title);
    if (!Reference.isEmpty())
        painter.drawText(header, Qt::AlignLeft | Qt::AlignBottom, "Ref: " + Reference);
    if (!DateText.isEmpty())
        painter.drawText(header, Qt::AlignRight | Qt::AlignBottom, "Date: " + DateText);

    const QRectF footer = px(bands.Footer);
    if (!FooterLine.isEmpty())
        painter.drawText(footer, Qt::AlignHCenter | Qt::AlignTop, FooterLine);
    if (!FormId.isEmpty()) {
        painter.setFont(ReportFont(FontSize));
        painter.drawText(footer, Qt::AlignLeft | Qt::AlignBottom, FormId);
    }
    const QFont numbers = ReportFont(10);
    painter.setFont(numbers);
    const QFontMetricsF metrics(numbers, device);
    const std::array<QString, 4> texts = {"Page", QString::number(index + 1), "Of",
                                          QString::number(PageCount())};
    std::array<double, 4> widths{};
    for (size_t i = 0; i < texts.size(); ++i)
        widths[i] = metrics.horizontalAdvance(texts[i]) / kx;
    const std::vector<double> lefts = FooterLayout(bands.Footer.width(), widths, PageCount());
    for (size_t i = 0; i < lefts.size(); ++i) {
        const QRectF cell((bands.Footer.left() + lefts[i]) * kx, footer.top(), widths[i] * kx + 1,
                          footer.height());
        painter.drawText(cell, Qt::AlignLeft | Qt::AlignBottom | Qt::TextDontClip, texts[i]);
    }
    painter.restore();
}

bool TMainReportView::PaintTo(QPagedPaintDevice& device, int fromPage, int toPage) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const QSizeF paper = device.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const int first = std::max(1, fromPage);
    const int last = toPage > 0 ? std::min(toPage, PageCount()) : PageCount();
    for (int page = first; page <= last; ++page) {
        if (page > first && !device.newPage()) return false;
        PaintPage(painter, page - 1, paper);
    }
    return painter.end();
}

void TMainReportView::ConfigurePrinter(QPrinter& printer) const {
    // The bands keep their own margins from the paper's edge.
    printer.setFullPage(true);
    printer.setPageLayout(PageLayout());
    printer.setDocName(QStringLiteral("Quorvane diagram"));
}

bool TMainReportView::Print(QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    ConfigurePrinter(printer);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print"));
    dialog.setMinMax(1, PageCount());
    if (Hooks().Exec(dialog) != QDialog::Accepted) return false;
    const bool range = printer.printRange() == QPrinter::PageRange;
    if (!PaintTo(printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0)) {
        ShowError("The report could not be printed.", parent);
        return false;
    }
    return true;
}

void TMainReportView::Preview(QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    ConfigurePrinter(printer);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    dialog.setWindowTitle(QStringLiteral("Report Preview"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this](QPrinter* target) { PaintTo(*target); });
    Hooks().Exec(dialog);
}

bool TMainReportView::SavePdf(const QString& fileName, const QString& title, QString& error) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setPageLayout(PageLayout());
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Quorvane"));
        painted = PaintTo(writer);
    }
    if (!painted) {
        file.cancelWriting();
        error = QStringLiteral("painting failed");
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

TMainReportView& MainReport() {
    static TMainReportView report;
    return report;
}
