#include "core/model/Listings.h"

#include "core/support/Text.h"

std::string OneLine(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c == '\r')
            result += ' ';
        else if (c != '\n')
            result += c;
    }
    return result;
}

std::string EquationColumn(const TVariableObject& element) {
    if (element.Kind != ekResource) return OneLine(element.Equation);
    std::string flows;
    for (const TDependency* dependency : element.Dependencies) {
        if (!dependency->IsFlow) continue;
        const TVariableObject* flow = dependency->Source.GetTarget();
        if (!flow) continue;
        flows += dependency->Direction == 0 ? " + " : " - ";
        flows += flow->Name + " * dt";
    }
    flows = Trim(flows);
    if (IsBlank(element.Equation)) return flows;
    std::string column = "init(" + Trim(OneLine(element.Equation)) + ")";
    if (!flows.empty()) column += " ; " + flows;
    return column;
}

std::string ElementTypeText(const TVariableObject& element) {
    std::string type = ElementKindNames[element.Kind & 3];
    if (element.NonNegative && (element.Kind == ekResource || element.Kind == ekFlow))
        type += " (non-negative)";
    return type;
}

std::vector<std::string> ModelCheckReport(TSimulationObject& simulation, bool& ok) {
    ok = simulation.CheckModel();
    const std::vector<std::string> messages = ErrorList;
    std::vector<TVariableObject*> failed;
    for (TVariableObject* element : simulation.Variables)
        if (element->HasErrors) failed.push_back(element);
    std::vector<std::string> report;
    size_t next = 0;
    for (const auto& message : messages) {
        report.push_back(message);
        if (next >= failed.size() || message != failed[next]->Name + " has equation errors")
            continue;
        // Compiling again gives this element's own parser messages.
        TVariableObject* element = failed[next++];
        element->CompileEquation();
        std::string errors = EquationErrors;
        size_t start = 0;
        while (start <= errors.size()) {
            size_t end = errors.find("\r\n", start);
            std::string line = errors.substr(start, end == std::string::npos ? end : end - start);
            if (!line.empty()) report.push_back("  " + line);
            if (end == std::string::npos) break;
            start = end + 2;
        }
    }
    return report;
}
