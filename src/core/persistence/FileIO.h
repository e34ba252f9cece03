#pragma once
// The token text reader and writer through which every model file and every
// in-memory deep copy passes.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

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
    // False when the file does not exist. Reads the two header tokens.
    bool OpenForRead(const std::string& fileName);
    // Reading from text already in memory, as if it were the contents of a file.
    void OpenForReadText(std::string_view text, const std::string& fileName = std::string());

    std::string ReadString();
    int32_t ReadInteger();
    bool ReadBoolean();
    double ReadFloat();

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
