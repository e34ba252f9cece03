// Graphs, tables and element graphs as the diagram paints them after a run: kept runs beside
// the live curve, and the document's series colours in element graphs.
#include "document/DocumentTestSupport.h"

#include "core/model/RunToEnd.h"
#include "document/model/DataFile.h"
#include "document/output/GraphDrawing.h"

#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <gtest/gtest.h>

namespace {

int32_t CountColour(const QImage& picture, const QRect& area, QRgb colour) {
    int32_t count = 0;
    const QRect inside = area.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if ((picture.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++count;
    return count;
}

struct TRunDocument {
    TDataFile Document;
    TVariableObject* Level = nullptr;
    TGraphInstance* Graph = nullptr;

    TRunDocument() {
        Document.MakeCurrent();
        TSimulationObject& model = *Document.Simulation;
        TDrawImage& image = Document.Image();
        Level = model.NewElement(ekVariable);
        Level->Name = "Level";
        Level->Equation = "TIME";
        image.AddElement(60, 60, false, Level);
        Graph = static_cast<TGraphInstance*>(image.AddOutputControl(150, 20, occGraph, 550, 320));
        auto entry = std::make_unique<TVariableDataLink>();
        entry->Variable.SetTarget(Level);
        entry->SeriesKind = skSimulated;
        entry->Run = 0;
        entry->Colour = ColourToInt(QColor(qRgb(0, 0, 0xC0)));
        Graph->Series.AddItem(std::move(entry));
    }

    void Run() {
        bool tooLong = false;
        ASSERT_TRUE(Document.Simulation->CheckModel());
        RunToEnd(*Document.Simulation, 1000, tooLong);
    }

    QImage Paint() {
        QImage picture(600, 360, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter canvas(&picture);
        Document.Image().PaintAll(canvas, picture.width(), picture.height());
        return picture;
    }
};

TEST(GraphOnDiagram, AKeptRunStaysBesideTheNewRunWithItsRunNumber) {
    TRunDocument d;
    d.Run();
    d.Document.Image().KeepRunForComparison();
    ASSERT_EQ(d.Graph->Series.Count(), 2);
    const TVariableDataLink* kept = d.Graph->Series[1];
    EXPECT_EQ(LegendLabel(*kept), "Level [1]");
    EXPECT_EQ(LegendLabel(*d.Graph->Series[0]), "Level");

    d.Level->Equation = "TIME * 0.5";
    d.Level->Parsed = false;
    d.Run();
    const QImage picture = d.Paint();
    const QRect graph = d.Graph->FrameRect.ToQRect();
    const QRgb keptColour = ColourFromInt(kept->Colour).rgb();
    const int32_t live = CountColour(picture, graph, qRgb(0, 0, 0xC0));
    const int32_t old = CountColour(picture, graph, keptColour);
    EXPECT_GT(live, 50);
    EXPECT_GT(old, 50);
    // The kept run rises twice as steeply: at the right end it lies above the new run.
    const int32_t column = d.Graph->FrameRect.Right - 60;
    int32_t liveRow = -1, oldRow = -1;
    for (int y = graph.top(); y <= graph.bottom(); ++y) {
        const QRgb p = picture.pixel(column, y) & 0xFFFFFF;
        if (liveRow < 0 && p == (qRgb(0, 0, 0xC0) & 0xFFFFFF)) liveRow = y;
        if (oldRow < 0 && p == (keptColour & 0xFFFFFF)) oldRow = y;
    }
    ASSERT_GE(liveRow, 0);
    ASSERT_GE(oldRow, 0);
    EXPECT_LT(oldRow, liveRow);
}

TEST(GraphOnDiagram, ElementGraphsUseTheDocumentsSeriesColours) {
    TRunDocument d;
    d.Run();
    const QRect shape(20, 20, 80, 80);
    EXPECT_GT(CountColour(d.Paint(), shape, qRgb(0, 128, 0)), 10); // default Simulated green

    d.Document.SeriesColours[skSimulated] = ColourToInt(QColor(qRgb(200, 0, 200)));
    const QImage recoloured = d.Paint();
    EXPECT_GT(CountColour(recoloured, shape, qRgb(200, 0, 200)), 10);
    EXPECT_EQ(CountColour(recoloured, shape, qRgb(0, 128, 0)), 0);

    // Hiding the Simulated series after Now leaves only the part up to Now.
    d.Document.SeriesColours[skSimulated] = ColourToInt(QColor(qRgb(0, 128, 0)));
    const int32_t whole = CountColour(d.Paint(), shape, qRgb(0, 128, 0));
    d.Document.SeriesShow[skSimulated * 2 + 1] = false;
    const int32_t beforeNow = CountColour(d.Paint(), shape, qRgb(0, 128, 0));
    EXPECT_GT(beforeNow, 0);
    EXPECT_LT(beforeNow, whole);
}

} // namespace
