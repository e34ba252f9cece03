#pragma once
// Which file format a model needs: the base format unless it uses something newer.

#include <string>

class TSimulationObject;

// True when the model uses anything that only the 1.0.11 format holds.
bool NeedsFormat1011(const TSimulationObject& simulation);

// The version to write into the model file's header.
std::string ModelFileVersion(const TSimulationObject& simulation);
