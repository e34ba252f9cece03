#pragma once
// A model's sensitivity set-up, stored with it: which constants vary and how, the sampling
// method, the number of runs, the seed and the outputs.

#include "core/analysis/VariedSource.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TFileObject;
class TSimulationObject;
class TVariableObject;

enum TSamplingMethod : uint8_t { smRandom = 0, smLatinHypercube = 1, smGrid = 2 };
// The words of the command line: "random", "lhs", "grid".
extern const char* const SamplingMethodWords[3];
// The captions of the window: "Random", "Latin hypercube", "All combinations".
extern const char* const SamplingMethodCaptions[3];
bool SamplingMethodFromWord(std::string_view word, TSamplingMethod& method);

inline constexpr int32_t DefaultSensitivityRuns = 200;
inline constexpr int32_t MaxSensitivityRuns = 10000000;
inline constexpr int32_t DefaultSensitivitySeed = 1;

struct TVariedElement {
    std::string Identifier; // the element's identifier when the set-up was made
    TVariedSource Source;

    bool operator==(const TVariedElement&) const = default;
};

struct TSensitivitySetUp {
    std::vector<TVariedElement> Varied;
    TSamplingMethod Method = smRandom;
    int32_t Runs = DefaultSensitivityRuns; // all combinations ignore it
    int32_t Seed = DefaultSensitivitySeed; // 0 to 2147483647
    // Identifiers of the elements whose results are kept; none keeps every element's.
    std::vector<std::string> Outputs;

    bool operator==(const TSensitivitySetUp&) const = default;
    // Nothing set up: a model with such a set-up needs no newer file format.
    bool IsDefault() const { return *this == TSensitivitySetUp(); }

    // The record: a line with the method, runs, seed and count of varied elements, a line
    // per varied element (identifier, source text), a line with the outputs.
    void Save(TFileObject& file) const;
    // Reads the record, refusing with EFileException what the set-up could not hold.
    void Load(TFileObject& file);

    // Follows an element's rename; forgets a deleted element.
    void RenameElement(const std::string& oldIdentifier, const std::string& newIdentifier);
    void ForgetElement(const std::string& identifier);
};

// Reads "NAME=source" as --vary takes it; on failure says what is wrong.
bool ParseVaryText(std::string_view text, TVariedElement& varied, std::string& problem);

// Whether an element's equation is a plain number, so that an analysis can vary it.
bool CanVary(const TVariableObject& element);
// The element an identifier (or a name with blanks) names, case ignored; none.
TVariableObject* FindElement(const TSimulationObject& model, std::string_view name);
