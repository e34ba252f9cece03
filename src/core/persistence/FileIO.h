#pragma once
// The token text reader and writer through which every model file and every
// in-memory deep copy passes.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

class TIOObject;

// A failure of the file layer; carries only its message.
class EFileException : public std::exception {
public:
    explicit EFileException(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

private:
    std::string Message;
};

class EFileEnd : public EFileException {
public:
    EFileEnd() : EFileException("End of file reached") {}
};

class EFileError : public EFileException {
public:
    EFileError() : EFileException("TFileObject File error") {}
};

class EFileObjectReadError : public EFileException {
public:
    EFileObjectReadError() : EFileException("TFileObject Read error") {}
};

class EFileObjectWriteError : public EFileException {
public:
    EFileObjectWriteError() : EFileException("TFileObject Write error") {}
    explicit EFileObjectWriteError(std::string message) : EFileException(std::move(message)) {}
};

enum class TFileMode : uint8_t { Closed = 0, Reading = 1, Writing = 2 };

class TFileObject {
public:
    TFileObject() = default;
    TFileObject(const TFileObject&) = delete;
    TFileObject& operator=(const TFileObject&) = delete;

    // Writing. Both names are empty for an in-memory copy.
    void OpenForWrite(const std::string& fileName, const std::string& fileType);
    void WriteString(std::string_view value);
    void WriteInteger(int32_t value);
    void WriteByte(uint8_t value);
    void WriteBoolean(bool value) { WriteByte(value ? 1 : 0); }
    void WriteFloat(double value);
    void EndLine();
    // Writes the header, the closed lines and the open line to FileName. The old file
    // is replaced only once the new text is safely on disk; with makeBackup it is kept
    // under the same name with the extension "bak".
    bool Save(bool makeBackup);

    // Turns what was written into input for an in-memory copy.
    void RewindForRead();

    // An in-memory copy (undo snapshots, the structure buffer). The records go through the
    // text as in a file, but bulk data such as a series' points stays out of it: turning
    // millions of numbers into text and back is what made copies of run models slow. An
    // object with such data notes itself while saving, and its copy takes the data straight
    // from it while loading, in the same order; the original must stay unchanged until then.
    void OpenForCopy();
    bool IsCopy() const { return Copying; }
    void NoteCopySource(const TIOObject& source);
    // The object noted at the same place while saving; EFileException when there is none.
    const TIOObject& NextCopySource();
    // Ends a copy: forgets the originals and frees the text.
    void CloseCopy();
    // False when the file does not exist. Reads the two header tokens.
    bool OpenForRead(const std::string& fileName);
    // Reading from text already in memory, as if it were the contents of a file.
    void OpenForReadText(std::string_view text, const std::string& fileName = std::string());

    std::string ReadString();
    int32_t ReadInteger();
    bool ReadBoolean();
    double ReadFloat();
    // ReadFloat for a number that places something: a time, a step, an interval, a scale.
    // The program never writes such a number as NAN or INF, and what reads it (ordering,
    // stepping, ticks) needs a finite value, so either is damaged data (EConvertError).
    double ReadFiniteFloat();

    // True when FileVersion is set and older than version over the first parts components.
    // An empty version stands for CurrentVersion.
    bool FileVersionLess(const std::string& version, int parts) const;

    // An upper bound on the number of tokens the unread text can still hold; a count read
    // from outside input is never trusted beyond it when reserving memory.
    size_t RemainingTokenCapacity() const;

    // The whole text that Save would write (header, lines, open line), for tests and tools.
    std::string SavedText() const;

    std::vector<std::string> Lines;
    std::string Buffer;
    std::string LastToken;
    int64_t Position = 1;
    TFileMode Mode = TFileMode::Closed;
    std::string LineBreak = "\r\n";
    std::string Separator = "\t";
    std::string FileType;
    std::string FileVersion;
    std::string CurrentVersion;
    std::string FileName;

private:
    bool Copying = false;
    std::vector<const TIOObject*> CopySources; // not owned
    size_t NextSource = 0;

    void EndCopy();
    void RequireWriting() const;
    void RequireReading() const;
    void NextToken();
    void LoadText(std::string_view text);
};

// The one shared instance: one save, load or copy at a time.
extern TFileObject FileObject;

// Compares dotted versions component by component as numbers over the first parts components.
int32_t CompareVersions(const std::string& a, const std::string& b, int parts);

// True when the file exists and cannot be written (no write permission for its owner).
bool IsReadOnlyFile(const std::string& fileName);
