#pragma once
// Undo takes back edits, not results. A snapshot shares the serials of the objects it copies;
// when it comes back, what the model in use got without an edit (the series of the run,
// the runs kept in graphs) is kept. The zoom and scroll position are saved with
// the drawing and come back with it, as the zoom box then shows.

class TDrawImage;
class TSimulationObject;

// After a snapshot copied model and drawing: its objects take the serials of theirs.
void ShareSerials(const TSimulationObject& model, const TDrawImage& drawing,
                  TSimulationObject& copyModel, TDrawImage& copyDrawing);

// After Undo put the snapshot's model and drawing in place of those in use (replaced).
void KeepResultsAcrossUndo(TSimulationObject& replacedModel, const TDrawImage& replacedDrawing,
                           TSimulationObject& model, TDrawImage& drawing);
