#pragma once
// Edits that follow an element's change of name.

#include <string>

class TDataFile;
class TDocumentEdit;

// Rewrites every equation that uses oldIdentifier to use newIdentifier, as one edit with the
// model check and the derived data after it. False (and no undo step) when no equation
// changed, so a caller may run it again after the set-up dialog has done it already.
bool RenameElementEverywhere(TDataFile& document, const std::string& oldIdentifier,
                             const std::string& newIdentifier);
// The same inside an edit already open (the set-up dialog's), sharing its undo snapshot.
bool RenameElementEverywhere(TDocumentEdit& edit, const std::string& oldIdentifier,
                             const std::string& newIdentifier);
