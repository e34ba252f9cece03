#pragma once

#include "core/persistence/FileItems.h"

class TVariableObject;

// A stored reference to a model element.
class TVariableLink : public TIOListObjectLink {
public:
    // Defined with TVariableObject; inline, as evaluation follows links all the time.
    inline TVariableObject* GetTarget() const;
};
