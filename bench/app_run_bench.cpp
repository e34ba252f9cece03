// A long run in the main window, as a user starts it: customer_growth with its stop time
// raised to 3600 (7,200 steps of 0.5), from Run (Update Screen off) or Run to End until the
// run has finished and is painted, through the real event loop and timer, offscreen. Beside
// it the command-line run of the same file. Each should take at most 0.5 s.
#include "app/SimulationMain.h"
#include "app/Utilities.h"
#include "cli/Cli.h"
#include "cli/CliCommands.h"
#include "document/model/DataFile.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

namespace {

// The run's evaluation warnings are answered as a user would, with OK.
class TQuietHooks : public TDialogHooks {
public:
    int Message(QWidget*, TMessageKind, const QString&, int buttons) override {
        return (buttons & mbOK) ? mbOK : mbNo;
    }
    QString FileName(QWidget*, const TFileDialogRequest&) override { return {}; }
    int Exec(QDialog&) override { return 0; }
    void OpenUrl(const QString&) override {}
};

struct TFixture {
    TFixture() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "app_run_bench";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QApplication(argc, argv);
        QStandardPaths::setTestModeEnabled(true);
        SetHooks(&Hooks);
        WriteExampleModels(S(Folder.path()));
        // The example, lengthened, saved as a model of its own.
        Model = Folder.filePath("customer_growth_3600.qvf");
        std::string message;
        std::unique_ptr<TDataFile> document =
            TDataFile::LoadModelFile(S(Folder.filePath("customer_growth.qvf")), message);
        if (!document) {
            std::fprintf(stderr, "%s\n", message.c_str());
            std::abort();
        }
        document->Simulation->StopTime = 3600;
        document->Simulation->ViewStop = 3600;
        document->SaveToFile(S(Model), false);
    }
    QTemporaryDir Folder;
    QString Model;
    TQuietHooks Hooks;
};

TFixture& Fixture() {
    static TFixture fixture;
    return fixture;
}

// Loads the model afresh (not timed), starts the run with start, and waits in the event
// loop until it has finished.
void RunInWindow(benchmark::State& state, bool updateScreen, void (TSimulationMainForm::*start)()) {
    TFixture& fixture = Fixture();
    TSimulationMainForm form;
    form.resize(1280, 900);
    form.StartUp();
    form.show();
    for (auto _ : state) {
        state.PauseTiming();
        form.LoadModel(fixture.Model, false);
        TSimulationObject& simulation = *form.ActiveDocument()->Simulation;
        simulation.UpdateScreen = updateScreen;
        QApplication::processEvents();
        state.ResumeTiming();
        (form.*start)();
        while (form.TimerSimulation->isActive())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.PauseTiming();
        if (!simulation.IsFinished()) state.SkipWithError("the run did not finish");
        form.StopReset();
        form.ActiveDocument()->IsModified = false;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 7201);
}

void BM_WindowRunUpdateScreenOff(benchmark::State& state) {
    RunInWindow(state, false, &TSimulationMainForm::Run);
}
BENCHMARK(BM_WindowRunUpdateScreenOff)->Unit(benchmark::kMillisecond)->UseRealTime();

// Run to End with the model's own settings, Update Screen on.
void BM_WindowRunToEnd(benchmark::State& state) {
    RunInWindow(state, true, &TSimulationMainForm::RunToEndCommand);
}
BENCHMARK(BM_WindowRunToEnd)->Unit(benchmark::kMillisecond)->UseRealTime();

// quorvane-cli run on the same file, writing its CSV nowhere.
void BM_CliRun(benchmark::State& state) {
    const std::vector<std::string> args = {"run", S(Fixture().Model), "--csv", "/dev/null"};
    for (auto _ : state) {
        std::ostringstream out, err;
        if (RunCli(args, out, err) != csSuccess) {
            state.SkipWithError(err.str().c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 7201);
}
BENCHMARK(BM_CliRun)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
