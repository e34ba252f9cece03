#include "app/Recovery.h"

#include "app/SimulationMain.h"
#include "app/Utilities.h"
#include "document/model/DataFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace {

QString ReadName(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// A copy's program still runs while it holds its lock.
bool OwnerGone(const QString& lockPath) {
    QLockFile lock(lockPath);
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) return false;
    lock.unlock();
    return true;
}

} // namespace

QString& TRecovery::DefaultFolder() {
    static QString folder;
    return folder;
}

TRecovery::TRecovery(const QString& folder) : Folder(folder) {
    if (Folder.isEmpty()) Folder = DefaultFolder();
    if (Folder.isEmpty())
        Folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/recovery";
    Id = QString("%1-%2")
             .arg(QCoreApplication::applicationPid())
             .arg(QDateTime::currentMSecsSinceEpoch());
}

TRecovery::~TRecovery() {
    if (Lock) Lock->unlock();
}

QString TRecovery::CopyPath() const {
    return Folder + "/" + Id + ".qvf";
}

bool TRecovery::HasCopy() const {
    return QFileInfo::exists(CopyPath());
}

void TRecovery::Write(TDataFile& document) {
    if (!QDir().mkpath(Folder)) throw EFileException("Cannot create " + S(Folder));
    if (!Lock) {
        Lock = std::make_unique<QLockFile>(Folder + "/" + Id + ".lock");
        Lock->setStaleLockTime(0);
        Lock->tryLock(0);
    }
    QFile name(Folder + "/" + Id + ".name");
    if (name.open(QIODevice::WriteOnly | QIODevice::Truncate))
        name.write(QString::fromStdString(document.FileName).toUtf8());
    document.SaveCopyToFile(S(CopyPath()));
}

void TRecovery::Remove() {
    QFile::remove(CopyPath());
    QFile::remove(Folder + "/" + Id + ".name");
}

std::vector<TRecovery::TOrphan> TRecovery::Orphans() const {
    std::vector<TOrphan> found;
    const QDir dir(Folder);
    for (const QFileInfo& info : dir.entryInfoList({"*.qvf"}, QDir::Files, QDir::Time)) {
        const QString id = info.completeBaseName();
        if (id == Id) continue;
        if (!OwnerGone(dir.filePath(id + ".lock"))) continue;
        found.push_back({info.absoluteFilePath(), ReadName(dir.filePath(id + ".name"))});
    }
    return found;
}

bool TRecovery::OfferRecovery(TSimulationMainForm& form) {
    const std::vector<TOrphan> orphans = Orphans();
    if (orphans.empty()) return false;
    const TOrphan& orphan = orphans.front();
    const QString base =
        QFileInfo(orphan.CopyPath).path() + "/" + QFileInfo(orphan.CopyPath).completeBaseName();
    auto forget = [&] {
        QFile::remove(base + ".name");
        QFile::remove(base + ".lock");
    };
    std::string message;
    std::unique_ptr<TDataFile> document = TDataFile::LoadModelFile(S(orphan.CopyPath), message);
    if (!document) {
        // Set aside, never deleted: the user may still get something out of it.
        QFile::remove(orphan.CopyPath + ".damaged");
        QFile::rename(orphan.CopyPath, orphan.CopyPath + ".damaged");
        forget();
        form.Document->MakeCurrent();
        ShowError(Q(CorruptFileMessage), &form);
        return false;
    }
    const QString shown = orphan.OriginalName.isEmpty() ? "an unsaved model"
                                                        : QFileInfo(orphan.OriginalName).fileName();
    const int answer =
        ShowMessage(TMessageKind::Confirmation,
                    "Quorvane closed unexpectedly. Open the recovered copy of " + shown + "?",
                    mbYes | mbNo, &form);
    if (answer != mbYes) {
        document.reset();
        form.Document->MakeCurrent();
        QFile::remove(orphan.CopyPath);
        forget();
        return false;
    }
    // An unsaved document named like the original: Save asks where, starting there.
    document->FileName = S(orphan.OriginalName);
    document->HasFile = false;
    document->MarkModified();
    form.InstallRecovered(std::move(document));
    // Our own copy exists before the orphan goes, so a second crash loses nothing.
    Write(*form.Document);
    QFile::remove(orphan.CopyPath);
    forget();
    return true;
}
