#pragma once

#include "persistence/FileItems.h"

class TVariableObject;

// A stored reference to a model element.
class TVariableLink : public TIOListObjectLink {
public:
    TVariableObject* GetTarget() const;
};
