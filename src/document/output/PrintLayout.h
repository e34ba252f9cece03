#pragma once
// How a diagram is cut into printed pages and how a report page is laid out: paper sizes,
// the scale, the page tiles in drawing units and the footer's page numbering. Plain
// functions, so that the printer, the preview and PDF share one set of numbers.

#include "document/diagram/DrawingObjects.h"

#include <QtCore/QRectF>
#include <QtCore/QSizeF>
#include <QtGui/QPageLayout>
#include <QtGui/QPageSize>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The paper list of Page Setup, in the index order the model file stores.
inline constexpr int PaperCount = 16;
extern const std::array<const char*, PaperCount> PaperNames;

// A stored paper index past the list means "Default" (index 0).
int PaperIndex(int stored);
// The page size of a paper index; "Default" is A4, the report's own size.
QPageSize PaperPageSize(int stored);
// Orientation 0 portrait, anything else landscape.
QPageLayout::Orientation PaperOrientation(int orientation);

// The print scale Page Setup accepts as typed, in percent.
inline constexpr int MinPrintPercent = 1;
inline constexpr int MaxPrintPercent = 1000;
// A report never grows beyond this many pages; a larger print is refused before any is made.
inline constexpr int64_t MaxPrintPages = 1000;

// A stored print scale that cannot be used (not finite, 0 or less, above the typed
// maximum) counts as 100 %.
float UsablePrintScale(float stored);

// The bands of one report page, in millimetres from the paper's top left corner.
struct TReportBands {
    QRectF Header;
    QRectF Detail; // where the diagram's tile goes
    QRectF Footer;
};
inline constexpr double ReportMarginTopBottom = 10; // mm
inline constexpr double ReportMarginLeftRight = 20; // mm
inline constexpr double ReportHeaderHeight = 8;     // mm
inline constexpr double ReportFooterHeight = 8;     // mm
TReportBands ReportBands(const QSizeF& paperMillimetres);
// The paper of a drawing in millimetres, as it lies (landscape swaps the sides).
QSizeF PaperMillimetres(int paperIndex, int orientation);

// Drawing units are screen pixels at 100 %: 96 to the inch.
inline constexpr double DrawingUnitsPerInch = 96;
// The detail band of a drawing's paper in drawing units (Wp x Hp).
struct TPageArea {
    int32_t Width = 0;
    int32_t Height = 0;
};
TPageArea ReportImageArea(int paperIndex, int orientation);

// What a print needs from the drawing's page set-up.
struct TPrintSettings {
    bool FitToPages = false;
    int32_t PagesWide = 1;
    int32_t PagesTall = 1;
    float PrintScale = 100;
};

// The cutting of an extent into page tiles.
struct TPageTiling {
    float Scale = 100;      // percent the tiles are printed at
    int32_t PageWidth = 0;  // one tile in drawing units, at least 1
    int32_t PageHeight = 0; // likewise
    int64_t Columns = 0;
    int64_t Rows = 0;
    // Saturates rather than overflows: such a count is refused anyway.
    int64_t Pages() const {
        if (Columns <= 0 || Rows <= 0) return 0;
        return Rows > INT64_MAX / Columns ? INT64_MAX : Columns * Rows;
    }
};

// Fit to pages: each direction's scale that makes the extent fit the asked number of pages
// (100 when that number is 0), capped at 100, the smaller one taken. Otherwise the stored
// scale, or 100 when it is unusable. Tiles are the page area at that scale.
TPageTiling ComputeTiling(const TDrawRect& extent, TPageArea page, const TPrintSettings& settings);
// The tiles from the extent's top left corner, left to right, then row by row.
std::vector<TDrawRect> TileRects(const TDrawRect& extent, const TPageTiling& tiling);

// Footer page numbering: the left edges of "Page", n, "Of" and m laid out with 3-unit gaps
// and the group centred on a footer of the given width. Empty when there is one page.
std::vector<double> FooterLayout(double footerWidth, const std::array<double, 4>& widths,
                                 int pageCount);

// Every object of the drawing measured afresh, united with the (0, 0, 100, 100) that a
// painted drawing always covers, whatever is selected.
TDrawRect PrintExtent(TDrawImage& image);
// The drawing's tiles for its paper and scaling: sets PageWidth and PageHeight, and the
// fitted PrintScale when it fits to pages. These follow from the settings, so they are no
// edit of their own.
struct TDrawingTiles {
    TDrawRect Extent;
    TPageArea Page;
    TPageTiling Tiling;
};
TDrawingTiles UpdatePageTiles(TDrawImage& image);

// The refusal of a print that would make too many pages.
std::string TooManyPagesMessage(int64_t pages);
