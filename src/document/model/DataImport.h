#pragma once
// Import Data: observed data from a CSV file into the sketched series of the elements its
// columns name, as one undoable edit. Nothing changes unless the whole file can be used.

#include <string>
#include <string_view>
#include <vector>

class TDataFile;

struct TDataImportResult {
    bool Imported = false;
    std::string Error; // why nothing was imported
    // The data could be read but does not fit the model (a column naming no element);
    // otherwise a failure is the file's (unreadable, too large, not data).
    bool Mismatch = false;
    struct TImported {
        std::string Element;
        size_t Points = 0;
    };
    std::vector<TImported> Elements; // in column order
};

// Reads text as observed data and, when it can be used whole, puts it into the document's
// sketches as one edit (undo snapshot, change, modified mark, model check, derived data).
TDataImportResult ImportObservedText(TDataFile& document, std::string_view text);
// The same for a file; a file that cannot be read, or one too large, imports nothing.
TDataImportResult ImportObservedFile(TDataFile& document, const std::string& fileName);
