#pragma once
// How the core tells a person something: the GUI shows message boxes and the
// error log, the command-line tool writes to standard error, tests record.

#include <string>
#include <vector>

class TNotifier {
public:
    virtual ~TNotifier() = default;
    // A failing element after its evaluation: "Error in <name>: <text>".
    virtual void EvaluationWarning(const std::string& /*text*/) {}
    // The messages of the last model check (empty when the model is fine).
    virtual void ModelCheckMessages(const std::vector<std::string>& /*messages*/) {}
};

// The notifier in force; the default one prints nothing.
TNotifier& Notifier();
// Installs a notifier (not owned); nullptr restores the silent default.
void SetNotifier(TNotifier* notifier);
