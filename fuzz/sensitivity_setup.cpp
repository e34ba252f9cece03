// Arbitrary bytes as an analysis set-up: the first byte chooses a --vary text ("NAME=SOURCE")
// or a set-up record as stored with a model; what reads must write back to itself and draw
// finite samples within its range.
#include "core/analysis/Sampling.h"
#include "core/persistence/FileIO.h"
#include "core/support/Version.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void DrawFrom(const TVariedSource& source) {
    std::string problem;
    TVariedSource again;
    Check(ParseVariedSource(VariedSourceText(source), again, problem));
    Check(again == source);
    const std::vector<double>& v = source.Values;
    for (TSamplingMethod method : {smRandom, smLatinHypercube}) {
        const TSampleTable table = DrawSamples({source}, method, 5, 3);
        for (double x : table.Values) {
            Check(std::isfinite(x));
            if (source.Kind == vsUniform || source.Kind == vsTriangular)
                Check(x >= v.front() && x <= v.back());
            if (source.Kind == vsNormal && v.size() == 4) Check(x >= v[2] && x <= v[3]);
        }
    }
    if (GridRunCount({source}, 1000, problem) > 0) {
        const TSampleTable grid = DrawSamples({source}, smGrid, SourceLevelCount(source), 3);
        for (double x : grid.Values)
            Check(std::isfinite(x));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] % 2 == 0) {
        TVariedElement varied;
        std::string problem;
        if (ParseVaryText(text, varied, problem))
            DrawFrom(varied.Source);
        else
            Check(!problem.empty());
        return 0;
    }
    TFileObject file;
    file.CurrentVersion = ProgramVersion;
    try {
        file.OpenForReadText(std::string("Quorvane\t") + ProgramVersion + "\r\n" +
                             std::string(text) + "\r\n");
        TSensitivitySetUp setUp;
        setUp.Load(file);
        for (const TVariedElement& varied : setUp.Varied)
            DrawFrom(varied.Source);
        // Written again, it reads back the same.
        TFileObject out;
        out.CurrentVersion = ProgramVersion;
        out.OpenForWrite("", "Quorvane");
        setUp.Save(out);
        TFileObject back;
        back.OpenForReadText(out.SavedText());
        TSensitivitySetUp again;
        again.Load(back);
        Check(again == setUp);
    } catch (const std::exception&) {
        // Damaged records are refused with a message, never a crash.
    }
    return 0;
}
