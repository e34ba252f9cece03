#pragma once
// An output file written as models are saved: into a temporary file beside the target,
// renamed over it only once everything is on disk, so that a failed write leaves the old
// file (or no file) and never a partial one. A target that is not a regular file (a
// device such as /dev/null, a pipe) is written directly.

#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

// The system's text for an errno value, in English like the rest of the tool's messages
// whatever the locale ("No space left on device").
std::string SystemReason(int error);

// A stream buffer over an open file descriptor that remembers the first failed write.
class TDescriptorBuffer : public std::streambuf {
public:
    explicit TDescriptorBuffer(int fd);
    // Writes out what is buffered; false once any write has failed.
    bool Flush();
    // errno of the first failed write, or 0.
    int Error() const { return Failure; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override { return Flush() ? 0 : -1; }

private:
    bool WriteAll(const char* data, size_t size);

    int Fd;
    int Failure = 0;
    std::vector<char> Data;
};

class TOutputFile {
public:
    explicit TOutputFile(std::string fileName);
    ~TOutputFile(); // a file not committed is removed
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // Creates the temporary file (or opens the device). False with Error() set.
    bool Open();
    // Where the contents go, once open.
    std::ostream& Stream() { return Out; }
    // Flushes, syncs and renames over the target. False with Error() set; the temporary
    // file is then gone.
    bool Commit();
    // The system's reason for the first failure ("No space left on device").
    const std::string& Error() const { return Reason; }

private:
    bool Fail(int error);
    void Discard();

    std::string FileName; // the target, symbolic links followed
    std::string TempName; // empty when the target is written directly
    int Fd = -1;
    std::unique_ptr<TDescriptorBuffer> Buffer;
    std::ostream Out;
    std::string Reason;
};
