// Editing the drawing: creation, removal with its consequences on the model, copy,
// cut and paste.
#include "diagram/DrawingObjects.h"
