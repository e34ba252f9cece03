#pragma once
// The model document: everything a model file holds and one open model needs, the
// undo snapshots and the structure buffer behind Cut, Copy and Paste.

#include "core/model/SimulationObjects.h"
#include "core/persistence/FileItems.h"
#include "core/support/DateTime.h"
#include "core/support/Version.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TDrawImage;
class TFormBaseChild;
class TFormMain;
class TDataFile;

// The header word of every model file.
inline constexpr const char* ModelFileType = "Quorvane";

// The messages of a model load that fails.
std::string FileMissingMessage(const std::string& fileName);
std::string FileUnreadableMessage(const std::string& fileName);
extern const char* const LaterVersionMessage;
extern const char* const CorruptFileMessage;

// One view of a document: the diagram and the window that shows it. It has no record
// of its own; the document saves the image in its place.
class TWindowView : public TIOObject {
public:
    TWindowView();
    ~TWindowView() override;
    void Load(TFileObject&) override {}

    TFormBaseChild* View = nullptr; // not owned
    std::unique_ptr<TDrawImage> Image;
};

// A complete copy of a model's structure: an undo snapshot or the structure buffer.
class TCopyObject {
public:
    TCopyObject();
    ~TCopyObject();
    TCopyObject(const TCopyObject&) = delete;
    TCopyObject& operator=(const TCopyObject&) = delete;

    TDrawImage& Image() const { return *Views.Image; }

    std::unique_ptr<TSimulationObject> Simulation;
    TWindowView Views; // its image has no owner
};

// The program's one structure buffer, from start to exit.
TCopyObject& ClipboardCopy();
// ClipboardCopy holds something that can be pasted.
extern bool ClipboardHasStructure;

class TDataFile : public TIOObject {
public:
    TDataFile();
    ~TDataFile() override;

    // The record of a model file after its header line.
    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;

    // Writes the model file, by default keeping the previous one as the backup. The
    // document is marked saved only once the file is safely on disk; a failure throws
    // EFileException and leaves the name and the modified mark as they were.
    void SaveToFile(const std::string& fileName, bool makeBackup = true);
    void SaveToFile() { SaveToFile(FileName); }

    // Loads a model file into a new document. On failure the result is none, message
    // holds the text to show the user, and nothing of the half-read document survives:
    // pending references are dropped and CurrentSimulation is what it was before.
    static std::unique_ptr<TDataFile> LoadModelFile(const std::string& fileName,
                                                    std::string& message);
    // As LoadModelFile, from text already in memory (fileName only names the document).
    static std::unique_ptr<TDataFile>
    LoadModelText(std::string_view text, const std::string& fileName, std::string& message);
    // The text SaveToFile would write, without touching the disk.
    std::string SavedText();
    // Writes the model to another file by the same safe path, without a backup, leaving the
    // document's name and modified mark alone (recovery copies). Throws EFileException.
    void SaveCopyToFile(const std::string& fileName);

    void MarkModified();
    // Told whenever the modified mark or the file may have changed (an edit, a save), so that
    // a window can show them.
    std::function<void()> StateChanged;
    // Hands SeriesColours and SeriesShow to the diagram's painters; call after changing either.
    void ApplyGraphOptions();
    void AttachView(TFormBaseChild* window) { Views.View = window; }
    // Makes this document's model the one equations and links refer to.
    void MakeCurrent() { CurrentSimulation = Simulation.get(); }

    // Undo by snapshots of the model and the diagram.
    void PushUndo();
    void Undo();
    bool CanUndo() const { return !UndoStack.empty(); }

    // The structure buffer; image is this document's diagram.
    void CopySelection(TDrawImage& image, bool cut);
    void PasteStructure(TDrawImage& image);

    TDrawImage& Image() const { return *Views.Image; }

    TCopyObject* ClipboardCopy; // not owned: the program's one buffer
    std::vector<std::unique_ptr<TCopyObject>> UndoStack;
    std::unique_ptr<TSimulationObject> Simulation;
    TDateTime Created;
    TDateTime Modified;
    std::string Title;
    std::string Author;
    std::string Company;
    std::string Notes;
    std::string ModelNotes = "Model Notes";
    // Sketched, Derived and Simulated, red in the low byte.
    int32_t SeriesColours[3] = {255, 8421504, 32768};
    // Per series kind: shown before Now, shown after Now.
    bool SeriesShow[6] = {true, true, true, true, true, true};
    std::string FileName;
    bool HasFile = false;
    bool IsModified = false;
    bool ResetWarningShown = false;
    // The document's single view; its image is owned here and its Owner is this document.
    TWindowView Views;
    TFormMain* MainForm = nullptr; // not owned
};

// Fails with EFileException when a loaded model holds a reference that would leave an
// object unusable (a dependency without its source).
void ValidateLoadedModel(const TSimulationObject& simulation);
