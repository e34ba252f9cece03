#include "document/output/PrintLayout.h"

#include "core/support/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

const std::array<const char*, PaperCount> PaperNames = {
    "Default", "Letter", "LetterSmall", "Tabloid", "Ledger", "Legal", "Statement", "Executive",
    "A3",      "A4",     "A4Small",     "A5",      "B4",     "B5",    "Folio",     "Quarto"};

int PaperIndex(int stored) {
    return stored >= 0 && stored < PaperCount ? stored : 0;
}

QPageSize PaperPageSize(int stored) {
    // The small variants are the same sheet; B5 of this list is the JIS size.
    static const QPageSize::PageSizeId ids[PaperCount] = {
        QPageSize::A4,     QPageSize::Letter, QPageSize::Letter,    QPageSize::Tabloid,
        QPageSize::Ledger, QPageSize::Legal,  QPageSize::Statement, QPageSize::Executive,
        QPageSize::A3,     QPageSize::A4,     QPageSize::A4,        QPageSize::A5,
        QPageSize::B4,     QPageSize::JisB5,  QPageSize::Folio,     QPageSize::Quarto};
    return QPageSize(ids[PaperIndex(stored)]);
}

QPageLayout::Orientation PaperOrientation(int orientation) {
    return orientation == 0 ? QPageLayout::Portrait : QPageLayout::Landscape;
}

float UsablePrintScale(float stored) {
    if (!std::isfinite(stored) || stored <= 0 || stored > MaxPrintPercent) return 100;
    return stored;
}

QSizeF PaperMillimetres(int paperIndex, int orientation) {
    const QSizeF size = PaperPageSize(paperIndex).size(QPageSize::Millimeter);
    const bool landscape = PaperOrientation(orientation) == QPageLayout::Landscape;
    if (landscape == (size.width() > size.height())) return size;
    return size.transposed();
}

TReportBands ReportBands(const QSizeF& paper) {
    const double left = ReportMarginLeftRight;
    const double width = std::max(0.0, paper.width() - 2 * ReportMarginLeftRight);
    const double top = ReportMarginTopBottom;
    const double bottom = paper.height() - ReportMarginTopBottom;
    const double detailHeight =
        std::max(0.0, bottom - top - ReportHeaderHeight - ReportFooterHeight);
    TReportBands bands;
    bands.Header = QRectF(left, top, width, ReportHeaderHeight);
    bands.Detail = QRectF(left, top + ReportHeaderHeight, width, detailHeight);
    bands.Footer = QRectF(left, bands.Detail.bottom(), width, ReportFooterHeight);
    return bands;
}

TPageArea ReportImageArea(int paperIndex, int orientation) {
    const QRectF detail = ReportBands(PaperMillimetres(paperIndex, orientation)).Detail;
    const double perMillimetre = DrawingUnitsPerInch / 25.4;
    return {std::max(1, static_cast<int32_t>(detail.width() * perMillimetre)),
            std::max(1, static_cast<int32_t>(detail.height() * perMillimetre))};
}

namespace {

// One tile's side at a scale: the page side in drawing units seen at that scale, at least 1
// and never past what a drawing coordinate holds.
int32_t TileSide(int32_t pageSide, double scalePercent) {
    const double side = std::trunc(pageSide / (scalePercent / 100));
    if (!(side >= 1)) return 1;
    return static_cast<int32_t>(std::min<double>(side, std::numeric_limits<int32_t>::max()));
}

int64_t CeilDiv(int64_t length, int64_t side) {
    if (length <= 0) return 1;
    return (length + side - 1) / side;
}

} // namespace

TPageTiling ComputeTiling(const TDrawRect& extent, TPageArea page, const TPrintSettings& settings) {
    const int64_t w = static_cast<int64_t>(extent.Right) - extent.Left;
    const int64_t h = static_cast<int64_t>(extent.Bottom) - extent.Top;
    page.Width = std::max(1, page.Width);
    page.Height = std::max(1, page.Height);
    double scale = UsablePrintScale(settings.PrintScale);
    if (settings.FitToPages) {
        auto fit = [](int32_t pages, int32_t side, int64_t length) {
            if (pages <= 0 || length <= 0) return 100.0;
            return std::min(100.0, static_cast<double>(pages) * side * 100 / length);
        };
        scale = std::min(fit(settings.PagesWide, page.Width, w),
                         fit(settings.PagesTall, page.Height, h));
        // Single precision, as the drawing stores it; a scale so small that it rounds to
        // nothing still makes one page.
        scale = static_cast<float>(scale);
        if (!(scale > 0)) scale = std::numeric_limits<float>::min();
    }
    TPageTiling tiling;
    tiling.Scale = static_cast<float>(scale);
    tiling.PageWidth = TileSide(page.Width, scale);
    tiling.PageHeight = TileSide(page.Height, scale);
    tiling.Columns = CeilDiv(w, tiling.PageWidth);
    tiling.Rows = CeilDiv(h, tiling.PageHeight);
    return tiling;
}

std::vector<TDrawRect> TileRects(const TDrawRect& extent, const TPageTiling& tiling) {
    std::vector<TDrawRect> tiles;
    if (tiling.PageWidth <= 0 || tiling.PageHeight <= 0 || tiling.Pages() > MaxPrintPages)
        return tiles;
    auto clamp = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                        std::numeric_limits<int32_t>::max()));
    };
    tiles.reserve(static_cast<size_t>(tiling.Pages()));
    for (int64_t row = 0; row < tiling.Rows; ++row) {
        const int64_t top = extent.Top + row * tiling.PageHeight;
        for (int64_t column = 0; column < tiling.Columns; ++column) {
            const int64_t left = extent.Left + column * tiling.PageWidth;
            tiles.push_back({clamp(left), clamp(top), clamp(left + tiling.PageWidth),
                             clamp(top + tiling.PageHeight)});
        }
    }
    return tiles;
}

std::vector<double> FooterLayout(double footerWidth, const std::array<double, 4>& widths,
                                 int pageCount) {
    if (pageCount <= 1) return {};
    constexpr double Gap = 3;
    double group = Gap * 3;
    for (double width : widths)
        group += width;
    std::vector<double> lefts;
    double x = (footerWidth - group) / 2;
    for (double width : widths) {
        lefts.push_back(x);
        x += width + Gap;
    }
    return lefts;
}

std::string TooManyPagesMessage(int64_t pages) {
    return "The diagram would print on " + FormatFloat("#,##0", static_cast<double>(pages)) +
           " pages; at most " + IntToStr(MaxPrintPages) +
           " can be printed. Choose a smaller scale or fit it to fewer pages.";
}

TDrawRect PrintExtent(TDrawImage& image) {
    image.MeasureContent();
    TDrawRect extent{0, 0, 100, 100};
    auto unite = [&extent](const TDrawObject* object) { extent = extent.United(object->Bounds); };
    for (const TOutputControlInstance* control : image.OutputControls)
        unite(control);
    for (const TVariableInstance* element : image.Elements)
        unite(element);
    for (const TLinkInstance* link : image.Links)
        unite(link);
    return extent;
}

TDrawingTiles UpdatePageTiles(TDrawImage& image) {
    TDrawingTiles tiles;
    tiles.Extent = PrintExtent(image);
    tiles.Page = ReportImageArea(image.PaperSize, image.Orientation);
    tiles.Tiling =
        ComputeTiling(tiles.Extent, tiles.Page,
                      {image.FitToPages, image.PagesWide, image.PagesTall, image.PrintScale});
    if (image.FitToPages) image.PrintScale = tiles.Tiling.Scale;
    image.PageWidth = tiles.Tiling.PageWidth;
    image.PageHeight = tiles.Tiling.PageHeight;
    return tiles;
}
