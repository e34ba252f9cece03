#include "mpi/MpiShares.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

TRunShare RunShare(size_t runs, int rank, int ranks) {
    if (ranks < 1 || rank < 0 || rank >= ranks) return {};
    const auto at = [&](int r) {
        // runs * r may not fit when both are large: split into whole shares and the rest.
        const size_t whole = runs / static_cast<size_t>(ranks);
        const size_t rest = runs % static_cast<size_t>(ranks);
        return whole * static_cast<size_t>(r) + std::min(rest, static_cast<size_t>(r));
    };
    return {at(rank), at(rank + 1)};
}

namespace {

void PutNumber(std::string& bytes, int64_t value) {
    char raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    bytes.append(raw, sizeof raw);
}

bool GetNumber(const std::string& bytes, size_t& at, int64_t& value) {
    if (bytes.size() - at < sizeof value) return false;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    at += sizeof value;
    return true;
}

void PutDouble(std::string& bytes, double value) {
    char raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    bytes.append(raw, sizeof raw);
}

bool GetDouble(const std::string& bytes, size_t& at, double& value) {
    if (bytes.size() - at < sizeof value) return false;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    at += sizeof value;
    return true;
}

void PutText(std::string& bytes, const std::string& text) {
    PutNumber(bytes, static_cast<int64_t>(text.size()));
    bytes += text;
}

bool GetText(const std::string& bytes, size_t& at, std::string& text) {
    int64_t size = 0;
    if (!GetNumber(bytes, at, size) || size < 0 || static_cast<uint64_t>(size) > bytes.size() - at)
        return false;
    text = bytes.substr(at, static_cast<size_t>(size));
    at += static_cast<size_t>(size);
    return true;
}

void PutValues(std::string& bytes, const std::vector<double>& values) {
    PutNumber(bytes, static_cast<int64_t>(values.size()));
    for (double value : values)
        PutDouble(bytes, value);
}

bool GetValues(const std::string& bytes, size_t& at, std::vector<double>& values) {
    int64_t size = 0;
    if (!GetNumber(bytes, at, size) || size < 0 ||
        static_cast<uint64_t>(size) > (bytes.size() - at) / sizeof(double))
        return false;
    values.resize(static_cast<size_t>(size));
    for (double& value : values)
        GetDouble(bytes, at, value);
    return true;
}

} // namespace

std::string PackWarnings(const std::vector<TAnalysisWarning>& warnings) {
    std::string bytes;
    for (const TAnalysisWarning& warning : warnings) {
        PutNumber(bytes, warning.FirstRun);
        PutNumber(bytes, warning.Runs);
        PutNumber(bytes, static_cast<int64_t>(warning.Text.size()));
        bytes += warning.Text;
    }
    return bytes;
}

bool UnpackWarnings(const std::string& bytes, std::vector<TAnalysisWarning>& warnings) {
    warnings.clear();
    size_t at = 0;
    while (at < bytes.size()) {
        TAnalysisWarning warning;
        int64_t size = 0;
        if (!GetNumber(bytes, at, warning.FirstRun) || !GetNumber(bytes, at, warning.Runs) ||
            !GetNumber(bytes, at, size) || size < 0 ||
            static_cast<uint64_t>(size) > bytes.size() - at)
            return false;
        warning.Text = bytes.substr(at, static_cast<size_t>(size));
        at += static_cast<size_t>(size);
        warnings.push_back(std::move(warning));
    }
    return true;
}

std::string PackTexts(const std::vector<std::string>& texts) {
    std::string bytes;
    for (const std::string& text : texts)
        PutText(bytes, text);
    return bytes;
}

bool UnpackTexts(const std::string& bytes, std::vector<std::string>& texts) {
    texts.clear();
    size_t at = 0;
    while (at < bytes.size()) {
        std::string text;
        if (!GetText(bytes, at, text)) return false;
        texts.push_back(std::move(text));
    }
    return true;
}

std::string PackStarts(const std::vector<TStartResult>& starts) {
    std::string bytes;
    for (const TStartResult& start : starts) {
        PutValues(bytes, start.Start);
        PutValues(bytes, start.Fitted);
        PutDouble(bytes, start.Payoff);
        PutNumber(bytes, start.Evaluations);
        PutNumber(bytes, static_cast<int64_t>(start.Outcome));
        PutNumber(bytes, start.Done ? 1 : 0);
        PutText(bytes, start.Problem);
    }
    return bytes;
}

bool UnpackStarts(const std::string& bytes, std::vector<TStartResult>& starts) {
    starts.clear();
    size_t at = 0;
    while (at < bytes.size()) {
        TStartResult start;
        int64_t outcome = 0, done = 0;
        if (!GetValues(bytes, at, start.Start) || !GetValues(bytes, at, start.Fitted) ||
            !GetDouble(bytes, at, start.Payoff) || !GetNumber(bytes, at, start.Evaluations) ||
            !GetNumber(bytes, at, outcome) || outcome < soConverged || outcome > soFailed ||
            !GetNumber(bytes, at, done) || !GetText(bytes, at, start.Problem))
            return false;
        start.Outcome = static_cast<TStartOutcome>(outcome);
        start.Done = done != 0;
        starts.push_back(std::move(start));
    }
    return true;
}

std::string MpiMessages(const std::string& text) {
    static const std::string From[] = {"quorvane-cli:", "Try 'quorvane-cli --help'"};
    static const std::string To[] = {"quorvane-mpi:", "Try 'quorvane-mpi --help'"};
    std::string result;
    result.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(at, end - at);
        for (size_t i = 0; i < std::size(From); ++i)
            if (line.compare(0, From[i].size(), From[i]) == 0)
                line.replace(0, From[i].size(), To[i]);
        result += line;
        at = end;
    }
    return result;
}

int DefaultRankJobs(int cores, int ranksOnMachine) {
    return std::clamp(cores / std::max(ranksOnMachine, 1), 1, MaxAnalysisJobs);
}

std::string MpiUsage() {
    return "Usage: mpirun -np K quorvane-mpi sensitivity|calibrate MODEL.qvf [OPTIONS]\n"
           "Runs quorvane-cli's sensitivity or calibrate command with its runs spread over K\n"
           "processes, on one machine or on the nodes of a cluster. It takes exactly the\n"
           "options of the quorvane-cli command and writes the same output: sensitivity the\n"
           "same bytes with the same seed, whatever K and --jobs. Each process runs a share\n"
           "of the runs (of the starts, for calibrate) on its own threads; the first process\n"
           "(rank 0) gathers the results and writes every output. The model file must be\n"
           "readable by every process.\n"
           "\n"
           "Commands:\n"
           "  sensitivity MODEL.qvf [--runs N] [--seed S] [--jobs J]\n"
           "      [--method random|lhs|grid] [--vary 'NAME=SOURCE']... [--output NAME]...\n"
           "      [--csv BANDS.csv] [--runs-csv RUNS.csv] [--plot PICTURE] [--max-steps N]\n"
           "  calibrate MODEL.qvf --fit 'NAME=LOW..HIGH'... [--target NAME[=WEIGHT]]...\n"
           "      [--starts K] [--method bobyqa|neldermead|sbplx] [--max-evals N]\n"
           "      [--tolerance T] [--seed S] [--jobs J] [--out FITTED.qvf]\n"
           "      See quorvane-cli --help. J is the threads of each process; by default the\n"
           "      processors it may use, shared by the processes that may use the same ones.\n"
           "\n"
           "Exit status (the same on every process):\n"
           "  0  success\n"
           "  1  errors in the model, a run longer than --max-steps allows, no observed data\n"
           "     to calibrate against, or a failed run\n"
           "  2  bad usage\n"
           "  3  a file that cannot be read or written\n"
           "  4  calibrate stopped at --max-evals before converging\n"
           "\n"
           "Options:\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the program version and exit\n";
}
