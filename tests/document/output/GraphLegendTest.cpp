// Legend texts, rows and painting.
#include "GraphLayoutFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(GraphLegendTest, LabelNamesTheElementItsKindAndKeptRun) {
    struct TCase {
        uint8_t Kind;
        int32_t Run;
        std::string Expected;
    };
    const TCase cases[] = {
        {skSimulated, -1, "Sales"},      {skSimulated, 0, "Sales"},
        {skSketched, -1, "Sales (Sk)"},  {skDerived, 0, "Sales (D)"},
        {skSimulated, 3, "Sales [3]"},   {skSketched, 12, "Sales (Sk) [12]"},
        {skDerived, 1, "Sales (D) [1]"},
    };
    TGraphLayoutFixture f;
    TVariableObject* sales = f.Element("Sales");
    for (const auto& c : cases) {
        TVariableDataLink* entry = f.Entry(sales, c.Kind, c.Run);
        EXPECT_EQ(LegendLabel(*entry), c.Expected);
    }
    // An entry whose element is gone still has its kind marked.
    EXPECT_EQ(LegendLabel(*f.Entry(nullptr, skDerived)), " (D)");
}

TEST(GraphLegendTest, NoVisibleEntryNeedsNoLegend) {
    TPicture picture(10, 10);
    TGraphLayoutFixture f;
    EXPECT_EQ(LegendHeight(f.Graph.Series, 300, picture.Canvas, 8, 1), 0);
    TVariableObject* sales = f.Element("Sales");
    f.Entry(sales, skSimulated, -1, false);
    f.Entry(sales, skSketched, -1, false);
    EXPECT_EQ(LegendHeight(f.Graph.Series, 300, picture.Canvas, 8, 1), 0);
    f.Entry(sales);
    EXPECT_GT(LegendHeight(f.Graph.Series, 300, picture.Canvas, 8, 1), 0);
}

TEST(GraphLegendTest, EntriesWrapIntoRowsByWidth) {
    // Entries of one label width w each take w + 24 s; a row holds as many as fit, and
    // always at least one.
    struct TCase {
        double S;
        int Entries;
        int PerRow; // the width is 4 + PerRow * (w + 24 s) + Extra
        int Extra;
        int32_t Rows;
    };
    const TCase cases[] = {
        {1, 1, 1, 0, 1},  {1, 3, 3, 0, 1}, {1, 3, 3, -1, 2}, {1, 3, 2, 0, 2},  {1, 3, 1, 0, 3},
        {1, 3, 1, 20, 3}, {1, 5, 2, 0, 3}, {1, 5, 2, 30, 3}, {1, 3, 0, 10, 3}, {1, 3, 0, -50, 3},
        {1, 4, 10, 0, 1}, {2, 3, 3, 0, 1}, {2, 3, 3, -1, 2}, {2, 4, 1, 0, 4},
    };
    for (const auto& c : cases) {
        TPicture picture(10, 10);
        TGraphLayoutFixture f;
        TVariableObject* sales = f.Element("Sales");
        for (int i = 0; i < c.Entries; ++i) {
            f.Entry(sales);
            f.Entry(sales, skSketched, -1, false); // hidden entries take no room
        }
        const int32_t fontSize = TruncToInt(8 * c.S);
        SetCanvasFont(picture.Canvas, fontSize);
        const int32_t w = TextWidth(picture.Canvas, "Sales");
        const int32_t width = 4 + TruncToInt(c.PerRow * (w + 24 * c.S)) + c.Extra;
        const int32_t lineHeight = FontHeight(picture.Canvas);
        EXPECT_EQ(LegendHeight(f.Graph.Series, width, picture.Canvas, fontSize, c.S),
                  TruncToInt(4 * c.S) + (lineHeight + 2) * c.Rows)
            << "s " << c.S << ", " << c.Entries << " entries, " << c.PerRow << " per row "
            << c.Extra;
    }
}

TEST(GraphLegendTest, DrawnEntriesShowTheirColourInRows) {
    TPicture picture(400, 100);
    TGraphLayoutFixture f;
    TVariableObject* sales = f.Element("Sales");
    f.Entry(sales, skSimulated, -1, true, 0x0000FF);  // red
    f.Entry(sales, skSimulated, -1, false, 0x00FF00); // green, hidden
    f.Entry(sales, skSimulated, -1, true, 0xFF0000);  // blue
    SetCanvasFont(picture.Canvas, 8);
    const int32_t w = TextWidth(picture.Canvas, "Sales");
    const int32_t lineHeight = FontHeight(picture.Canvas);
    // Room for one entry per row.
    const TDrawRect rect{20, 10, 20 + 4 + w + 30, 10 + 4 + 2 * (lineHeight + 2)};
    DrawLegend(f.Graph.Series, rect, picture.Canvas, 8, 1);

    const int32_t firstRowY = lineHeight / 2 + 10 + 4;
    const int32_t secondRowY = firstRowY + lineHeight + 2;
    EXPECT_GT(picture.Pixels(QRect(22, firstRowY - 1, 9, 3), qRgb(255, 0, 0)), 4);
    EXPECT_GT(picture.Pixels(QRect(22, secondRowY - 1, 9, 3), qRgb(0, 0, 255)), 4);
    EXPECT_EQ(picture.Pixels(QRect(0, 0, 400, 100), qRgb(0, 255, 0)), 0);
    // Labels beside the samples, in black rather than the sample's colour.
    const QRect firstLabel(36, 10 + 2, w, lineHeight);
    EXPECT_GT(picture.Ink(firstLabel), 0);
    EXPECT_EQ(picture.Pixels(firstLabel, qRgb(255, 0, 0)), 0);
    // The frame is black; nothing is drawn outside it.
    EXPECT_EQ(picture.Image.pixel(rect.Left, rect.Top), qRgb(0, 0, 0));
    EXPECT_EQ(picture.Image.pixel(rect.Right - 1, rect.Bottom - 1), qRgb(0, 0, 0));
    EXPECT_EQ(picture.Ink(QRect(rect.Right, 0, 400, 100)), 0);
    EXPECT_EQ(picture.Ink(QRect(0, rect.Bottom, 400, 100)), 0);
}

TEST(GraphLegendTest, LabelsAreClippedToTheLegend) {
    TPicture picture(300, 60);
    TGraphLayoutFixture f;
    f.Entry(f.Element("A rather long element name that cannot fit"));
    const TDrawRect rect{10, 10, 80, 40};
    DrawLegend(f.Graph.Series, rect, picture.Canvas, 8, 1);
    EXPECT_GT(picture.Ink(QRect(40, 12, 38, 12)), 0);
    EXPECT_EQ(picture.Ink(QRect(rect.Right, 0, 300, 60)), 0);
}

TEST(GraphLegendTest, SampleLinesThickenWithTheScale) {
    struct TCase {
        double S;
        int32_t Rows; // rows of sample colour at the sample's middle column
    };
    const TCase cases[] = {{1, 2}, {2, 4}, {0.4, 1}};
    for (const auto& c : cases) {
        TPicture picture(300, 100);
        TGraphLayoutFixture f;
        f.Entry(f.Element("S"), skSimulated, -1, true, 0xFF0000);
        DrawLegend(f.Graph.Series, {0, 0, 300, 100}, picture.Canvas, TruncToInt(8 * c.S), c.S);
        const int32_t middle = 2 + TruncToInt(8 * c.S) / 2;
        EXPECT_NEAR(picture.Pixels(QRect(middle, 0, 1, 100), qRgb(0, 0, 255)), c.Rows, 1) << c.S;
    }
}

} // namespace
