#include "cli/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::string SystemReason(int error) {
    static const locale_t plain = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return plain ? strerror_l(error, plain) : std::strerror(error);
}

TDescriptorBuffer::TDescriptorBuffer(int fd) : Fd(fd), Data(1 << 16) {
    setp(Data.data(), Data.data() + Data.size());
}

bool TDescriptorBuffer::Flush() {
    const bool ok = WriteAll(pbase(), static_cast<size_t>(pptr() - pbase()));
    setp(Data.data(), Data.data() + Data.size());
    return ok;
}

TDescriptorBuffer::int_type TDescriptorBuffer::overflow(int_type c) {
    if (!Flush()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize TDescriptorBuffer::xsputn(const char* s, std::streamsize n) {
    if (n <= epptr() - pptr()) {
        std::memcpy(pptr(), s, static_cast<size_t>(n));
        pbump(static_cast<int>(n));
        return n;
    }
    // Large pieces skip the buffer.
    if (!Flush() || !WriteAll(s, static_cast<size_t>(n))) return 0;
    return n;
}

bool TDescriptorBuffer::WriteAll(const char* data, size_t size) {
    if (Failure) return false;
    while (size > 0) {
        const ssize_t written = write(Fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            Failure = errno;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

TOutputFile::TOutputFile(std::string fileName) : FileName(std::move(fileName)), Out(nullptr) {}

TOutputFile::~TOutputFile() {
    Discard();
}

bool TOutputFile::Fail(int error) {
    if (Reason.empty()) Reason = SystemReason(error);
    Discard();
    return false;
}

void TOutputFile::Discard() {
    Out.rdbuf(nullptr);
    if (Fd >= 0) close(Fd);
    Fd = -1;
    if (!TempName.empty()) unlink(TempName.c_str());
    TempName.clear();
}

bool TOutputFile::Open() {
    struct stat target {};
    const bool exists = stat(FileName.c_str(), &target) == 0;
    if (exists && S_ISDIR(target.st_mode)) return Fail(EISDIR);
    if (exists && !S_ISREG(target.st_mode)) {
        // A device or pipe cannot be replaced by a rename (nor should /dev/null be).
        Fd = open(FileName.c_str(), O_WRONLY | O_CLOEXEC);
        if (Fd < 0) return Fail(errno);
    } else {
        // Through a symbolic link the file it points to is replaced, not the link.
        // A file we may not write stays, as it would if written in place.
        if (exists && access(FileName.c_str(), W_OK) != 0) return Fail(errno);
        std::error_code ec;
        if (exists) {
            const fs::path resolved = fs::canonical(FileName, ec);
            if (!ec) FileName = resolved.string();
        }
        const fs::path path(FileName);
        const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
        const std::string pattern =
            (folder / ("." + path.filename().string() + ".XXXXXX")).string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        Fd = mkostemp(name.data(), O_CLOEXEC);
        if (Fd < 0) return Fail(errno);
        TempName = name.data();
        // Keep the permissions of the file being replaced; a new file gets the usual ones.
        mode_t mode = 0;
        if (exists) {
            mode = target.st_mode & 07777;
        } else {
            const mode_t mask = umask(0);
            umask(mask);
            mode = 0666 & ~mask;
        }
        if (fchmod(Fd, mode) != 0) return Fail(errno);
    }
    Buffer = std::make_unique<TDescriptorBuffer>(Fd);
    Out.rdbuf(Buffer.get());
    Out.clear();
    return true;
}

bool TOutputFile::Commit() {
    if (Fd < 0) return Fail(EBADF);
    if (!Buffer->Flush()) return Fail(Buffer->Error());
    if (!Out) return Fail(EIO);
    if (!TempName.empty() && fsync(Fd) != 0) return Fail(errno);
    const int fd = Fd;
    Fd = -1;
    if (close(fd) != 0) return Fail(errno);
    if (!TempName.empty()) {
        if (rename(TempName.c_str(), FileName.c_str()) != 0) return Fail(errno);
        TempName.clear();
    }
    Out.rdbuf(nullptr);
    return true;
}
