#pragma once
// Files, folders and small models shared by the document tests.

#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

// The examples/ folder of the source tree.
inline fs::path ExamplesFolder() {
    return fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";
}

inline std::vector<fs::path> ExampleFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(ExamplesFolder()))
        if (entry.path().extension() == ".qvf") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

inline std::string ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

// A fresh folder for one test, removed when the test ends.
class TTempFolder {
public:
    TTempFolder() {
        static int counter = 0;
        Path = fs::temp_directory_path() / ("quorvane-doc-test-" + std::to_string(::getpid()) +
                                            "-" + std::to_string(++counter));
        fs::remove_all(Path);
        fs::create_directories(Path);
    }
    ~TTempFolder() {
        std::error_code ec;
        fs::permissions(Path, fs::perms::owner_all, fs::perm_options::add, ec);
        for (const auto& entry : fs::directory_iterator(Path, ec))
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(Path, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    std::string operator/(const std::string& name) const { return (Path / name).string(); }
    fs::path Path;
};

// Loads a model text through the document loader; fails the test when it does not load.
inline std::unique_ptr<TDataFile> LoadText(const std::string& text,
                                           std::string* message = nullptr) {
    std::string why;
    auto document = TDataFile::LoadModelText(text, "", why);
    if (message) *message = why;
    return document;
}

// Builds models with their diagram in code, without the editing tools.
class TDocumentBuilder {
public:
    explicit TDocumentBuilder(TDataFile& document) : Document(document) {}

    TVariableObject* Element(uint8_t kind, const std::string& name, const std::string& equation,
                             int32_t x = 100, int32_t y = 100) {
        TVariableObject* element = Document.Simulation->NewElement(kind);
        element->Name = name;
        element->Equation = equation;
        auto shape = std::make_unique<TVariableInstance>();
        shape->Position = {x, y};
        shape->Variable.SetTarget(element);
        shape->Owner = &Document.Image();
        Document.Image().Elements.AddItem(std::move(shape));
        return element;
    }

    TVariableInstance* ShapeOf(const TVariableObject* element) const {
        for (TVariableInstance* shape : Document.Image().Elements)
            if (shape->Var() == element && !shape->IsClone) return shape;
        return nullptr;
    }

    // An information link on the diagram and in the model.
    TLinkInstance* Link(TVariableObject* from, TVariableObject* to) {
        auto dependency = std::make_unique<TDependency>();
        dependency->Source.SetTarget(from);
        to->Dependencies.AddItem(std::move(dependency));
        auto link = std::make_unique<TLinkInstance>();
        link->FromElement.SetTarget(ShapeOf(from));
        link->ToElement.SetTarget(ShapeOf(to));
        link->Owner = &Document.Image();
        TLinkInstance* added = link.get();
        Document.Image().Links.AddItem(std::move(link));
        return added;
    }

    TNoteInstance* Note(const std::string& text, TDrawRect frame) {
        auto note = std::make_unique<TNoteInstance>();
        note->Frame = frame;
        note->SetText(text);
        note->Owner = &Document.Image();
        TNoteInstance* added = note.get();
        Document.Image().OutputControls.AddItem(std::move(note));
        return added;
    }

    TDataFile& Document;
};
