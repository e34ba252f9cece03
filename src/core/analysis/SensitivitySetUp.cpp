#include "core/analysis/SensitivitySetUp.h"

#include "core/model/SimulationObjects.h"
#include "core/persistence/FileIO.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"

#include <algorithm>

const char* const SamplingMethodWords[3] = {"random", "lhs", "grid"};
const char* const SamplingMethodCaptions[3] = {"Random", "Latin hypercube", "All combinations"};

bool SamplingMethodFromWord(std::string_view word, TSamplingMethod& method) {
    const std::string lower = Lower(Trim(word));
    for (uint8_t m = 0; m < 3; ++m) {
        if (lower == SamplingMethodWords[m]) {
            method = static_cast<TSamplingMethod>(m);
            return true;
        }
    }
    return false;
}

namespace {

// A count read from a file, never trusted beyond what the rest of the file can hold.
size_t ReadCount(TFileObject& file, const char* what) {
    const int32_t count = file.ReadInteger();
    if (count < 0 || static_cast<size_t>(count) > file.RemainingTokenCapacity())
        throw EFileException(std::string("The sensitivity set-up's count of ") + what +
                             " is damaged");
    return static_cast<size_t>(count);
}

std::string IdentifierOf(std::string_view name) {
    std::string identifier = Trim(name);
    std::replace(identifier.begin(), identifier.end(), ' ', '_');
    return identifier;
}

} // namespace

void TSensitivitySetUp::Save(TFileObject& file) const {
    file.EndLine();
    file.WriteInteger(Method);
    file.WriteInteger(Runs);
    file.WriteInteger(Seed);
    file.WriteInteger(static_cast<int32_t>(Varied.size()));
    for (const TVariedElement& varied : Varied) {
        file.EndLine();
        file.WriteString(varied.Identifier);
        file.WriteString(VariedSourceText(varied.Source));
    }
    file.EndLine();
    file.WriteInteger(static_cast<int32_t>(Outputs.size()));
    for (const std::string& output : Outputs)
        file.WriteString(output);
}

void TSensitivitySetUp::Load(TFileObject& file) {
    TSensitivitySetUp read;
    const int32_t method = file.ReadInteger();
    if (method < smRandom || method > smGrid)
        throw EFileException("The sensitivity set-up's sampling method is damaged");
    read.Method = static_cast<TSamplingMethod>(method);
    read.Runs = file.ReadInteger();
    if (read.Runs < 1 || read.Runs > MaxSensitivityRuns)
        throw EFileException("The sensitivity set-up's number of runs is damaged");
    read.Seed = file.ReadInteger();
    if (read.Seed < 0) throw EFileException("The sensitivity set-up's seed is damaged");
    const size_t varied = ReadCount(file, "varied elements");
    for (size_t i = 0; i < varied; ++i) {
        TVariedElement element;
        element.Identifier = file.ReadString();
        std::string problem;
        if (!ParseVariedSource(file.ReadString(), element.Source, problem))
            throw EFileException("The sensitivity set-up of " + element.Identifier +
                                 " cannot be read: " + problem);
        read.Varied.push_back(std::move(element));
    }
    const size_t outputs = ReadCount(file, "outputs");
    for (size_t i = 0; i < outputs; ++i)
        read.Outputs.push_back(file.ReadString());
    *this = std::move(read);
}

void TSensitivitySetUp::RenameElement(const std::string& oldIdentifier,
                                      const std::string& newIdentifier) {
    for (TVariedElement& varied : Varied)
        if (SameIdentifier(varied.Identifier, oldIdentifier)) varied.Identifier = newIdentifier;
    for (std::string& output : Outputs)
        if (SameIdentifier(output, oldIdentifier)) output = newIdentifier;
}

void TSensitivitySetUp::ForgetElement(const std::string& identifier) {
    std::erase_if(Varied, [&](const TVariedElement& varied) {
        return SameIdentifier(varied.Identifier, identifier);
    });
    std::erase_if(Outputs,
                  [&](const std::string& output) { return SameIdentifier(output, identifier); });
}

bool ParseVaryText(std::string_view text, TVariedElement& varied, std::string& problem) {
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        problem = "write the element's name, '=' and its source, as in 'Price=uniform(1, 2)'";
        return false;
    }
    const std::string identifier = IdentifierOf(text.substr(0, equals));
    if (identifier.empty()) {
        problem = "no element name before '='";
        return false;
    }
    TVariedElement read;
    read.Identifier = identifier;
    if (!ParseVariedSource(text.substr(equals + 1), read.Source, problem)) return false;
    varied = std::move(read);
    return true;
}

bool CanVary(const TVariableObject& element) {
    return IsNumberText(element.Equation);
}

TVariableObject* FindElement(const TSimulationObject& model, std::string_view name) {
    const std::string identifier = IdentifierOf(name);
    if (identifier.empty()) return nullptr;
    return model.FindByIdentifier(identifier);
}
