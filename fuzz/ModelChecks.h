#pragma once
// What a user relies on in any model a reader hands over, checked by the fuzz targets of
// every reader of models: times are numbers in order, and what the program writes it reads
// again and writes the same way.

#include "core/model/SimulationObjects.h"
#include "document/model/DataFile.h"

#include <cmath>
#include <cstdlib>
#include <string>

inline void CheckTimesOf(const TSimulationObject& model) {
    for (double time : {model.StartTime, model.StopTime, model.TimeStep, model.CurrentTime,
                        model.ViewStart, model.ViewStop, model.Now})
        if (!std::isfinite(time)) std::abort();
    for (const TVariableObject* element : model.Variables)
        for (const TDataSeries* series :
             {&element->Sketched, &element->Derived, &element->Simulated}) {
            if (!std::isfinite(series->Origin) || !std::isfinite(series->Interval)) std::abort();
            const TDataPoint* previous = nullptr;
            for (const TDataPoint& point : series->Points) {
                if (!std::isfinite(point.Time)) std::abort();
                if (previous && !(point.Time > previous->Time)) std::abort();
                previous = &point;
            }
        }
}

// Saves the document, loads that text as a file and saves again: the two texts must agree.
// Call it before a run: loading puts the clock back to the start time.
// The document stays the current one, as it is in the program after a save.
inline void CheckSaveLoadSave(TDataFile& document) {
    const std::string saved = document.SavedText();
    std::string message;
    std::unique_ptr<TDataFile> again = TDataFile::LoadModelText(saved, "", message);
    if (!again) std::abort();
    CheckTimesOf(*again->Simulation);
    if (again->SavedText() != saved) std::abort();
    again.reset();
    document.MakeCurrent();
}
