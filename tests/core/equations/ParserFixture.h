#pragma once
// A small model for parser tests: one element whose equation may use a few linked elements,
// and a printer that shows a tree as e.g. -(-([a],[b]),5) or MAX([a],[b]).

#include "support/ModelBuilder.h"

#include "core/equations/EquationObjects.h"
#include "core/model/SimulationObjects.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

inline std::string TreeText(const TEquationElement* element) {
    if (!element) return "<none>";
    switch (element->ElementKind()) {
    case 0:
        return static_cast<const TEquationConstant*>(element)->Text;
    case 1: {
        auto* target =
            static_cast<const TEquationVariableReference*>(element)->Variable.GetTarget();
        return "[" + (target ? target->Name : std::string("?")) + "]";
    }
    default: {
        auto* function = static_cast<const TEquationFunction*>(element);
        std::string text = FunctionList[function->FunctionIndex].Name;
        if (function->Parameters.IsEmpty()) return text;
        text += "(";
        bool first = true;
        for (const TEquationElement* p : function->Parameters) {
            if (!first) text += ",";
            text += TreeText(p);
            first = false;
        }
        return text + ")";
    }
    }
}

// Errors with the line breaks shown as " | ", so that tables stay readable.
inline std::string ErrorLines() {
    std::string text = EquationErrors;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.replace(at, 2, " | ");
    return text;
}

class TParserModel {
public:
    // Elements linked to Target: "a", "b", "c", "x", "x1", "e", "rate", "Sales Rate", "TIME".
    // "Unlinked" exists but has no link; "Piped" reaches Target only through a flow pipe and
    // "Drained" through a link that is not an information link.
    TParserModel() {
        Target = Add("Target");
        for (const char* name : {"a", "b", "c", "x", "x1", "e", "rate", "Sales Rate", "TIME"})
            Target->AddDependency(Add(name));
        Add("Unlinked");
        Target->AddDependency(Add("Piped"), true, 0);
        Target->AddDependency(Add("Drained"), false, 1);
    }

    // Elements are constants, as a new element is, so that no kind rule applies.
    TVariableObject* Add(const std::string& name) { return &Build.Add(ekConstant, name); }

    TDependency* DependencyOn(const std::string& name) const {
        for (TDependency* d : Target->Dependencies)
            if (d->Source.GetTarget() && d->Source.GetTarget()->Name == name) return d;
        return nullptr;
    }

    // Parses text for Target and gives the tree (kept until the next parse).
    const TEquationElement* Parse(std::string_view text) {
        BeginEquationParse(*Target);
        Tree = ParseEquation(text);
        return Tree.get();
    }

    TModelBuilder Build;
    TVariableObject* Target = nullptr;
    std::unique_ptr<TEquationElement> Tree;
};
