// Integration methods and non-negative elements live in the newer file format only: a model
// using neither keeps the base format's bytes, one using either is written in the newer one,
// reads back with them, and undo brings them back.
#include "support/ModelBuilder.h"

#include "core/support/Version.h"
#include "document/model/DataFile.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string Header(const std::string& text) {
    return text.substr(0, text.find('\r'));
}

// The text from the simulation record on: the document's dates before it change with edits.
std::string FromSimulation(const std::string& text) {
    size_t at = 0;
    for (int line = 0; line < 3; ++line)
        at = text.find("\r\n", at) + 2;
    return text.substr(at);
}

TEST(NewerFormat, MethodsAndNonNegativeElementsAreSavedInTheNewerFormatOnly) {
    struct TCase {
        const char* Name;
        std::function<void(TModelBuilder&)> Change;
        bool Newer;
    };
    const TCase cases[] = {
        {"plain", [](TModelBuilder&) {}, false},
        // The flag means nothing for a Variable, so it does not need the newer format.
        {"non-negative variable", [](TModelBuilder& m) { m["Rate"].NonNegative = true; }, false},
        {"RK2", [](TModelBuilder& m) { m.Sim.Method = imRK2; }, true},
        {"RK4", [](TModelBuilder& m) { m.Sim.Method = imRK4; }, true},
        {"non-negative resource", [](TModelBuilder& m) { m["Stock"].NonNegative = true; }, true},
        {"non-negative flow", [](TModelBuilder& m) { m["Drain"].NonNegative = true; }, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDataFile document;
        TModelBuilder m(*document.Simulation);
        TVariableObject& stock = m.Resource("Stock", "10");
        TVariableObject& drain = m.Flow("Drain", "Stock * Rate", {"Stock"});
        m.Variable("Rate", "0.5");
        m.Link(m["Rate"], drain);
        m.Outflow(drain, stock);
        c.Change(m);
        const std::string saved = document.SavedText();
        EXPECT_EQ(Header(saved),
                  std::string("Quorvane\t") + (c.Newer ? ProgramVersion : BaseFormatVersion));

        std::string message;
        auto loaded = TDataFile::LoadModelText(saved, "", message);
        ASSERT_TRUE(loaded) << message;
        EXPECT_EQ(loaded->SavedText(), saved);
        TSimulationObject& model = *loaded->Simulation;
        EXPECT_EQ(model.Method, c.Newer ? document.Simulation->Method : imEuler);
        for (const char* name : {"Stock", "Drain"})
            EXPECT_EQ(model.FindByIdentifier(name)->NonNegative, m[name].NonNegative) << name;

        // Undo puts the flags back as they were before the change.
        document.PushUndo();
        document.Simulation->Method = imEuler;
        for (TVariableObject* element : document.Simulation->Variables)
            element->NonNegative = false;
        document.Undo();
        EXPECT_EQ(FromSimulation(document.SavedText()), FromSimulation(saved));
    }
}

TEST(NewerFormat, AnUnknownMethodIsDamagedData) {
    TDataFile document;
    document.Simulation->Method = imRK4;
    std::string saved = document.SavedText();
    // The method comes after the screen-update settings, before the element count.
    const std::string field = "'Months'\t1\t1\t1\t2\t0\r\n";
    const size_t at = saved.find(field);
    ASSERT_NE(at, std::string::npos) << saved;
    saved.replace(at, field.size(), "'Months'\t1\t1\t1\t7\t0\r\n");
    std::string message;
    EXPECT_FALSE(TDataFile::LoadModelText(saved, "", message));
    EXPECT_EQ(message,
              "The file you attempted to load is either not a valid data file or may be corrupt.");
}

} // namespace
