// Undo snapshots and the structure buffer, checked through the saved text.
#include "support/DiagramBuilder.h"
#include "support/TempDir.h"

#include "core/model/RunToEnd.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"

#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace {

// The saved text with the modification time held still: undo restores the model and
// the diagram, while the time of the last change moves on.
std::string ModelText(TDataFile& document) {
    const TDateTime modified = document.Modified;
    document.Modified = 45001.25;
    std::string text = document.SavedText();
    document.Modified = modified;
    return text;
}

// A small model: Price and Volume feed Sales; a note beside them.
void BuildSalesModel(TDataFile& document) {
    TDiagramBuilder b(document);
    TVariableObject* price = b.Element(ekConstant, "Price", "5", 100, 100);
    TVariableObject* volume = b.Element(ekConstant, "Volume", "20", 100, 250);
    TVariableObject* sales = b.Element(ekVariable, "Sales", "Price * Volume", 300, 170);
    b.DrawnLink(price, sales);
    b.DrawnLink(volume, sales);
    b.Note("Sales model", {400, 20, 500, 60});
}

void SelectAll(TDrawImage& image) {
    for (TVariableInstance* shape : image.Elements)
        shape->Selected = true;
    for (TLinkInstance* link : image.Links)
        link->Selected = true;
    for (TOutputControlInstance* control : image.OutputControls)
        control->Selected = true;
}

} // namespace

TEST(Undo, TenEditsAndTenUndosRestoreTheSavedText) {
    TDataFile document;
    BuildSalesModel(document);
    const std::string before = ModelText(document);
    TSimulationObject* model = nullptr;
    auto sim = [&]() -> TSimulationObject& { return *document.Simulation; };
    auto var = [&](int i) { return sim().Variables[i]; };

    const std::vector<std::function<void()>> edits = {
        [&] { var(0)->Equation = "7"; },
        [&] { sim().StopTime = 48; },
        [&] { TDiagramBuilder(document).Element(ekResource, "Stock", "100", 500, 300); },
        [&] {
            var(1)->Name = "Units";
            sim().RenameInEquations("Volume", "Units");
        },
        [&] {
            document.Image().Elements[0]->Position = {150, 90};
        },
        [&] { var(2)->Sketched.AddPoint(3, 42); },
        [&] {
            TDiagramBuilder(document).Note("Second note", {10, 400, 200, 460});
        },
        [&] { document.Image().Zoom = 150; },
        [&] { document.Image().RemoveObject(document.Image().Links[0]); },
        [&] { document.Image().RemoveObject(document.Image().Elements[1]); },
    };
    std::vector<std::string> texts;
    for (const auto& edit : edits) {
        texts.push_back(ModelText(document));
        document.PushUndo();
        EXPECT_EQ(CurrentSimulation, document.Simulation.get());
        edit();
        document.MarkModified();
        EXPECT_NE(ModelText(document), texts.back());
    }
    model = document.Simulation.get();
    for (size_t i = edits.size(); i-- > 0;) {
        ASSERT_TRUE(document.CanUndo());
        document.Undo();
        EXPECT_EQ(ModelText(document), texts[i]) << "after undoing edit " << i + 1;
        EXPECT_EQ(CurrentSimulation, document.Simulation.get());
        EXPECT_EQ(document.Simulation->Owner, &document);
        EXPECT_EQ(document.Image().Owner, &document);
        EXPECT_EQ(document.Image().Model, document.Simulation.get());
    }
    EXPECT_NE(document.Simulation.get(), model);
    EXPECT_EQ(ModelText(document), before);
    EXPECT_TRUE(document.IsModified);

    // An eleventh undo does nothing.
    EXPECT_FALSE(document.CanUndo());
    document.Undo();
    EXPECT_EQ(ModelText(document), before);
}

TEST(Undo, RestoredModelRunsAgain) {
    TDataFile document;
    BuildSalesModel(document);
    document.PushUndo();
    document.Simulation->Variables[0]->Equation = "(";
    document.Undo();
    TSimulationObject& model = *document.Simulation;
    ASSERT_TRUE(model.CheckModel());
    model.Reset();
    model.Step();
    EXPECT_EQ(model.Variables[2]->Value, 100);
}

TEST(StructureBuffer, UndoAfterCopyMakesPasteUnavailable) {
    TDataFile document;
    BuildSalesModel(document);
    SelectAll(document.Image());
    document.CopySelection(document.Image(), false);
    EXPECT_TRUE(ClipboardHasStructure);
    EXPECT_EQ(CurrentSimulation, document.Simulation.get());
    EXPECT_FALSE(document.IsModified); // a copy changes nothing
    document.PushUndo();
    document.Undo();
    EXPECT_FALSE(ClipboardHasStructure);
}

TEST(StructureBuffer, CopyKeepsOnlyTheSelectionAndWhatItNeeds) {
    TDataFile document;
    BuildSalesModel(document);
    const std::string before = ModelText(document);
    TDrawImage& image = document.Image();
    image.Elements[0]->Selected = true; // Price only
    document.CopySelection(image, false);
    EXPECT_EQ(ModelText(document), before);
    TCopyObject& buffer = ClipboardCopy();
    ASSERT_EQ(buffer.Simulation->Variables.Count(), 1);
    EXPECT_EQ(buffer.Simulation->Variables[0]->Name, "Price");
    EXPECT_EQ(buffer.Image().Elements.Count(), 1);
    EXPECT_TRUE(buffer.Image().Links.IsEmpty());
    EXPECT_TRUE(buffer.Image().OutputControls.IsEmpty());
    EXPECT_EQ(buffer.Image().Elements[0]->Var(), buffer.Simulation->Variables[0]);
}

TEST(StructureBuffer, PastingTwiceGivesConsistentDifferentlyNamedElements) {
    TDataFile document;
    BuildSalesModel(document);
    SelectAll(document.Image());
    document.CopySelection(document.Image(), false);
    for (TVariableInstance* shape : document.Image().Elements)
        shape->Selected = false;

    document.PasteStructure(document.Image());
    EXPECT_TRUE(document.IsModified);
    document.PasteStructure(document.Image());
    EXPECT_EQ(CurrentSimulation, document.Simulation.get());

    TSimulationObject& model = *document.Simulation;
    ASSERT_EQ(model.Variables.Count(), 9);
    std::set<std::string> names;
    for (TVariableObject* element : model.Variables) {
        std::string id = element->Identifier();
        for (char& c : id)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(names.insert(id).second) << element->Name;
    }
    EXPECT_EQ(model.Variables[3]->Name, "Price2");
    EXPECT_EQ(model.Variables[5]->Name, "Sales2");
    EXPECT_EQ(model.Variables[5]->Equation, "Price2 * Volume2");
    EXPECT_EQ(model.Variables[8]->Equation, "Price3 * Volume3");
    EXPECT_EQ(document.Image().Elements.Count(), 9);
    EXPECT_EQ(document.Image().Links.Count(), 6);
    EXPECT_EQ(document.Image().OutputControls.Count(), 3);

    // The pasted parts are whole models of their own: the check passes and they compute.
    ASSERT_TRUE(model.CheckModel());
    model.Reset();
    model.Step();
    EXPECT_EQ(model.Variables[8]->Value, 100);

    // And the document still saves and loads as one model.
    auto again = LoadText(document.SavedText());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->SavedText(), document.SavedText());
}

TEST(StructureBuffer, CutRemovesTheSelectionAndUndoBringsItBack) {
    TDataFile document;
    BuildSalesModel(document);
    const std::string before = ModelText(document);
    document.PushUndo();
    document.Image().Elements[2]->Selected = true; // Sales
    document.CopySelection(document.Image(), true);
    EXPECT_TRUE(document.IsModified);
    EXPECT_TRUE(ClipboardHasStructure);
    EXPECT_EQ(document.Simulation->Variables.Count(), 2);
    EXPECT_TRUE(document.Image().Links.IsEmpty());
    EXPECT_EQ(ClipboardCopy().Simulation->Variables.Count(), 1);

    document.Undo();
    EXPECT_EQ(ModelText(document), before);
}

namespace {

// A model after runs, with data of every kind: Rate follows its sketch and drives the
// Inflow that fills Stock; Stock has derived data from the sketched inflow; a graph
// shows Stock with a kept earlier run, and a table lists it. The values are not short
// decimals, so a copy that went through 15-digit text would not give them back exactly.
struct TRichDocument {
    TDataFile Document;
    TVariableObject* Rate = nullptr;
    TVariableObject* Inflow = nullptr;
    TVariableObject* Stock = nullptr;
    TGraphInstance* Graph = nullptr;

    TRichDocument() {
        Document.MakeCurrent();
        TSimulationObject& model = *Document.Simulation;
        TDrawImage& image = Document.Image();
        model.StopTime = 12;
        auto element = [&](uint8_t kind, const char* name, const char* equation) {
            TVariableObject* v = model.NewElement(kind);
            v->Name = name;
            v->Equation = equation;
            return v;
        };
        Rate = element(ekVariable, "Rate", "");
        Inflow = element(ekFlow, "Inflow", "Rate / 3");
        Stock = element(ekResource, "Stock", "100 / 7");
        for (int t = 0; t <= 12; t += 3)
            Rate->Sketched.AddPoint(t, 0.1 * t + 1.0 / 3);
        Inflow->Sketched.AddPoint(0, 2.0 / 3);
        Inflow->Sketched.AddPoint(12, 0.7);
        TVariableInstance* rate = image.AddElement(100, 300, false, Rate);
        auto* flow = image.AddFlow(300, 100, Inflow);
        image.AddElement(390, 100, false, Stock);
        Paint();
        image.AttachFlowEnds();
        image.AddLink(100, 300, rate, flow, 300, 100);
        Graph = static_cast<TGraphInstance*>(image.AddOutputControl(450, 20, occGraph, 800, 300));
        auto* table =
            static_cast<TTableInstance*>(image.AddOutputControl(450, 320, occTable, 800, 500));
        for (TTableGraphOutputInstance* output : {static_cast<TTableGraphOutputInstance*>(Graph),
                                                  static_cast<TTableGraphOutputInstance*>(table)}) {
            auto entry = std::make_unique<TVariableDataLink>();
            entry->Variable.SetTarget(Stock);
            entry->Run = 0;
            output->Series.AddItem(std::move(entry));
        }
        Stock->Derive(false);
        Run();
        image.KeepRunForComparison();
        Stock->Equation = "100 / 3";
        Stock->Parsed = false;
        Run();
    }

    // A run, with the clock left at the start as in a model opened from its file: a
    // snapshot, like a file, keeps the runs but not the position of the clock.
    void Run() {
        TSimulationObject& model = *Document.Simulation;
        bool tooLong = false;
        ASSERT_TRUE(model.CheckModel());
        RunToEnd(model, 1000, tooLong);
        model.CurrentTime = model.StartTime;
        model.AtStart = true;
    }

    void Paint() {
        QImage picture(900, 600, QImage::Format_RGB32);
        QPainter canvas(&picture);
        Document.Image().PaintAll(canvas, picture.width(), picture.height());
    }

    // Every point of every series, the kept runs included.
    std::vector<TDataPoint> AllPoints() const {
        std::vector<TDataPoint> points;
        auto add = [&](const TDataSeries& series) {
            points.insert(points.end(), series.Points.begin(), series.Points.end());
        };
        for (const TVariableObject* v : Document.Simulation->Variables)
            for (const TDataSeries* series : {&v->Sketched, &v->Derived, &v->Simulated})
                add(*series);
        for (TOutputControlInstance* control : Document.Image().OutputControls)
            if (auto* output = dynamic_cast<TTableGraphOutputInstance*>(control))
                for (const TVariableDataLink* entry : output->Series)
                    add(entry->OwnSeries);
        return points;
    }
};

bool SameBits(const std::vector<TDataPoint>& a, const std::vector<TDataPoint>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(TDataPoint)) == 0);
}

} // namespace

TEST(Undo, EveryKindOfEditOnARunModelIsUndoneExactly) {
    using TEdit = std::function<void(TRichDocument&)>;
    const std::vector<std::pair<const char*, TEdit>> cases = {
        {"equation", [](TRichDocument& d) { d.Stock->Equation = "7"; }},
        {"time settings", [](TRichDocument& d) { d.Document.Simulation->StopTime = 48; }},
        {"new element",
         [](TRichDocument& d) {
             TDiagramBuilder(d.Document).Element(ekConstant, "Price", "5", 600, 400);
         }},
        {"rename",
         [](TRichDocument& d) {
             d.Rate->Name = "Speed";
             d.Document.Simulation->RenameInEquations("Rate", "Speed");
         }},
        {"shape moved",
         [](TRichDocument& d) {
             d.Document.Image().Elements[0]->Position = {5, 5};
         }},
        {"sketch point", [](TRichDocument& d) { d.Rate->Sketched.AddPoint(3, 42); }},
        {"sketch cleared", [](TRichDocument& d) { d.Rate->Sketched.Clear(); }},
        {"derived refreshed",
         [](TRichDocument& d) {
             d.Inflow->Sketched.AddPoint(6, 9);
             d.Stock->Derive(false);
         }},
        {"kept run removed", [](TRichDocument& d) { d.Graph->Series.Delete(1); }},
        {"note added",
         [](TRichDocument& d) {
             TDiagramBuilder(d.Document).Note("Note", {10, 400, 200, 460});
         }},
        {"zoom", [](TRichDocument& d) { d.Document.Image().Zoom = 150; }},
        {"link removed",
         [](TRichDocument& d) {
             TDrawImage& image = d.Document.Image();
             image.RemoveObject(image.Links[image.Links.Count() - 1]);
         }},
        {"element removed",
         [](TRichDocument& d) { d.Document.Image().RemoveObject(d.Document.Image().Elements[2]); }},
        {"cut",
         [](TRichDocument& d) {
             d.Document.Image().Elements[1]->Selected = true;
             d.Document.CopySelection(d.Document.Image(), true);
         }},
        {"pasted",
         [](TRichDocument& d) {
             SelectAll(d.Document.Image());
             d.Document.CopySelection(d.Document.Image(), false);
             d.Document.PasteStructure(d.Document.Image());
         }},
    };
    for (const auto& [what, edit] : cases) {
        TRichDocument d;
        ASSERT_FALSE(d.Stock->Derived.IsEmpty());
        ASSERT_EQ(d.Graph->Series.Count(), 2);
        const std::string before = ModelText(d.Document);
        const std::vector<TDataPoint> points = d.AllPoints();
        d.Document.PushUndo();
        edit(d);
        d.Document.MarkModified();
        EXPECT_NE(ModelText(d.Document), before) << what;
        d.Document.Undo();
        EXPECT_EQ(ModelText(d.Document), before) << what;
        // The restored series are those of before to the last bit, as a CSV export shows.
        EXPECT_TRUE(SameBits(d.AllPoints(), points)) << what;
        // The restored model is whole: it checks and runs to the same results.
        d.Run();
        EXPECT_EQ(ModelText(d.Document), before) << what;
    }
}

// Undo takes back edits, not results: what a run, a step back or Stop/Reset did since the
// snapshot stays, to the last bit, while the edit made with it goes.
TEST(Undo, ResultsSinceTheSnapshotStayWhileTheEditGoes) {
    struct TCase {
        const char* What;
        std::function<void(TRichDocument&)> Act;
        int GraphSeries; // the graph's entries after Undo
    } cases[] = {
        {"run point changed", [](TRichDocument& d) { d.Stock->Simulated.AddPoint(0, 9); }, 2},
        {"edit and run again",
         [](TRichDocument& d) {
             d.Stock->Equation = "1";
             d.Stock->Parsed = false;
             d.Run();
         },
         2},
        {"stepped back",
         [](TRichDocument& d) {
             TSimulationObject& model = *d.Document.Simulation;
             bool tooLong = false;
             RunToEnd(model, 1000, tooLong);
             model.StepBackTo(5);
         },
         2},
        {"run kept", [](TRichDocument& d) { d.Document.Image().KeepRunForComparison(); }, 3},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TRichDocument d;
        const std::string before = ModelText(d.Document);
        d.Document.PushUndo();
        c.Act(d);
        const std::vector<TDataPoint> results = d.AllPoints();
        d.Document.MarkModified();
        d.Document.Undo();
        EXPECT_TRUE(SameBits(d.AllPoints(), results));
        const TVariableObject* stock = d.Document.Simulation->FindByIdentifier("Stock");
        ASSERT_NE(stock, nullptr);
        EXPECT_EQ(stock->Equation, "100 / 3");
        const auto* graph =
            dynamic_cast<const TGraphInstance*>(d.Document.Image().OutputControls[0]);
        ASSERT_NE(graph, nullptr);
        EXPECT_EQ(graph->Series.Count(), c.GraphSeries);
        // The restored model is whole: it runs to the results of before.
        if (c.GraphSeries == 2) {
            d.Run();
            EXPECT_EQ(ModelText(d.Document), before);
        }
    }
}

TEST(DocumentEdit, OneSnapshotPerEditAndNoneForNoChange) {
    TDataFile document;
    BuildSalesModel(document);
    document.IsModified = false;
    const std::string before = ModelText(document);
    TVariableObject* price = document.Simulation->Variables[0];
    {
        // A gesture that changes the model three times is one undo step.
        TDocumentEdit edit(document, efCheck);
        for (const char* equation : {"6", "7", "8"}) {
            edit.Touch();
            price->Equation = equation;
            price->Parsed = false;
        }
    }
    EXPECT_EQ(document.UndoStack.size(), 1u);
    EXPECT_TRUE(document.IsModified);
    // The check ran once the gesture ended: the new equation is compiled.
    EXPECT_TRUE(price->Parsed);
    EXPECT_EQ(price->Value, 8);

    document.IsModified = false;
    EXPECT_FALSE(EditDocument(document, efStructure, [] { return false; }));
    {
        TDocumentEdit edit(document);
        edit.Touch();
        edit.Abandon(); // a dialog cancelled after putting everything back
    }
    EXPECT_EQ(document.UndoStack.size(), 1u);
    EXPECT_FALSE(document.IsModified);

    document.Undo();
    EXPECT_EQ(ModelText(document), before);
}
