#include "core/model/FormatVersion.h"

#include "core/model/SimulationObjects.h"
#include "core/support/Version.h"

bool NeedsFormat1011(const TSimulationObject& simulation) {
    // Each feature of the newer format adds its test here.
    (void)simulation;
    return false;
}

std::string ModelFileVersion(const TSimulationObject& simulation) {
    return NeedsFormat1011(simulation) ? ProgramVersion : BaseFormatVersion;
}
