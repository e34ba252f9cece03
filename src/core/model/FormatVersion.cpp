#include "core/model/FormatVersion.h"

#include "core/equations/EquationObjects.h"
#include "core/model/SimulationObjects.h"
#include "core/support/Text.h"
#include "core/support/Version.h"

#include <string_view>

namespace {

bool IsLaterBuiltin(const std::string& name) {
    for (int i = BaseFunctionCount; i < FunctionCount; ++i)
        if (SameIdentifier(name, FunctionList[i].Name)) return true;
    return false;
}

bool IsLinkedName(const TVariableObject& element, const std::string& name) {
    for (const TDependency* d : element.Dependencies) {
        const TVariableObject* source = d->Source.GetTarget();
        if (d->IsInformationLink() && source && SameIdentifier(source->Identifier(), name))
            return true;
    }
    return false;
}

// Whether the equation calls a built-in that programs writing the base format lack. The
// parser takes the text between an operator, comma or bracket and the next "(" as a function
// name, and a linked element's name before a built-in's; so does this.
bool CallsLaterBuiltin(const TVariableObject& element) {
    const std::string_view text = element.Equation;
    size_t from = 0;
    for (;;) {
        const size_t end = text.find_first_of("+-*/<>=,()[]", from);
        if (end == std::string_view::npos) return false;
        if (text[end] == '(') {
            const std::string name = Trim(text.substr(from, end - from));
            if (!name.empty() && IsLaterBuiltin(name) && !IsLinkedName(element, name)) return true;
        }
        from = end + 1;
    }
}

} // namespace

bool NeedsFormat1011(const TSimulationObject& simulation) {
    // Each feature of the newer format adds its test here.
    if (simulation.Method != imEuler) return true;
    for (const TVariableObject* element : simulation.Variables) {
        if (element->NonNegative && (element->Kind == ekResource || element->Kind == ekFlow))
            return true;
        if (CallsLaterBuiltin(*element)) return true;
    }
    if (!simulation.Sensitivity.IsDefault()) return true;
    return false;
}

std::string ModelFileVersion(const TSimulationObject& simulation) {
    return NeedsFormat1011(simulation) ? ProgramVersion : BaseFormatVersion;
}
