#pragma once
// Files for tests: a fresh temporary folder, whole-file reads and writes, and the folders of
// the source tree that tests read from. Standard library only, so every test layer may use it.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempDir {
public:
    TTempDir() {
        std::random_device rd;
        Path = fs::temp_directory_path() /
               ("quorvane-test-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(Path);
    }
    ~TTempDir() {
        std::error_code ec;
        // Restore write permission so read-only files and folders can be removed.
        fs::permissions(Path, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto& e : fs::recursive_directory_iterator(Path, ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(Path, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    // The path of a file in the folder, as the program's file functions take it.
    std::string operator/(const std::string& name) const { return (Path / name).string(); }

    fs::path Path;
};

inline std::string ReadWholeFile(const fs::path& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const fs::path& name, const std::string& text) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << text;
}

inline void MakeReadOnly(const fs::path& name) {
    fs::permissions(name, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

// Lines as the model files hold them, each ended by CR LF.
inline std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

// The root of the source tree (this file is tests/support/TempDir.h).
inline fs::path SourceFolder() {
    return fs::path(__FILE__).parent_path().parent_path().parent_path();
}

inline fs::path ExamplesFolder() {
    return SourceFolder() / "examples";
}

// The example models, sorted by name.
inline std::vector<fs::path> ExampleFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(ExamplesFolder()))
        if (entry.path().extension() == ".qvf") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}
