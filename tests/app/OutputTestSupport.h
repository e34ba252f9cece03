#pragma once
// A document with a graph and a table on its diagram, and dialogs answered by their object
// name, for the set-up dialog and results table tests.

#include "app/AppTestSupport.h"
#include "support/DiagramBuilder.h"

#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/output/SeriesLists.h"

#include <QComboBox>
#include <QDialog>
#include <QTreeWidget>

#include <map>
#include <memory>
#include <vector>

struct TOutputFixture {
    std::unique_ptr<TDataFile> Document = std::make_unique<TDataFile>();
    TDiagramBuilder Build{*Document};
    TGraphInstance* Graph =
        static_cast<TGraphInstance*>(Document->Image().AddOutputControl(0, 0, occGraph, 300, 200));
    TTableInstance* Table = static_cast<TTableInstance*>(
        Document->Image().AddOutputControl(0, 300, occTable, 300, 500));

    TOutputFixture() {
        for (const char* name : {"Rate", "Stock", "Flow In", "Price"})
            Build.Add(name == std::string("Stock")     ? ekResource
                      : name == std::string("Flow In") ? ekFlow
                                                       : ekVariable,
                      name);
        Document->IsModified = false;
    }
    // After Undo the document holds new objects: find them again.
    TVariableObject* Element(const std::string& name) const {
        for (TVariableObject* element : Document->Simulation->Variables)
            if (element->Name == name) return element;
        return nullptr;
    }
    void Rebind() {
        for (TOutputControlInstance* control : Document->Image().OutputControls) {
            if (control->ClassTag() == occGraph) Graph = static_cast<TGraphInstance*>(control);
            if (control->ClassTag() == occTable) Table = static_cast<TTableInstance*>(control);
        }
    }
    // The saved text with the modification time pinned, to compare before and after Undo.
    std::string ModelText() const {
        const TDateTime modified = Document->Modified;
        Document->Modified = 45001.25;
        std::string text = Document->SavedText();
        Document->Modified = modified;
        return text;
    }
    size_t Snapshots() const { return Document->UndoStack.size(); }
};

// The graph and the table both show Rate, Stock and Price; the table with the given widths.
struct TSeriesFixture : TOutputFixture {
    explicit TSeriesFixture(std::vector<int32_t> widths = {60, 70, 80}) {
        for (const char* name : {"Rate", "Stock", "Price"}) {
            AppendSeriesEntry(*Graph, *Element(name), NextGraphColour(*Graph));
            AppendSeriesEntry(*Table, *Element(name), 0);
        }
        Table->ColumnWidths = std::move(widths);
    }
    // The entries' first letters, in list order.
    static QString Order(const TTableGraphOutputInstance& control) {
        QString order;
        for (const TVariableDataLink* entry : control.Series)
            order += Q(entry->Var()->Name).left(1);
        return order;
    }
};

// Every dialog shown goes to the handler registered under its object name; Variable Select
// is answered with the names in Picks, one per showing.
struct TDialogScript {
    TScriptedHooks Hooks;
    std::map<QString, std::function<void(QDialog&)>> On;
    QStringList Picks;
    QStringList Shown;

    TDialogScript() {
        Hooks.OnDialog = [this](QDialog& dialog) {
            Shown << dialog.objectName();
            if (dialog.objectName() == "FormVariableSelect" && !Picks.isEmpty()) {
                dialog.findChild<QComboBox*>("ComboBoxVariables")
                    ->setCurrentText(Picks.takeFirst());
                dialog.accept();
                return;
            }
            const auto handler = On.find(dialog.objectName());
            if (handler == On.end()) {
                ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString();
                dialog.reject();
                return;
            }
            handler->second(dialog);
        };
    }
};

// The texts of one column of a report list.
inline QStringList ListColumn(const QTreeWidget& list, int column) {
    QStringList texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        texts << list.topLevelItem(i)->text(column);
    return texts;
}
