#include "core/persistence/FileIO.h"

#include "core/support/NumberFormat.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TFileObject FileObject;

void TFileObject::RequireWriting() const {
    if (Mode != TFileMode::Writing) throw EFileObjectWriteError();
}

void TFileObject::RequireReading() const {
    if (Mode != TFileMode::Reading) throw EFileObjectReadError();
}

void TFileObject::EndCopy() {
    Copying = false;
    CopySources.clear();
    NextSource = 0;
}

void TFileObject::OpenForCopy() {
    OpenForWrite("", "");
    // A copy holds every field this program knows, whatever format the last save chose.
    FileVersion.clear();
    Copying = true;
}

void TFileObject::CloseCopy() {
    EndCopy();
    Mode = TFileMode::Closed;
    Lines.clear();
    std::string().swap(Buffer);
    LastToken.clear();
}

void TFileObject::NoteCopySource(const TIOObject& source) {
    RequireWriting();
    CopySources.push_back(&source);
}

const TIOObject& TFileObject::NextCopySource() {
    RequireReading();
    if (!Copying || NextSource >= CopySources.size())
        throw EFileException("An in-memory copy lost track of its data");
    return *CopySources[NextSource++];
}

void TFileObject::OpenForWrite(const std::string& fileName, const std::string& fileType) {
    EndCopy();
    Position = 1;
    Buffer.clear();
    Lines.clear();
    LastToken.clear();
    FileType = fileType;
    FileName = fileName;
    FileVersion = CurrentVersion;
    Mode = TFileMode::Writing;
}

void TFileObject::WriteString(std::string_view value) {
    RequireWriting();
    Buffer += Separator;
    Buffer += '\'';
    for (char c : value) {
        if (c == '\'') Buffer += '\'';
        Buffer += c;
    }
    Buffer += '\'';
}

void TFileObject::WriteInteger(int32_t value) {
    RequireWriting();
    char text[16];
    auto result = std::to_chars(text, text + sizeof text, value);
    Buffer += Separator;
    Buffer.append(text, result.ptr);
}

void TFileObject::WriteByte(uint8_t value) {
    WriteInteger(value);
}

void TFileObject::WriteFloat(double value) {
    RequireWriting();
    Buffer += Separator;
    Buffer += FloatToStr(value);
}

void TFileObject::EndLine() {
    RequireWriting();
    Lines.push_back(std::move(Buffer));
    Buffer.clear();
}

std::string TFileObject::SavedText() const {
    size_t size = FileType.size() + CurrentVersion.size() + Buffer.size() + 8;
    for (const auto& line : Lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    text += FileType;
    text += '\t';
    text += CurrentVersion;
    text += LineBreak;
    for (const auto& line : Lines) {
        text += line;
        text += LineBreak;
    }
    text += Buffer;
    text += LineBreak;
    return text;
}

namespace {

std::string ErrnoText() {
    return std::strerror(errno);
}

// The backup name: the file name without its extension, then ".bak".
std::string BackupName(const std::string& fileName) {
    fs::path path(fileName);
    path.replace_extension(".bak");
    return path.string();
}

bool Exists(const std::string& name) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(name, ec)) && !ec;
}

// Writes text to a new temporary file beside target and flushes it to disk.
std::string WriteTemporary(const std::string& target, const std::string& text) {
    fs::path path(target);
    fs::path dir = path.parent_path();
    std::string pattern =
        (dir.empty() ? fs::path(".") : dir).string() + "/." + path.filename().string() + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0) throw EFileObjectWriteError("Couldn't save file " + target + ": " + ErrnoText());
    std::string tempName(name.data());
    auto fail = [&](const std::string& why) {
        close(fd);
        unlink(tempName.c_str());
        throw EFileObjectWriteError("Couldn't save file " + target + ": " + why);
    };
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat old {};
    mode_t mode;
    if (stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    if (fchmod(fd, mode) != 0) fail(ErrnoText());
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t written = write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            fail(ErrnoText());
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    if (fsync(fd) != 0) fail(ErrnoText());
    if (close(fd) != 0) {
        unlink(tempName.c_str());
        throw EFileObjectWriteError("Couldn't save file " + target + ": " + ErrnoText());
    }
    return tempName;
}

} // namespace

bool TFileObject::Save(bool makeBackup) {
    RequireWriting();
    if (Exists(FileName) && IsReadOnlyFile(FileName))
        throw EFileObjectWriteError("Couldn't save file as output file exists and is read-only");

    // The new text goes to disk first; the old file is touched only once that worked.
    std::string tempName = WriteTemporary(FileName, SavedText());
    auto abandon = [&](const std::string& why) {
        unlink(tempName.c_str());
        throw EFileObjectWriteError("Couldn't save file " + FileName + ": " + why);
    };

    std::string movedTo; // where the old file went, so a failed rename can put it back
    if (Exists(FileName) && makeBackup) {
        std::string backup = BackupName(FileName);
        std::error_code ec;
        if (Exists(backup) && fs::equivalent(FileName, backup, ec)) {
            // A file named like its own backup: deleting "the old backup" would delete the
            // model itself, so it is simply replaced below.
        } else if (!Exists(backup)) {
            if (rename(FileName.c_str(), backup.c_str()) != 0) abandon(ErrnoText());
            movedTo = backup;
        } else if (IsReadOnlyFile(backup)) {
            // The read-only backup stays untouched; the old file is replaced below.
        } else {
            if (unlink(backup.c_str()) != 0) abandon(ErrnoText());
            if (rename(FileName.c_str(), backup.c_str()) != 0) abandon(ErrnoText());
            movedTo = backup;
        }
    }
    // rename replaces the target in one step, so there is never a moment without a model file.
    if (rename(tempName.c_str(), FileName.c_str()) != 0) {
        std::string why = ErrnoText();
        if (!movedTo.empty()) rename(movedTo.c_str(), FileName.c_str());
        abandon(why);
    }
    Buffer.clear();
    Lines.clear();
    return true;
}

void TFileObject::LoadText(std::string_view text) {
    // Lines end at CR, LF or CR LF; they are joined again with CR LF after each.
    Buffer.clear();
    Buffer.reserve(text.size() + 2);
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        size_t start = i;
        while (i < n && text[i] != '\r' && text[i] != '\n')
            ++i;
        Buffer.append(text.data() + start, i - start);
        Buffer += LineBreak;
        if (i < n) {
            if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
            ++i;
        }
    }
}

void TFileObject::RewindForRead() {
    Position = 1;
    size_t size = 0;
    for (const auto& line : Lines)
        size += line.size() + LineBreak.size();
    Buffer.clear();
    Buffer.reserve(size);
    for (const auto& line : Lines) {
        Buffer += line;
        Buffer += LineBreak;
    }
    LastToken.clear();
    NextSource = 0;
    Mode = TFileMode::Reading;
}

bool TFileObject::OpenForRead(const std::string& fileName) {
    EndCopy();
    Mode = TFileMode::Closed;
    Position = 1;
    Buffer.clear();
    LastToken.clear();
    std::error_code ec;
    if (!fs::is_regular_file(fileName, ec)) return false;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return false;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw EFileError();
    OpenForReadText(text, fileName);
    return true;
}

void TFileObject::OpenForReadText(std::string_view text, const std::string& fileName) {
    EndCopy();
    Mode = TFileMode::Closed;
    Position = 1;
    LastToken.clear();
    FileName = fileName;
    LoadText(text);
    Mode = TFileMode::Reading;
    try {
        FileType = ReadString();
        FileVersion = ReadString();
    } catch (const EFileEnd&) {
        throw EFileError();
    }
}

void TFileObject::NextToken() {
    RequireReading();
    bool inQuotes = false, started = false, done = false;
    std::string token;
    const int64_t n = static_cast<int64_t>(Buffer.size());
    const char* text = Buffer.data(); // text[Position - 1] is the character at Position
    // The last character is never examined: the text always ends with a line break.
    while (!done && Position < n) {
        unsigned char c = static_cast<unsigned char>(text[Position - 1]);
        if (c <= 32 || c == ',') {
            if (inQuotes)
                token += static_cast<char>(c);
            else
                done = started;
        } else if (c == '\'') {
            if (!inQuotes) {
                inQuotes = true;
                started = true;
            } else if (Position < n && text[Position] == '\'') {
                token += '\'';
                ++Position;
            } else {
                done = true;
            }
        } else {
            started = true;
            // Take the run of ordinary characters in one step.
            int64_t end = Position;
            while (end < n) {
                unsigned char d = static_cast<unsigned char>(text[end - 1]);
                if (d == '\'' || (!inQuotes && (d <= 32 || d == ','))) break;
                ++end;
            }
            if (end == Position) end = Position + 1;
            token.append(text + Position - 1, static_cast<size_t>(end - Position));
            Position = end;
            continue;
        }
        ++Position;
    }
    // A quoted text that the file ends inside is damaged: taken as it stands, it would swallow
    // the file's last line break and read back differently once saved.
    if (Position == n && (token.empty() || (inQuotes && !done))) throw EFileEnd();
    LastToken = std::move(token);
}

std::string TFileObject::ReadString() {
    NextToken();
    return LastToken;
}

int32_t TFileObject::ReadInteger() {
    NextToken();
    return StrToInt(LastToken);
}

bool TFileObject::ReadBoolean() {
    return ReadInteger() > 0;
}

double TFileObject::ReadFloat() {
    NextToken();
    // A saved infinity or NaN (a run that overflowed) must not make the model unreadable.
    return StrToFloatOrSpecial(LastToken);
}

double TFileObject::ReadFiniteFloat() {
    const double value = ReadFloat();
    if (!std::isfinite(value))
        throw EConvertError("'" + LastToken + "' is not a finite floating point value");
    return value;
}

bool TFileObject::FileVersionLess(const std::string& version, int parts) const {
    if (FileVersion.empty()) return false;
    return CompareVersions(FileVersion, version.empty() ? CurrentVersion : version, parts) < 0;
}

size_t TFileObject::RemainingTokenCapacity() const {
    if (Mode != TFileMode::Reading) return 0;
    int64_t left = static_cast<int64_t>(Buffer.size()) - Position;
    // Every token but an empty quoted one needs a character and a delimiter.
    return left > 0 ? static_cast<size_t>(left) / 2 + 1 : 0;
}

namespace {

// Splits at '.' into at most four components; anything that is not an integer counts as 0.
void VersionComponents(const std::string& text, int64_t (&parts)[4]) {
    for (auto& p : parts)
        p = 0;
    size_t start = 0;
    for (int i = 0; i < 4 && start <= text.size(); ++i) {
        size_t dot = text.find('.', start);
        std::string piece =
            text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        int32_t value = 0;
        if (TryStrToInt(piece, value)) parts[i] = value;
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
}

} // namespace

int32_t CompareVersions(const std::string& a, const std::string& b, int parts) {
    int64_t pa[4], pb[4];
    VersionComponents(a, pa);
    VersionComponents(b, pb);
    for (int j = 0; j < parts && j < 4; ++j) {
        int64_t d = pa[j] - pb[j];
        if (d != 0) return static_cast<int32_t>(std::clamp<int64_t>(d, INT32_MIN, INT32_MAX));
    }
    return 0;
}

bool IsReadOnlyFile(const std::string& fileName) {
    struct stat st {};
    if (stat(fileName.c_str(), &st) != 0) return false;
    // The permission bits decide, not access(): the program may run as root.
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}
