// STUB: replaced by the parser work.
#include "equations/EquationObjects.h"
#include "model/SimulationObjects.h"

std::vector<TDependency*> EquationInputs;
std::string EquationErrors;
const TFunctionListItem FunctionList[FunctionCount] = {};
const char* const FunctionCategoryNames[6] = {"Operators",   "General Functions",
                                              "Boolean",     "Constants",
                                              "Simulation Values", "Financial Functions"};

void BeginEquationParse(TVariableObject&) { EquationErrors.clear(); }
std::unique_ptr<TEquationElement> ParseEquation(std::string_view) { return nullptr; }
void AddEquationError(const std::string& message) {
    if (!EquationErrors.empty()) EquationErrors += "\r\n";
    EquationErrors += message;
}
int LookupFunction(std::string_view) { return -1; }
bool IsWholeBracketed(std::string_view) { return false; }
std::string NormalizeSigns(std::string_view s) { return std::string(s); }
bool IsNumberText(std::string_view) { return false; }
int CountParameters(std::string_view) { return 0; }
void SplitFirstParameter(std::string_view args, std::string& first, std::string& rest) {
    first = std::string(args);
    rest.clear();
}
bool TVariableObject::CompileEquation() { return true; }
