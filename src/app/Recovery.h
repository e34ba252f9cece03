#pragma once
// Recovery copies: while a model has unsaved changes, a copy goes to the per-user data
// folder now and then, never next to the model file. A copy whose program is no longer
// running is offered once at the next start.

#include <QString>

#include <memory>
#include <vector>

class QLockFile;
class TDataFile;
class TSimulationMainForm;

class TRecovery {
public:
    // folder: where the copies live; empty means the per-user data folder.
    explicit TRecovery(const QString& folder = QString());
    ~TRecovery();

    // Writes the document's copy through the safe save path. Throws EFileException.
    void Write(TDataFile& document);
    // Deletes this program's copy, if any.
    void Remove();
    bool HasCopy() const;
    QString CopyPath() const;

    struct TOrphan {
        QString CopyPath;
        QString OriginalName; // empty for a model that was never saved
    };
    // Copies left by programs that are no longer running.
    std::vector<TOrphan> Orphans() const;
    // Offers the first orphan; true when it was opened as the current document.
    bool OfferRecovery(TSimulationMainForm& form);

    // Where copies go when no folder is given; tests point it at a folder of their own.
    static QString& DefaultFolder();

    QString Folder;
    QString Id; // this program's copies: Id.qvf, Id.name, Id.lock

private:
    std::unique_ptr<QLockFile> Lock;
};
