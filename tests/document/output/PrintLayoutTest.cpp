// Cutting a diagram into printed pages, the report's bands and the footer's numbering.
#include "document/output/PrintLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Inf = std::numeric_limits<float>::infinity();

} // namespace

TEST(PrintLayoutTest, TilingTableGivesScaleTileSizeAndPageCount) {
    struct TCase {
        const char* Name;
        TDrawRect Extent;
        TPageArea Page;
        TPrintSettings Settings;
        float Scale;
        int32_t PageWidth, PageHeight;
        int64_t Columns, Rows;
    };
    const TCase cases[] = {
        {"fits one page", {0, 0, 100, 100}, {1000, 500}, {false, 1, 1, 100}, 100, 1000, 500, 1, 1},
        {"2000 x 1000 at 100 %", {0, 0, 2000, 1000}, {1000, 500}, {}, 100, 1000, 500, 2, 2},
        {"just past a page", {0, 0, 1001, 500}, {1000, 500}, {}, 100, 1000, 500, 2, 1},
        {"50 % doubles a tile",
         {0, 0, 2000, 1000},
         {1000, 500},
         {false, 1, 1, 50},
         50,
         2000,
         1000,
         1,
         1},
        {"200 % halves it",
         {0, 0, 2000, 1000},
         {1000, 500},
         {false, 1, 1, 200},
         200,
         500,
         250,
         4,
         4},
        {"negative corner", {-500, -200, 1500, 800}, {1000, 500}, {}, 100, 1000, 500, 2, 2},
        // Fit to pages: each direction's scale capped at 100, the smaller one wins.
        {"fit 1 wide, any tall",
         {0, 0, 4000, 1000},
         {1000, 500},
         {true, 1, 0, 100},
         25,
         4000,
         2000,
         1,
         1},
        {"fit 2 by 1", {0, 0, 4000, 1000}, {1000, 500}, {true, 2, 1, 100}, 50, 2000, 1000, 2, 1},
        {"fit never enlarges",
         {0, 0, 100, 100},
         {1000, 500},
         {true, 3, 3, 100},
         100,
         1000,
         500,
         1,
         1},
        {"fit 0 by 0 is 100 %",
         {0, 0, 2000, 1000},
         {1000, 500},
         {true, 0, 0, 7},
         100,
         1000,
         500,
         2,
         2},
        // A stored scale that cannot be used prints at 100 %.
        {"scale 0", {0, 0, 2000, 1000}, {1000, 500}, {false, 1, 1, 0}, 100, 1000, 500, 2, 2},
        {"scale NaN", {0, 0, 2000, 1000}, {1000, 500}, {false, 1, 1, NaN}, 100, 1000, 500, 2, 2},
        {"scale negative",
         {0, 0, 2000, 1000},
         {1000, 500},
         {false, 1, 1, -40},
         100,
         1000,
         500,
         2,
         2},
        {"scale infinite",
         {0, 0, 2000, 1000},
         {1000, 500},
         {false, 1, 1, Inf},
         100,
         1000,
         500,
         2,
         2},
        {"scale huge", {0, 0, 2000, 1000}, {1000, 500}, {false, 1, 1, 1e30f}, 100, 1000, 500, 2, 2},
        // Tiles never shrink below a unit nor grow past a coordinate.
        {"tiny page", {0, 0, 3, 2}, {0, -5}, {false, 1, 1, 1000}, 1000, 1, 1, 3, 2},
        {"tiny scale",
         {0, 0, 2000, 1000},
         {1000, 500},
         {false, 1, 1, 1e-6f},
         1e-6f,
         std::numeric_limits<int32_t>::max(),
         std::numeric_limits<int32_t>::max(),
         1,
         1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TPageTiling tiling = ComputeTiling(c.Extent, c.Page, c.Settings);
        EXPECT_FLOAT_EQ(tiling.Scale, c.Scale);
        EXPECT_EQ(tiling.PageWidth, c.PageWidth);
        EXPECT_EQ(tiling.PageHeight, c.PageHeight);
        EXPECT_EQ(tiling.Columns, c.Columns);
        EXPECT_EQ(tiling.Rows, c.Rows);
        EXPECT_EQ(TileRects(c.Extent, tiling).size(), static_cast<size_t>(c.Columns * c.Rows));
    }
}

TEST(PrintLayoutTest, TilesRunLeftToRightThenDownAndTooManyAreNone) {
    const TDrawRect extent{-500, -200, 1500, 800};
    const TPageTiling tiling = ComputeTiling(extent, {1000, 500}, {});
    const std::vector<TDrawRect> expected = {{-500, -200, 500, 300},
                                             {500, -200, 1500, 300},
                                             {-500, 300, 500, 800},
                                             {500, 300, 1500, 800}};
    EXPECT_EQ(TileRects(extent, tiling), expected);

    // 1000 % of a large drawing: two million pages are counted, none are cut.
    const TPageTiling huge =
        ComputeTiling({0, 0, 100000, 100000}, {1000, 500}, {false, 1, 1, 1000});
    EXPECT_EQ(huge.Pages(), 2000000);
    EXPECT_GT(huge.Pages(), MaxPrintPages);
    EXPECT_TRUE(TileRects({0, 0, 100000, 100000}, huge).empty());
    // The widest extent a drawing can have at 1 unit a tile saturates instead of overflowing.
    const TDrawRect widest{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min(),
                           std::numeric_limits<int32_t>::max(),
                           std::numeric_limits<int32_t>::max()};
    EXPECT_GT(ComputeTiling(widest, {1, 1}, {false, 1, 1, 1000}).Pages(), MaxPrintPages);
}

TEST(PrintLayoutTest, FooterNumberingIsCentredAndOnlyForSeveralPages) {
    struct TCase {
        double FooterWidth;
        std::array<double, 4> Widths;
        int Pages;
        std::vector<double> Lefts;
    };
    const TCase cases[] = {
        {200, {20, 5, 10, 8}, 3, {74, 97, 105, 118}},          // group 43 + 9 = 52, from 74
        {100, {20, 10, 10, 10}, 12, {20.5, 43.5, 56.5, 69.5}}, // group 59
        {200, {20, 5, 10, 5}, 1, {}},
        {200, {20, 5, 10, 5}, 0, {}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FooterLayout(c.FooterWidth, c.Widths, c.Pages), c.Lefts) << c.Pages;
}

TEST(PrintLayoutTest, PaperListMapsToPageSizesAndAreas) {
    struct TCase {
        int Stored;
        int Orientation;
        QPageSize::PageSizeId Id;
        TPageArea Area; // the detail band in drawing units
    };
    const TCase cases[] = {
        // A4 landscape: 257 x 174 mm of picture between margins, header and footer.
        {9, 1, QPageSize::A4, {971, 657}},
        {0, 1, QPageSize::A4, {971, 657}},  // "Default" is the report's own A4
        {20, 0, QPageSize::A4, {642, 986}}, // past the list: "Default", when printing too
        {255, 1, QPageSize::A4, {971, 657}},
        {1, 0, QPageSize::Letter, {664, 919}},
        {2, 0, QPageSize::Letter, {664, 919}},
        {13, 0, QPageSize::JisB5, {536, 835}},
        {15, 1, QPageSize::Quarto, {888, 679}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Stored);
        EXPECT_EQ(PaperPageSize(c.Stored).id(), c.Id);
        const TPageArea area = ReportImageArea(c.Stored, c.Orientation);
        EXPECT_EQ(area.Width, c.Area.Width);
        EXPECT_EQ(area.Height, c.Area.Height);
    }
    EXPECT_STREQ(PaperNames[PaperIndex(20)], "Default");
    EXPECT_STREQ(PaperNames[PaperIndex(13)], "B5");
}
