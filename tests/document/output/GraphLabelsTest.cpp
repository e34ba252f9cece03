// Which tick labels are drawn and where.
#include "GraphLayoutFixture.h"
#include "document/output/GraphLabelRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TTickList Labelled(const TTickList& ticks) {
    const TLabelSpan span = ValueLabelSpan(ticks);
    TTickList labels;
    for (int32_t i = span.First; i <= span.Last; ++i)
        labels.push_back(ticks[static_cast<size_t>(i)]);
    return labels;
}

TEST(GraphLabelsTest, ValueLabelsSkipLimitsThatAreOffTheGrid) {
    struct TCase {
        TTickList Ticks;
        TTickList Expected;
    };
    const TCase cases[] = {
        {{}, {}},
        {{"3"}, {"3"}},
        {{"0", "10"}, {"0", "10"}},
        {{"0", "5", "10"}, {"0", "5", "10"}},
        // max twice: labelled once.
        {CalcValueTicks(10, 0), {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {CalcValueTicks(9.2, 3.7), {"4", "5", "6", "7", "8", "9"}},
        {CalcValueTicks(150, 0), {"0", "20", "40", "60", "80", "100", "120", "140"}},
        {CalcValueTicks(5, -3.5), {"-3", "-2", "-1", "0", "1", "2", "3", "4", "5"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Labelled(c.Ticks), c.Expected) << c.Ticks.size();
}

TEST(GraphLabelsTest, CrowdedTimeLabelsShowEveryOtherOneAndTheLast) {
    struct TCase {
        std::vector<int32_t> Xs;
        int32_t Width;
        std::vector<bool> Expected;
    };
    const TCase cases[] = {
        {{}, 10, {}},
        {{0}, 500, {true}},
        {{0, 50, 100, 150}, 10, {true, true, true, true}},
        // Every label reaches the next: the second, fourth ... and the last are shown.
        {{0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50},
         10,
         {false, true, false, true, false, true, false, true, false, true, true}},
        {{0, 5, 10, 15}, 10, {false, true, false, true}},
        {{0, 5, 10}, 10, {false, true, true}},
        // Only some places crowded.
        {{0, 10, 100, 110, 200}, 10, {false, true, false, true, true}},
        {{0, 100, 110, 200}, 10, {true, false, true, true}},
        // Touching counts as crowded (x + width + 2 reaching the next x).
        {{0, 12}, 10, {false, true}},
        {{0, 13}, 10, {true, true}},
    };
    for (const auto& c : cases) {
        const std::vector<int32_t> widths(c.Xs.size(), c.Width);
        EXPECT_EQ(TimeLabelsShown(c.Xs, widths), c.Expected) << c.Xs.size();
    }
}

// The rows a label whose top is at y covers with its digits.
QRect LabelBand(int32_t left, int32_t right, int32_t top, int32_t fontHeight) {
    return QRect(left, top + 1, right - left, fontHeight - 2);
}

TEST(GraphLabelsTest, ValueLabelsArePaintedAtTheirValuesRows) {
    // 3.7 .. 9.2 on 550 rows: 100 pixels per unit, 3.7 on row 570, 9.2 on row 20.
    TPicture picture(80, 600);
    const TDrawRect rect{0, 20, 60, 571};
    DrawValueLabels(rect, picture.Canvas, CalcValueTicks(9.2, 3.7), 8, 9.2, 3.7);
    const int32_t fontHeight = FontHeight(picture.Canvas);
    auto rowOf = [&](double v) {
        return TruncToInt((v - 3.7) * (rect.Top - rect.Bottom + 1) / (9.2 - 3.7) + rect.Bottom -
                          1) -
               fontHeight / 2;
    };
    for (double v : {4.0, 5.0, 6.0, 7.0, 8.0, 9.0})
        EXPECT_GT(picture.Ink(LabelBand(0, 60, rowOf(v), fontHeight)), 0) << v;
    // The limits themselves are off the grid and carry no label.
    for (double v : {3.7, 9.2})
        EXPECT_EQ(picture.Ink(LabelBand(0, 80, rowOf(v), fontHeight)), 0) << v;
    // Right-aligned to the rectangle's right edge.
    EXPECT_EQ(picture.Ink(QRect(60, 0, 20, 600)), 0);
    EXPECT_GT(picture.Ink(QRect(50, rowOf(5), 10, fontHeight)), 0);
}

TEST(GraphLabelsTest, ValueLabelsNeedAScale) {
    TPicture picture(80, 300);
    DrawValueLabels({0, 0, 60, 300}, picture.Canvas, {"5", "5"}, 8, 5, 5);
    DrawValueLabels({0, 0, 60, 300}, picture.Canvas, {"0", "1"}, 8,
                    std::numeric_limits<double>::infinity(), 0);
    EXPECT_EQ(picture.Ink(QRect(0, 0, 80, 300)), 0);
}

TEST(GraphLabelsTest, LabelsBetweenEditBoxesKeepClearOfThem) {
    TPicture picture(80, 300);
    const TDrawRect rect{0, 0, 60, 300};
    DrawValueLabelsBetween(rect, picture.Canvas, {"0", "0.5", "1", "5", "9.8", "10"}, 8, 10, 0);
    const int32_t fontHeight = FontHeight(picture.Canvas);
    // max at Top + 4, min at Bottom - 18.
    EXPECT_GT(picture.Ink(LabelBand(0, 60, 4, fontHeight)), 0);
    EXPECT_GT(picture.Ink(LabelBand(0, 60, 282, fontHeight)), 0);
    // Inside the band: y = Trunc(v * (Top - Bottom + 23) / 10 + Bottom - 12) - half height.
    auto rowOf = [&](double v) { return TruncToInt(v * -277 / 10 + 288) - fontHeight / 2; };
    for (double v : {1.0, 5.0})
        EXPECT_GT(picture.Ink(LabelBand(0, 60, rowOf(v), fontHeight)), 0) << v;
    // 0.5 would sit on the min box, 9.8 on the max box.
    EXPECT_EQ(picture.Ink(QRect(0, rowOf(0.5), 80, 282 - rowOf(0.5))), 0);
    const int32_t maxLabelEnd = 4 + fontHeight;
    EXPECT_EQ(picture.Ink(QRect(0, maxLabelEnd, 80, rowOf(9.8) + fontHeight - maxLabelEnd)), 0);
}

TEST(GraphLabelsTest, LimitLabelsBetweenEditBoxesUseAnExponentAboveAMillion) {
    // The wider text of 2000000 reaches further left than that of 2.00E+06.
    TPicture plain(200, 100);
    DrawValueLabelsBetween({0, 0, 200, 100}, plain.Canvas, {}, 8, 1000000, 0);
    TPicture exponent(200, 100);
    DrawValueLabelsBetween({0, 0, 200, 100}, exponent.Canvas, {}, 8, 2000000, 0);
    SetLabelFont(plain.Canvas, 8);
    const int32_t plainWidth = TextWidth(plain.Canvas, "1000000");
    const int32_t exponentWidth = TextWidth(plain.Canvas, "2.00E+06");
    const QRect top(0, 4, 200, 12);
    auto leftmostInk = [](TPicture& picture, const QRect& area) {
        for (int x = area.left(); x <= area.right(); ++x)
            if (picture.Ink(QRect(x, area.top(), 1, area.height())) > 0) return x;
        return -1;
    };
    EXPECT_NEAR(leftmostInk(plain, top), 200 - plainWidth, 2);
    EXPECT_NEAR(leftmostInk(exponent, top), 200 - exponentWidth, 2);
}

// Five-digit labels on an axis where neighbouring labels just touch (spacing = text width)
// or stand well apart (spacing = three text widths).
struct TTimeAxis {
    TTickList Ticks;
    int32_t Spacing = 0;
    int32_t TextWidth = 0;
    static constexpr int32_t Left = 30;
    static constexpr int32_t Top = 10;
};

TTimeAxis MakeAxis(QPainter& canvas, int32_t widths) {
    TTimeAxis axis;
    for (int i = 0; i <= 10; ++i)
        axis.Ticks.push_back(IntToStr(10000 + 1000 * i));
    SetLabelFont(canvas, 8);
    axis.TextWidth = TextWidth(canvas, "10000");
    axis.Spacing = axis.TextWidth * widths;
    return axis;
}

std::vector<bool> LabelsSeen(TPicture& picture, const TTimeAxis& axis) {
    const int32_t fontHeight = FontHeight(picture.Canvas);
    std::vector<bool> seen;
    for (int i = 0; i <= 10; ++i) {
        const int32_t x = TTimeAxis::Left + i * axis.Spacing;
        // The middle of the label, clear of its neighbours.
        seen.push_back(picture.Ink(QRect(x - axis.TextWidth / 4, TTimeAxis::Top + 5,
                                         axis.TextWidth / 2, fontHeight)) > 0);
    }
    return seen;
}

TEST(GraphLabelsTest, TimeLabelsOnANarrowAxisShowEveryOtherStartingWithTheSecond) {
    struct TCase {
        int32_t Widths;
        std::vector<bool> Expected;
    };
    const TCase cases[] = {
        {1, {false, true, false, true, false, true, false, true, false, true, true}},
        {3, std::vector<bool>(11, true)},
    };
    for (const auto& c : cases) {
        TPicture picture(1000, 60);
        const TTimeAxis axis = MakeAxis(picture.Canvas, c.Widths);
        const TDrawRect rect{TTimeAxis::Left, TTimeAxis::Top, TTimeAxis::Left + 10 * axis.Spacing,
                             60};
        ASSERT_LT(rect.Right + axis.TextWidth, 1000);
        DrawTimeLabels(rect, picture.Canvas, "", 8, axis.Ticks, 20000, 10000);
        EXPECT_EQ(LabelsSeen(picture, axis), c.Expected) << c.Widths;
    }
}

TEST(GraphLabelsTest, TimeLabelSitsWhereItsOffsetTimesTheWidthOverTheSpanPutsIt) {
    // 13 x 107 / 13 is exactly 107 where 13 x (107 / 13) gives 106.99..., and the other way
    // round for 0.7 x 106 / 0.7.
    struct TCase {
        std::string Tick;
        double Max;
        int32_t Width;
        int32_t ExpectedX;
    };
    const TCase cases[] = {{"13", 13, 107, 107}, {"0.7", 0.7, 106, 105}, {"6.6", 11, 105, 63}};
    for (const auto& c : cases) {
        TPicture drawn(200, 40);
        DrawTimeLabels({0, 0, c.Width, 40}, drawn.Canvas, "", 8, {c.Tick}, c.Max, 0);
        drawn.Canvas.end();
        TPicture expected(200, 40);
        SetLabelFont(expected.Canvas, 8);
        const QString text = QString::fromStdString(c.Tick);
        TextAt(expected.Canvas, c.ExpectedX - TextWidth(expected.Canvas, text) / 2, 5, text);
        expected.Canvas.end();
        EXPECT_TRUE(drawn.Image == expected.Image) << c.Tick;
    }
}

TEST(GraphLabelsTest, TimeTitleIsCentredBelowTheLabels) {
    TPicture picture(400, 60);
    DrawTimeLabels({0, 10, 400, 60}, picture.Canvas, "Months", 8, {}, 24, 0);
    const int32_t fontHeight = FontHeight(picture.Canvas);
    const int32_t width = TextWidth(picture.Canvas, "Months");
    const int32_t left = (400 - width) / 2;
    EXPECT_GT(picture.Ink(QRect(left, 28, width, fontHeight)), 0);
    EXPECT_EQ(picture.Ink(QRect(0, 0, left - 2, 60)), 0);
    EXPECT_EQ(picture.Ink(QRect(left + width + 2, 0, 400, 60)), 0);
    EXPECT_EQ(picture.Ink(QRect(0, 0, 400, 28)), 0);
}

TEST(GraphLabelsTest, TimeLabelsWithoutSpanSitAtTheLeft) {
    TPicture picture(200, 60);
    DrawTimeLabels({50, 10, 150, 60}, picture.Canvas, "", 8, CalcTimeTicks("", nullptr, 3, 3), 3,
                   3);
    EXPECT_GT(picture.Ink(QRect(44, 15, 12, 12)), 0);
    EXPECT_EQ(picture.Ink(QRect(60, 0, 140, 60)), 0);
}

} // namespace
