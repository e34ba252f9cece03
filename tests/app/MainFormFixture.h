#pragma once
// The real main window against real model files in a temporary folder, with settings and
// recovery copies kept there too, and every modal window answered by a script.

#include "app/AppTestSupport.h"
#include "app/Recovery.h"
#include "app/SimulationMain.h"
#include "app/diagram/MainView.h"
#include "document/model/DataFile.h"
#include "support/ModelBuilder.h"
#include "support/TempDir.h"

#include <QFileInfo>
#include <QSettings>
#include <QTimer>
#include <QtTest/QTest>

#include <functional>
#include <memory>

class MainFormTest : public ::testing::Test {

protected:
    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Q(Temp / "settings"));
        TRecovery::DefaultFolder() = Q(Temp / "recovery");
    }
    void TearDown() override {
        Form.reset();
        EXPECT_TRUE(Hooks.Messages.isEmpty()) << Hooks.Messages.join(" / ").toStdString();
        TRecovery::DefaultFolder().clear();
    }

    TSimulationMainForm& Start(const QString& commandLine = QString()) {
        Form = std::make_unique<TSimulationMainForm>(commandLine);
        Form->StartUp();
        return *Form;
    }

    // The messages shown since the last call.
    QStringList TakeMessages() {
        QStringList messages = Hooks.Messages;
        Hooks.Messages.clear();
        return messages;
    }

protected:
    // Writes a model file built by build (start 0, stop 24, step 1 unless it changes them).
    std::string WriteModel(const std::string& name,
                           const std::function<void(TModelBuilder&)>& build) {
        TSimulationObject* keep = CurrentSimulation;
        {
            TDataFile document;
            TModelBuilder model(*document.Simulation);
            build(model);
            document.SaveToFile(Temp / name, false);
        }
        CurrentSimulation = keep;
        return Temp / name;
    }

    // A constant and a variable that grows with time.
    std::string SimpleModel(const std::string& name = "simple.qvf") {
        return WriteModel(name, [](TModelBuilder& model) {
            model.Constant("Rate", "2");
            model.Variable("Growth", "Rate * TIME", {"Rate"});
        });
    }

    // Ticks the simulation timer by hand until the run stops; the number of ticks.
    int RunToEnd() {
        int ticks = 0;
        while (Form->TimerSimulation->isActive() && ticks < 100000) {
            Form->TimerSimulationTimer();
            ++ticks;
        }
        return ticks;
    }

    TSimulationObject& Simulation() { return *Form->ActiveDocument()->Simulation; }

    TTempDir Temp;
    TScriptedHooks Hooks;
    std::unique_ptr<TSimulationMainForm> Form;
};
