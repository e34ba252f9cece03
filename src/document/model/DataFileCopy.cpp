// Copies of the document on disk that do not change what the document is saved as.
#include "document/model/DataFile.h"

#include "core/model/FormatVersion.h"
#include "core/persistence/FileIO.h"

void TDataFile::SaveCopyToFile(const std::string& fileName) {
    // A file object of its own: the shared one may be in the middle of nothing, but the
    // document's name and modified mark must not follow this copy.
    TFileObject file;
    file.CurrentVersion = ModelFileVersion(*Simulation);
    file.OpenForWrite(fileName, ModelFileType);
    Save(file);
    if (!file.Save(false)) throw EFileException("Could not write the file " + fileName);
}
