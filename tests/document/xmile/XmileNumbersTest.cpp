// Numbers in an XMILE file that are not finite: refused wherever they stand, so that no
// time, step, scale or position of an imported model is NaN or infinite.
#include "XmileTestSupport.h"

#include <cmath>

namespace {

std::string Document(const std::string& start, const std::string& stop, const std::string& dt,
                     const std::string& aux, const std::string& view) {
    return "<xmile version=\"1.0\" xmlns=\"http://docs.oasis-open.org/xmile/ns/XMILE/v1.0\">"
           "<sim_specs><start>" +
           start + "</start><stop>" + stop + "</stop>" + dt + "</sim_specs><model><variables>" +
           "<stock name=\"s\"><eqn>1</eqn><inflow>f</inflow></stock>"
           "<flow name=\"f\"><eqn>1</eqn></flow>" +
           aux + "</variables><views><view>" + view + "</view></views></model></xmile>";
}

} // namespace

TEST(XmileImport, NumbersThatAreNotFiniteAreRefusedWhereverTheyStand) {
    const std::string dt = "<dt>1</dt>", aux = "<aux name=\"a\"><eqn>2</eqn></aux>";
    const std::string view = "<stock name=\"s\" x=\"100\" y=\"100\"/>";
    auto gf = [](const std::string& content) {
        return "<aux name=\"a\"><eqn>TIME</eqn><gf>" + content + "</gf></aux>";
    };
    // "1" fits every place: those files import, so each refusal is the number's.
    for (const std::string bad :
         {"1", "NaN", "nan", "INF", "-inf", "Infinity", "1e999", "-1e400"}) {
        const std::vector<std::string> cases = {
            Document(bad, "10", dt, aux, view),
            Document("0", bad, dt, aux, view),
            Document("0", "10", "<dt>" + bad + "</dt>", aux, view),
            Document("0", "10", "<dt reciprocal=\"true\">" + bad + "</dt>", aux, view),
            Document("0", "10", dt, "<aux name=\"a\"><eqn>" + bad + "</eqn></aux>", view),
            Document("0", "10", dt, gf("<xscale min=\"0\" max=\"" + bad + "\"/><ypts>0,1</ypts>"),
                     view),
            Document("0", "10", dt, gf("<xpts>0," + bad + "</xpts><ypts>0,1</ypts>"), view),
            Document("0", "10", dt, gf("<xscale min=\"0\" max=\"1\"/><ypts>0," + bad + "</ypts>"),
                     view),
            Document("0", "10", dt, aux, "<stock name=\"s\" x=\"" + bad + "\" y=\"100\"/>"),
            Document("0", "10", dt, aux,
                     view + "<aux name=\"a\" x=\"1\" y=\"1\"/><connector uid=\"1\" angle=\"" + bad +
                         "\"><from>a</from><to>s</to></connector>"),
        };
        for (const std::string& text : cases) {
            SCOPED_TRACE(text);
            TDataFile current;
            const std::string before = current.SavedText();
            TXmileImport imported = ImportXmileText(text, "bad.xmile");
            if (bad == "1") {
                EXPECT_TRUE(imported.Document) << imported.Error;
                continue;
            }
            EXPECT_FALSE(imported.Document);
            EXPECT_EQ(imported.Fault, TXmileFault::Invalid) << imported.Error;
            EXPECT_EQ(CurrentSimulation, current.Simulation.get());
            EXPECT_EQ(current.SavedText(), before);
        }
    }
    // Finite ends whose span a double cannot hold import; the run stops before a time it
    // could not store, and the model with its results saves and loads.
    TXmileImport imported =
        ImportXmileText(Document("-1e308", "1e308", "<dt>1e308</dt>", aux, view), "wide.xmile");
    ASSERT_TRUE(imported.Document) << imported.Error;
    imported.Document->MakeCurrent();
    TSimulationObject& model = *imported.Document->Simulation;
    ASSERT_TRUE(model.CheckModel());
    model.Reset();
    for (int step = 0; step < 10 && !model.IsFinished(); ++step)
        model.Step();
    EXPECT_TRUE(model.IsFinished());
    for (const TVariableObject* element : model.Variables) {
        EXPECT_EQ(element->Simulated.Count(), 2); // at offsets 0 and 1e308
        for (const TDataPoint& point : element->Simulated.Points)
            EXPECT_TRUE(std::isfinite(point.Time));
    }
    std::string message;
    auto loaded = TDataFile::LoadModelText(imported.Document->SavedText(), "", message);
    ASSERT_TRUE(loaded) << message;
    EXPECT_EQ(loaded->Simulation->Variables[0]->Simulated.Count(), 2);
}
