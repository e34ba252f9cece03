#include "core/analysis/SensitivityCsv.h"

#include "core/support/CsvText.h"

#include <ostream>

namespace {

// Rows are gathered in one buffer and written in large pieces.
class TCsvWriter {
public:
    explicit TCsvWriter(std::ostream& out) : Out(out) {}
    ~TCsvWriter() { Flush(); }
    TCsvWriter(const TCsvWriter&) = delete;
    TCsvWriter& operator=(const TCsvWriter&) = delete;

    void Text(std::string_view text) {
        Buffer.append(text);
        MaybeFlush();
    }
    void Number(double value) {
        char text[MaxFloatTextSize];
        Buffer.append(text, WriteShortestFloat(text, value));
        MaybeFlush();
    }
    void Comma() { Buffer += ','; }
    void EndRow() { Buffer += '\n'; }

private:
    void MaybeFlush() {
        if (Buffer.size() >= (1u << 16)) Flush();
    }
    void Flush() {
        Out.write(Buffer.data(), static_cast<std::streamsize>(Buffer.size()));
        Buffer.clear();
    }
    std::ostream& Out;
    std::string Buffer;
};

} // namespace

void WriteBandsCsv(const TSensitivityPlan& plan, const TSensitivityResults& results,
                   std::ostream& out) {
    TCsvWriter csv(out);
    csv.Text("Time");
    for (const std::string& name : plan.OutputNames) {
        for (const char* statistic : BandStatisticNames) {
            csv.Comma();
            csv.Text(CsvField(name + " " + statistic));
        }
    }
    csv.EndRow();
    std::vector<TOutputBands> bands;
    bands.reserve(plan.Outputs.size());
    for (size_t o = 0; o < plan.Outputs.size(); ++o)
        bands.push_back(ComputeBands(results, o));
    for (size_t s = 0; s < plan.Steps(); ++s) {
        csv.Number(plan.StartTime + plan.Offsets[s]);
        for (const TOutputBands& output : bands) {
            for (const std::vector<double>& statistic : output.Statistic) {
                csv.Comma();
                csv.Number(statistic[s]);
            }
        }
        csv.EndRow();
    }
}

void WriteRunsCsv(const TSensitivityPlan& plan, const TSensitivityResults& results,
                  std::ostream& out) {
    TCsvWriter csv(out);
    csv.Text("Run");
    for (const std::string& name : plan.VariedNames) {
        csv.Comma();
        csv.Text(CsvField(name));
    }
    for (const std::string& name : plan.OutputNames) {
        csv.Comma();
        csv.Text(CsvField(name + " final"));
    }
    csv.EndRow();
    for (size_t k = 0; k < results.Runs(); ++k) {
        if (!results.IsDone(k)) continue;
        csv.Number(static_cast<double>(k + 1));
        for (size_t j = 0; j < plan.Varied.size(); ++j) {
            csv.Comma();
            csv.Number(plan.Samples.At(k, j));
        }
        for (size_t o = 0; o < results.Outputs(); ++o) {
            csv.Comma();
            csv.Number(results.Final(k, o));
        }
        csv.EndRow();
    }
}
