// Table controls on the diagram: row count, the rows that fit, cells, columns and colours.
#include "TableFixture.h"

#include "document/output/GraphCanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

QImage PaintTable(TTableFixture& t, const TDrawRect& frame, QRgb colour = NormalColour,
                  double s = 1, int width = 400, int height = 300) {
    t.Table->FrameRect = frame;
    QImage image = WhiteImage(width, height);
    QPainter canvas(&image);
    PaintTableControl(*t.Table, canvas, colour, s);
    return image;
}

int32_t RowHeight(double s = 1) {
    QImage image = WhiteImage(10, 10);
    QPainter canvas(&image);
    SetCanvasFont(canvas, TruncToInt(8 * s));
    return TextHeight(canvas) + 6;
}

// One cell painted alone, as the table painter would paint it.
QImage ReferenceCell(const TDrawRect& control, const QString& text, int32_t row, int32_t column,
                     int32_t width, QRgb colour = NormalColour, int imageWidth = 400,
                     int imageHeight = 300) {
    QImage image = WhiteImage(imageWidth, imageHeight);
    QPainter canvas(&image);
    SetCanvasFont(canvas, 8);
    DrawTableCell(canvas, control, RowHeight(), colour, text, row, column, width);
    return image;
}

// The inside of a cell (its text area) looks the same in both pictures.
bool SameCellText(const QImage& a, const QImage& b, const TDrawRect& control, int32_t row,
                  int32_t column, int32_t width) {
    const int32_t cy = RowHeight();
    const int left = control.Left + column + 3;
    const int top = control.Top + row * cy + 3;
    const int right = std::min(control.Left + column + width + 1, control.Right) - 3;
    const int bottom = std::min(control.Top + (row + 1) * cy + 1, control.Bottom) - 3;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

} // namespace

TEST(TableDrawing, IntervalCount) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct TCase {
        const char* Name;
        double Start, Step, Current;
        int32_t Interval;
        int64_t Expected;
    };
    const TCase cases[] = {
        {"every second quarter step", 0, 0.25, 3, 2, 6},
        {"before the first step", 5, 1, 5, 1, 0},
        {"part of an interval is not a row", 0, 1, 2.9999, 1, 2},
        {"part of an interval of two steps", 0, 1, 3, 2, 1},
        {"start after zero", 10, 0.5, 12, 1, 4},
        {"time step zero", 0, 0, 5, 1, 0},
        {"negative time step", 0, -1, 5, 1, 0},
        {"time step not a number", 0, nan, 5, 1, 0},
        {"infinite time step", 0, inf, 5, 1, 0},
        {"interval zero", 0, 1, 5, 0, 0},
        {"negative interval", 0, 1, 5, -3, 0},
        {"current time before the start", 10, 1, 4, 1, 0},
        {"infinite current time", 0, 1, inf, 1, 0},
        {"current time not a number", 0, 1, nan, 1, 0},
        {"absurdly long run", 0, 1e-300, 1e300, 1, 0},
        {"long run is cut", 0, 1, 1e30, 1, TableMaxIntervalCount},
    };
    for (const TCase& c : cases) {
        TTableFixture t;
        t.RunTo(c.Start, c.Step, c.Interval, c.Current);
        EXPECT_EQ(TableIntervalCount(t.Model(), c.Interval), c.Expected) << c.Name;
    }
}

TEST(TableDrawing, FirstRowKeepsTheLatestRows) {
    struct TCase {
        int64_t N;
        int32_t Height, RowHeight;
        int64_t Expected;
    };
    const TCase cases[] = {
        {50, 200, 20, 43}, // ten rows high at time 50: rows for 42 .. 50 below the header
        {50, 219, 20, 43}, // a partial row does not count
        {50, 220, 20, 42}, {0, 200, 20, 1}, // before the first step: one row
        {5, 200, 20, 1},                    // all rows fit
        {7, 200, 20, 1},   {8, 200, 20, 1},
        {9, 200, 20, 2},   {0, 30, 20, 2}, // too short for any body row: 2 is past the last row
        {10, 200, 0, 1},                   // a broken row height does not divide by zero
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TableFirstRow(c.N, c.Height, c.RowHeight), c.Expected)
            << c.N << " " << c.Height << " " << c.RowHeight;
}

TEST(TableDrawing, HeaderLabels) {
    struct TCase {
        uint8_t Kind;
        const char* Expected;
    };
    const TCase cases[] = {
        {skSketched, "Stock (Sk)"}, {skDerived, "Stock (D)"}, {skSimulated, "Stock"}};
    for (const TCase& c : cases) {
        TTableFixture t;
        const TVariableDataLink* entry = t.AddEntry("Stock", c.Kind);
        EXPECT_EQ(TableHeaderLabel(*entry), c.Expected);
    }
}

TEST(TableDrawing, SimulationOfTheDrawingElseOfTheFirstElement) {
    TTableFixture t;
    EXPECT_EQ(TableSimulation(*t.Table), &t.Model());

    TTableInstance loose;
    EXPECT_EQ(TableSimulation(loose), nullptr);
    auto entry = std::make_unique<TVariableDataLink>();
    TVariableObject* element = t.Diagram.Variable(ekVariable, "A");
    entry->Variable.SetTarget(element);
    loose.Series.AddItem(std::move(entry));
    EXPECT_EQ(TableSimulation(loose), element->Simulation());
    EXPECT_NE(TableSimulation(loose), nullptr);
}

TEST(TableDrawing, CellsAreCutBackToTheControl) {
    const TDrawRect control{10, 10, 110, 60};
    struct TCase {
        const char* Name;
        int32_t Row, Column, Width;
        bool TextDrawn;
        QRect Ink; // bounding box of every painted pixel
    };
    const TCase cases[] = {
        {"whole cell", 0, 0, 40, true, QRect(QPoint(10, 10), QPoint(50, 30))},
        {"starts at the right edge", 0, 100, 40, false, QRect()},
        {"starts left of the control", 0, -5, 40, false, QRect()},
        {"cut at the right edge", 0, 85, 40, true, QRect(QPoint(95, 10), QPoint(109, 30))},
        {"too narrow for anything", 0, 0, 1, false, QRect()},
        {"frame only", 0, 0, 5, false, QRect(QPoint(10, 10), QPoint(15, 30))},
        {"cut at the bottom", 2, 0, 40, true, QRect(QPoint(10, 50), QPoint(50, 59))},
        {"below the control", 3, 0, 40, false, QRect()},
    };
    for (const TCase& c : cases) {
        QImage image = WhiteImage(200, 100);
        QPainter canvas(&image);
        SetCanvasFont(canvas, 8);
        const bool drawn = DrawTableCell(canvas, control, 20, NormalColour,
                                         QStringLiteral("123456789012345678901234567890"), c.Row,
                                         c.Column, c.Width);
        canvas.end();
        EXPECT_EQ(drawn, c.TextDrawn) << c.Name;
        EXPECT_EQ(InkBounds(image), c.Ink) << c.Name;
    }
}

TEST(TableDrawing, TallEnoughTableShowsEveryRowFromTheStart) {
    TTableFixture t;
    t.AddEntry("A");
    t.RunTo(0, 1, 1, 3);
    const int32_t cy = RowHeight();
    const TDrawRect frame{10, 10, 310, 10 + 10 * cy};
    const QImage image = PaintTable(t, frame);
    const char* times[] = {"0.000", "1.000", "2.000", "3.000"};
    for (int32_t p = 1; p <= 4; ++p)
        EXPECT_TRUE(
            SameCellText(image, ReferenceCell(frame, times[p - 1], p, 0, 66), frame, p, 0, 66))
            << p;
    // Nothing below the last row.
    EXPECT_FALSE(
        AnyInk(image, QRect(frame.Left, frame.Top + 5 * cy + 1, 300, frame.Height() - 5 * cy - 1)));
}

TEST(TableDrawing, ShortTableShowsTheLatestRowsMostRecentAtTheBottom) {
    TTableFixture t;
    TVariableDataLink* entry = t.AddEntry("A");
    for (int i = 0; i <= 50; ++i)
        entry->Var()->Simulated.AddPoint(i, 2.0 * i);
    t.RunTo(0, 1, 1, 50);
    const int32_t cy = RowHeight();
    const TDrawRect frame{10, 10, 310, 10 + 10 * cy};
    const QImage image = PaintTable(t, frame);

    EXPECT_TRUE(SameCellText(image, ReferenceCell(frame, "Time", 0, 0, 66), frame, 0, 0, 66));
    EXPECT_TRUE(SameCellText(image, ReferenceCell(frame, "A", 0, 66, 66), frame, 0, 66, 66));
    EXPECT_TRUE(SameCellText(image, ReferenceCell(frame, "42.000", 1, 0, 66), frame, 1, 0, 66));
    EXPECT_TRUE(SameCellText(image, ReferenceCell(frame, "84.00", 1, 66, 66), frame, 1, 66, 66));
    EXPECT_TRUE(SameCellText(image, ReferenceCell(frame, "50.000", 9, 0, 66), frame, 9, 0, 66));
    EXPECT_TRUE(SameCellText(image, ReferenceCell(frame, "100.00", 9, 66, 66), frame, 9, 66, 66));
    // The earliest rows are gone.
    EXPECT_FALSE(SameCellText(image, ReferenceCell(frame, "0.000", 1, 0, 66), frame, 1, 0, 66));
}

TEST(TableDrawing, BeforeTheFirstStepOneRowForTheStartTime) {
    TTableFixture t;
    t.AddEntry("A");
    t.RunTo(5, 1, 1, 5);
    const int32_t cy = RowHeight();
    const TDrawRect frame{0, 0, 300, 200};
    const QImage image = PaintTable(t, frame);
    EXPECT_TRUE(SameCellText(image, ReferenceCell(frame, "5.000", 1, 0, 66), frame, 1, 0, 66));
    EXPECT_TRUE(SameCellText(image, ReferenceCell(frame, "0.00", 1, 66, 66), frame, 1, 66, 66));
    EXPECT_FALSE(AnyInk(image, QRect(0, 2 * cy + 1, 300, 200 - 2 * cy - 1)));
}

TEST(TableDrawing, NothingWithoutEntriesOrWithAnEmptyRectangle) {
    TTableFixture t;
    EXPECT_FALSE(AnyInk(PaintTable(t, {0, 0, 300, 200})));
    t.AddEntry("A");
    EXPECT_TRUE(AnyInk(PaintTable(t, {0, 0, 300, 200})));
    EXPECT_FALSE(AnyInk(PaintTable(t, {0, 0, 0, 200})));
    EXPECT_FALSE(AnyInk(PaintTable(t, EmptyRect)));
}

TEST(TableDrawing, ColumnWithoutStoredWidthIsSixPixelsWide) {
    struct TCase {
        double Scale;
        int32_t Left; // where the unstored column starts
    };
    // Time column Trunc(66 s), the first entry Trunc(60 s) + 6.
    const TCase cases[] = {{1.0, 132}, {1.5, 195}};
    for (const TCase& c : cases) {
        TTableFixture t;
        t.AddEntry("A", skSimulated, 60);
        t.AddEntry("B", skSimulated, -1);
        ASSERT_EQ(t.Table->ColumnCount(), 1);
        const QImage image = PaintTable(t, {0, 0, 380, 250}, NormalColour, c.Scale);
        const int y = RowHeight(c.Scale) * 3 / 2; // inside the first body row
        EXPECT_NE(image.pixel(c.Left, y), White) << c.Scale;
        for (int x = c.Left + 1; x < c.Left + 6; ++x)
            EXPECT_EQ(image.pixel(x, y), White) << c.Scale << " " << x;
        EXPECT_NE(image.pixel(c.Left + 6, y), White) << c.Scale;
        for (int x = c.Left + 7; x < 380; ++x)
            ASSERT_EQ(image.pixel(x, y), White) << c.Scale << " " << x;
    }
}

TEST(TableDrawing, TextAndLinesInTheFrameColour) {
    struct TCase {
        const char* Name;
        QRgb Colour;
    };
    const TCase cases[] = {{"selected", SelectedColour}, {"normal", NormalColour}};
    for (const TCase& c : cases) {
        TTableFixture t;
        t.AddEntry("Stock", skSketched);
        t.AddEntry("Flow", skDerived);
        t.RunTo(0, 1, 1, 4);
        const QImage image = PaintTable(t, {0, 0, 300, 200}, c.Colour);
        int exact = 0;
        int wrong = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                if (p == White) continue;
                if (p == c.Colour) ++exact;
                const int r = qRed(p), g = qGreen(p), b = qBlue(p);
                // Antialiased text blends the colour with white: green keeps red equal to
                // blue and below green; black stays grey.
                const bool tint = c.Colour == SelectedColour ? (r == b && g > r) || p == c.Colour
                                                             : r == g && g == b;
                if (!tint) ++wrong;
            }
        EXPECT_GT(exact, 100) << c.Name;
        EXPECT_EQ(wrong, 0) << c.Name;
    }
}

TEST(TableDrawing, HugeTableFormatsOnlyWhatCanBeSeen) {
    // A damaged file: a frame a billion pixels tall over a run of a trillion rows. Only the
    // rows on the picture are laid out, so this paints at once.
    TTableFixture t;
    t.AddEntry("A");
    t.RunTo(0, 1, 1, 1e12);
    const int32_t cy = RowHeight();
    const TDrawRect frame{0, 0, 300, 1000000000};
    const QImage image = PaintTable(t, frame, NormalColour, 1, 300, 200);
    const int64_t first = TableFirstRow(TableIntervalCount(t.Model(), 1), frame.Height(), cy);
    const std::string time = FormatFloat("0.000", static_cast<double>(first - 1));
    EXPECT_TRUE(SameCellText(
        image, ReferenceCell(frame, QString::fromStdString(time), 1, 0, 66, NormalColour, 300, 200),
        frame, 1, 0, 66));
}

TEST(TableDrawing, TheDiagramPaintsTablesThroughThePainter) {
    TTableFixture t;
    t.AddEntry("A");
    t.RunTo(0, 1, 1, 2);
    const QImage image = t.Diagram.Paint(400, 300);
    const TDrawRect frame = t.Table->FrameRect;
    ASSERT_FALSE(frame.IsEmpty());
    EXPECT_TRUE(SameCellText(image, ReferenceCell(frame, "Time", 0, 0, 66), frame, 0, 0, 66));
    EXPECT_TRUE(SameCellText(image, ReferenceCell(frame, "2.000", 3, 0, 66), frame, 3, 0, 66));
}
