#pragma once
// The real main window with a diagram to edit: mouse events go to the surface widget, the
// tools are the main window's buttons, and the saved text tells what changed.

#include "app/MainFormFixture.h"
#include "app/widgets/DrawSurface.h"
#include "document/diagram/DrawingObjects.h"
#include "support/DiagramBuilder.h"

#include <QApplication>
#include <QMouseEvent>
#include <QToolButton>

class DiagramTest : public MainFormTest {
protected:
    TFormMainView& View() { return *Form->MainView; }
    TDataFile& Doc() { return *Form->ActiveDocument(); }
    TDrawImage& Drawing() { return Doc().Image(); }

    void StartWith(const std::string& file = std::string()) {
        Start();
        Form->resize(1000, 760);
        QApplication::processEvents();
        if (!file.empty()) Form->LoadModel(Q(file), false);
        View().RefreshView();
    }

    // A model file with a diagram: a stock filled and drained by two flows, a rate that feeds
    // the inflow, a demand, a note; the inflow carries a sketch, so the stock can derive.
    std::string StockModel() {
        TSimulationObject* keep = CurrentSimulation;
        {
            TDataFile document;
            TDiagramBuilder b(document);
            TVariableInstance* stock = b.Place(ekResource, "Stock", 300, 200);
            b.Place(ekFlow, "Inflow", 210, 200);
            b.Place(ekFlow, "Outflow", 390, 200);
            b.Place(ekConstant, "Rate", 120, 60);
            b.Place(ekVariable, "Demand", 480, 60);
            b["Stock"].Equation = "100";
            b["Inflow"].Equation = "Rate";
            b["Outflow"].Equation = "Demand";
            b["Rate"].Equation = "2";
            b["Demand"].Equation = "1";
            TModelBuilder::Sketch(b["Inflow"], {{0, 3}, {24, 3}});
            b.Note("A note", {100, 320, 250, 400});
            document.Image().MeasureContent();
            document.Image().AttachFlowEnds();
            // The links leave below their sources and end on the valves' top edges, so that
            // a click on a shape's centre finds the shape.
            document.Image().AddLink(120, 80, b.ShapeOf(&b["Rate"]), b.ShapeOf(&b["Inflow"]), 210,
                                     165);
            document.Image().AddLink(480, 80, b.ShapeOf(&b["Demand"]), b.ShapeOf(&b["Outflow"]),
                                     390, 165);
            (void)stock;
            document.SaveToFile(Temp / "stock.qvf", false);
        }
        CurrentSimulation = keep;
        return Temp / "stock.qvf";
    }

    QToolButton* ToolButton(const QString& caption) {
        return Form->findChild<QToolButton*>("ToolButton" + caption);
    }
    void UseTool(const QString& caption) { ToolButton(caption)->click(); }

    void Mouse(QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* surface = View().ImageMain;
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, QPointF(p), surface->mapToGlobal(QPointF(p)),
                          type == QEvent::MouseMove ? Qt::NoButton : button,
                          type == QEvent::MouseMove ? Pressed : held, modifiers);
        if (type == QEvent::MouseButtonPress) Pressed = button;
        if (type == QEvent::MouseButtonRelease) Pressed = Qt::NoButton;
        QApplication::sendEvent(surface, &event);
    }
    void Move(QPoint p, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Mouse(QEvent::MouseMove, p, Qt::NoButton, modifiers);
    }
    void Click(QPoint p, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Move(p, modifiers);
        Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, modifiers);
        Mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, modifiers);
    }
    // Press, a few moves on the way, release.
    void DragMouse(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Move(from, modifiers);
        Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, modifiers);
        for (int i = 1; i <= 4; ++i)
            Move(from + (to - from) * i / 4, modifiers);
        Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, modifiers);
    }
    void DoubleClick(QPoint p) {
        Click(p);
        Mouse(QEvent::MouseButtonDblClick, p);
        Mouse(QEvent::MouseButtonRelease, p);
    }
    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(View().ImageMain, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(View().ImageMain, &release);
    }

    // The saved text with the time of the last change held still.
    std::string Saved() {
        const TDateTime modified = Doc().Modified;
        Doc().Modified = 45001.25;
        std::string text = Doc().SavedText();
        Doc().Modified = modified;
        return text;
    }

    TVariableInstance* Shape(const std::string& name) {
        for (TVariableInstance* shape : Drawing().Elements)
            if (shape->Var() && shape->Var()->Name == name && !shape->IsClone) return shape;
        return nullptr;
    }
    int Count(uint8_t kind) {
        int n = 0;
        for (TVariableObject* v : Doc().Simulation->Variables)
            n += v->Kind == kind;
        return n;
    }

    Qt::MouseButton Pressed = Qt::NoButton;
};
