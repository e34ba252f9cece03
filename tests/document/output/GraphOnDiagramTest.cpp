// Graphs, tables and element graphs as the diagram paints them after a run: kept runs beside
// the live curve, and the document's series colours in element graphs.
#include "support/DiagramBuilder.h"
#include "support/PixelKit.h"

#include "core/model/RunToEnd.h"
#include "document/model/DataFile.h"
#include "document/output/GraphDrawing.h"

#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <gtest/gtest.h>

namespace {

struct TRunDocument {
    TDataFile Document;
    TVariableObject* Level = nullptr;
    TGraphInstance* Graph = nullptr;

    TRunDocument() {
        Document.MakeCurrent();
        TDiagramBuilder build(Document);
        Level = build.Place(ekVariable, "Level", 60, 60)->Var();
        Level->Equation = "TIME";
        Graph = static_cast<TGraphInstance*>(
            Document.Image().AddOutputControl(150, 20, occGraph, 550, 320));
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
    const int32_t live = Count(picture, graph, qRgb(0, 0, 0xC0));
    const int32_t old = Count(picture, graph, keptColour);
    EXPECT_GT(live, 50);
    EXPECT_GT(old, 50);
    // The kept run rises twice as steeply: at the right end it lies above the new run.
    const int32_t column = d.Graph->FrameRect.Right - 60;
    const int32_t liveRow =
        FirstRow(picture, column, graph.top(), graph.bottom(), qRgb(0, 0, 0xC0));
    const int32_t oldRow = FirstRow(picture, column, graph.top(), graph.bottom(), keptColour);
    ASSERT_GE(liveRow, 0);
    ASSERT_GE(oldRow, 0);
    EXPECT_LT(oldRow, liveRow);
}

TEST(GraphOnDiagram, ElementGraphsUseTheDocumentsSeriesColours) {
    TRunDocument d;
    d.Run();
    const QRect shape(20, 20, 80, 80);
    EXPECT_GT(Count(d.Paint(), shape, qRgb(0, 128, 0)), 10); // default Simulated green

    d.Document.SeriesColours[skSimulated] = ColourToInt(QColor(qRgb(200, 0, 200)));
    d.Document.ApplyGraphOptions();
    const QImage recoloured = d.Paint();
    EXPECT_GT(Count(recoloured, shape, qRgb(200, 0, 200)), 10);
    EXPECT_EQ(Count(recoloured, shape, qRgb(0, 128, 0)), 0);

    // Hiding the Simulated series after Now leaves only the part up to Now.
    d.Document.SeriesColours[skSimulated] = ColourToInt(QColor(qRgb(0, 128, 0)));
    d.Document.ApplyGraphOptions();
    const int32_t whole = Count(d.Paint(), shape, qRgb(0, 128, 0));
    d.Document.SeriesShow[skSimulated * 2 + 1] = false;
    d.Document.ApplyGraphOptions();
    const int32_t beforeNow = Count(d.Paint(), shape, qRgb(0, 128, 0));
    EXPECT_GT(beforeNow, 0);
    EXPECT_LT(beforeNow, whole);
}

TEST(GraphOnDiagram, ElementGraphsKeepTheColoursAfterReloadAndUndo) {
    TRunDocument d;
    d.Run();
    const QRect shape(20, 20, 80, 80);
    const QRgb purple = qRgb(200, 0, 200);
    d.Document.SeriesColours[skSimulated] = ColourToInt(QColor(purple));
    d.Document.ApplyGraphOptions();

    std::string message;
    auto reloaded = TDataFile::LoadModelText(d.Document.SavedText(), "colours.qvf", message);
    ASSERT_TRUE(reloaded) << message;
    QImage picture(600, 360, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter canvas(&picture);
        reloaded->Image().PaintAll(canvas, picture.width(), picture.height());
    }
    EXPECT_GT(Count(picture, shape, purple), 10);
    reloaded.reset();

    d.Document.MakeCurrent();
    d.Document.PushUndo();
    d.Document.Undo();
    // The snapshot taken during the run holds none of its points, yet Undo takes back the
    // edit, not the run: the curve stays.
    EXPECT_GT(Count(d.Paint(), shape, purple), 10);
}

} // namespace
