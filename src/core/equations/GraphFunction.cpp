#include "core/equations/GraphFunction.h"

#include "core/equations/ParserInternal.h"
#include "core/support/NumberFormat.h"

#include <utility>

namespace {

// Parses the table parameters on their own: the names of whichever element was compiled last
// must neither be looked up nor marked as used.
std::unique_ptr<TEquationElement> ParseDetached(const std::string& text) {
    std::vector<TDependency*> inputs;
    inputs.swap(EquationInputs);
    EquationErrors.clear();
    std::unique_ptr<TEquationElement> tree = ParseEquation(text);
    inputs.swap(EquationInputs);
    return tree;
}

} // namespace

bool ReadGraphCall(std::string_view callText, TGraphCall& call) {
    call.Head.clear();
    call.Table.Clear();
    call.Table.Stepwise = false;
    call.Table.Origin = 0;
    call.Table.Interval = 1;
    call.InvalidParameters = false;
    if (callText.empty()) {
        // The index expression is left blank for the user to type after "GRAPH( ".
        call.Head = "GRAPH( ,";
    } else {
        int depth = 0;
        size_t end = callText.size();
        size_t firstComma = std::string_view::npos;
        for (size_t i = 0; i < callText.size(); ++i) {
            const char c = callText[i];
            if (c == '(') {
                ++depth;
            } else if (c == ')') {
                if (--depth == 0) {
                    end = i + 1;
                    break;
                }
                if (depth < 0) break; // a closing bracket before any opening one
            } else if (c == ',' && depth == 1 && firstComma == std::string_view::npos) {
                firstComma = i;
            }
        }
        if (depth != 0) return false;
        // Without a comma there are no table parameters: "GRAPH(0, " alone reads as a call
        // of one parameter, whose table is empty with X start 0 and X increment 10.
        std::string parameters = "GRAPH(0)";
        if (firstComma == std::string_view::npos) {
            call.Head = "GRAPH( ,";
        } else {
            call.Head = std::string(callText.substr(0, firstComma + 1));
            parameters =
                "GRAPH(0, " + std::string(callText.substr(firstComma + 1, end - firstComma - 1));
        }
        std::unique_ptr<TEquationElement> tree = ParseDetached(parameters);
        call.InvalidParameters = !EquationErrors.empty();
        auto* function = dynamic_cast<TEquationFunction*>(tree.get());
        if (function && function->FunctionIndex == sgvGRAPH) {
            if (function->Table) call.Table.Points = function->Table->Points;
            // X start and increment as the parser reads them: constants, else 0 and 10.
            auto* start = dynamic_cast<TEquationConstant*>(function->Param(1));
            auto* increment = dynamic_cast<TEquationConstant*>(function->Param(2));
            call.Table.Origin = start ? start->Value.Number : 0;
            call.Table.Interval = increment ? increment->Value.Number : 10;
        } else {
            call.InvalidParameters = true;
        }
    }
    if (call.Table.Interval < FloatTolerance) call.Table.Interval = 10;
    // The editor works on point indices.
    for (size_t i = 0; i < call.Table.Points.size(); ++i)
        call.Table.Points[i].Time = static_cast<double>(i);
    return true;
}

std::string WriteGraphCall(const TGraphCall& call) {
    std::string text = call.Head;
    text += ' ';
    text += FormatFloat("0.###", call.Table.Origin);
    text += ", ";
    text += FormatFloat("0.###", call.Table.Interval);
    for (const TDataPoint& p : call.Table.Points) {
        text += ", ";
        text += FormatFloat("0.###", p.Value);
    }
    text += ')';
    return text;
}

std::string EditGraphCall(std::string_view callText, const TGraphCallEditor& editor) {
    TGraphCall call;
    if (!ReadGraphCall(callText, call)) {
        if (editor.ShowError) editor.ShowError(GraphSyntaxErrorText);
        return {};
    }
    if (call.InvalidParameters && editor.ShowWarning)
        editor.ShowWarning(GraphParametersWarningText);
    if (!editor.EditTable || !editor.EditTable(call.Table)) return {};
    return WriteGraphCall(call);
}
