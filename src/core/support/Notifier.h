#pragma once
// How the core tells a person something: the GUI shows message boxes and the
// error log, the command-line tool writes to standard error, tests record.

#include <cstdint>
#include <string>
#include <vector>

class TNotifier {
public:
    virtual ~TNotifier() = default;
    // A failing element after its evaluation: "Error in <name>: <text>".
    virtual void EvaluationWarning(const std::string& /*text*/) {}
    // The messages of the last model check (empty when the model is fine).
    virtual void ModelCheckMessages(const std::vector<std::string>& /*messages*/) {}
    // An analysis has finished done of its total runs. Called on the thread that started
    // the analysis, never on a worker.
    virtual void AnalysisProgress(int64_t /*done*/, int64_t /*total*/) {}
};

// The notifier in force on this thread: the thread's own while one is installed, otherwise
// the program's; the default one prints nothing.
TNotifier& Notifier();
// Installs the program's notifier (not owned); nullptr restores the silent default.
void SetNotifier(TNotifier* notifier);

// While it lives, what this thread's evaluations and checks report goes to notifier (not
// owned) instead: an analysis worker collects its runs' warnings, and must not reach a
// window from its own thread.
class TThreadNotifierScope {
public:
    explicit TThreadNotifierScope(TNotifier* notifier);
    ~TThreadNotifierScope();
    TThreadNotifierScope(const TThreadNotifierScope&) = delete;
    TThreadNotifierScope& operator=(const TThreadNotifierScope&) = delete;

private:
    TNotifier* Outer;
};
