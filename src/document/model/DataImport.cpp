#include "document/model/DataImport.h"

#include "core/model/ObservedData.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"
#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"

#include <QtCore/QFile>

TDataImportResult ImportObservedText(TDataFile& document, std::string_view text) {
    TDataImportResult result;
    TObservedData data;
    TObservedImport import;
    if (!ReadObservedCsv(text, data, result.Error)) {
        // Names the model lacks come first: they are in the header, above any bad line.
        std::string names;
        if (!data.Columns.empty() &&
            !MatchObservedData(*document.Simulation, data, import, names)) {
            result.Error = names;
            result.Mismatch = true;
        }
        return result;
    }
    if (!MatchObservedData(*document.Simulation, data, import, result.Error)) {
        result.Mismatch = true;
        return result;
    }
    EditDocument(document, efCheck | efDerive, [&] {
        ApplyObservedData(*document.Simulation, data, import);
        return true;
    });
    result.Imported = true;
    for (size_t i = 0; i < import.Elements.size(); ++i)
        result.Elements.push_back({import.Elements[i]->Name, data.Columns[i].Points.size()});
    return result;
}

TDataImportResult ImportObservedFile(TDataFile& document, const std::string& fileName) {
    TDataImportResult result;
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        result.Error = "Cannot read " + fileName + ": " + file.errorString().toStdString();
        return result;
    }
    // A device or pipe reports no size: what is read is bounded all the same.
    const QByteArray bytes = file.read(static_cast<qint64>(MaxObservedFileSize) + 1);
    if (bytes.size() > static_cast<qsizetype>(MaxObservedFileSize)) {
        result.Error = fileName + " is larger than " +
                       IntToStr(static_cast<int64_t>(MaxObservedFileSize >> 20)) +
                       " MB, too large for observed data";
        return result;
    }
    if (file.error() != QFileDevice::NoError) {
        result.Error = "Cannot read " + fileName + ": " + file.errorString().toStdString();
        return result;
    }
    return ImportObservedText(document, std::string_view(bytes.constData(), bytes.size()));
}
