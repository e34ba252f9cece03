// Every construct XMILE has and we cannot represent exactly, and every kind of broken input:
// each gives its message, no document, and leaves the current model as it was.
#include "XmileTestSupport.h"

#include "core/model/Listings.h"

namespace {

// A document around the given variables (and optional view, and text before <model>).
std::string Document(const std::string& variables, const std::string& view = "",
                     const std::string& before = "") {
    return "<xmile version=\"1.0\" xmlns=\"http://docs.oasis-open.org/xmile/ns/XMILE/v1.0\">"
           "<sim_specs><start>0</start><stop>10</stop><dt>1</dt></sim_specs>" +
           before + "<model><variables>" + variables + "</variables>" +
           (view.empty() ? "" : "<views><view>" + view + "</view></views>") + "</model></xmile>";
}

std::string Aux(const std::string& name, const std::string& equation) {
    return "<aux name=\"" + name + "\"><eqn>" + equation + "</eqn></aux>";
}

struct TBadCase {
    std::string Xmile;
    TXmileFault Fault;
    std::string Message;
};

const std::string Refused = " cannot be represented exactly in Quorvane.";

std::vector<TBadCase> BadCases() {
    const std::string b = Aux("b", "1");
    const std::string stockS = "<stock name=\"s\"><eqn>1</eqn><inflow>f</inflow></stock>";
    const std::string flowF = "<flow name=\"f\"><eqn>1</eqn></flow>";
    std::string deep = "1";
    for (int i = 0; i < 150; ++i)
        deep = "(" + deep + ")";
    std::string chain = "1";
    for (int i = 0; i < 500; ++i)
        chain += "+1";
    auto gf = [](const std::string& attributes, const std::string& content) {
        return "<aux name=\"g\"><eqn>TIME</eqn><gf" + attributes + ">" + content + "</gf></aux>";
    };
    const std::string scale = "<xscale min=\"0\" max=\"2\"/><ypts>0,1,2</ypts>";
    // A table of 100000 points applied 21 times would copy 2.1 million points.
    std::string bigTable = "<gf name=\"t\"><xscale min=\"0\" max=\"1\"/><ypts>0";
    for (int i = 1; i < 100000; ++i)
        bigTable += ",0";
    bigTable += "</ypts></gf>";
    std::string uses = "t(1)";
    for (int i = 1; i < 21; ++i)
        uses += " + t(1)";
    using F = TXmileFault;
    return {
        // Constructs without an exact equivalent.
        {Document(Aux("a", "b[1]") + b), F::Refused, "Element \"a\": arrays"},
        {Document(b, "", "<dimensions><dim name=\"d\" size=\"3\"/></dimensions>"), F::Refused,
         "arrays (<dimensions>)"},
        {Document("<aux name=\"a\"><dimensions><dim name=\"d\"/></dimensions><eqn>1</eqn></aux>"),
         F::Refused, "Element \"a\": arrays"},
        {Document(b + "<module name=\"m\"/>"), F::Refused, "modules (<module name=\"m\">)"},
        {Document(b) + "<model name=\"sub\"/>", F::Malformed, "the XML is malformed"},
        {"<xmile xmlns=\"x\"><sim_specs><start>0</start><stop>1</stop></sim_specs><model>"
         "<variables>" +
             b + "</variables></model><model name=\"sub\"/></xmile>",
         F::Refused, "modules (a second <model>)"},
        {Document("<stock name=\"s\"><eqn>1</eqn><conveyor><len>2</len></conveyor></stock>"),
         F::Refused, "Element \"s\": conveyors"},
        {Document("<stock name=\"s\"><eqn>1</eqn><queue/></stock>"), F::Refused,
         "Element \"s\": queues"},
        {Document(gf(" type=\"discrete\"", scale)), F::Refused,
         "Element \"g\": discrete graphical functions"},
        {Document(gf(" type=\"extrapolate\"", scale)), F::Refused,
         "Element \"g\": extrapolating graphical functions"},
        {Document(Aux("a", "FOO(b)") + b), F::Refused, "Element \"a\": the unknown function FOO"},
        {Document(Aux("a", "FORCST(b, 2, 3)") + b), F::Refused,
         "Element \"a\": the function FORCST"},
        {Document(Aux("a", "NORMAL(0, 1)")), F::Refused, "Element \"a\": the function NORMAL"},
        {Document(Aux("a", "PREVIOUS(b)") + b), F::Refused,
         "Element \"a\": PREVIOUS without an initial value"},
        {Document(Aux("a", "SMTHN(b, 3, 2.5)") + b), F::Refused,
         "Element \"a\": SMTHN with an order that is not a whole number from 1 to 100"},
        {Document(Aux("a", "MIN(b)") + b), F::Refused,
         "Element \"a\": arrays (MIN of one argument)"},
        {Document(Aux("a", "b ^ 2 ^ 3") + b), F::Refused,
         "Element \"a\": a chain of ^ without brackets"},
        {Document(Aux("a", "m.b") + b), F::Refused, "Element \"a\": module references (m.)"},
        {Document(stockS + "<stock name=\"t\"><eqn>1</eqn><inflow>f</inflow></stock>" + flowF),
         F::Refused, "Element \"f\": a flow that fills more than one stock"},
        {Document("<macro name=\"m\"/>" + b), F::Refused, "macros (<macro name=\"m\">)"},
        {"<xmile><sim_specs method=\"RK45\"><start>0</start><stop>1</stop></sim_specs><model>"
         "<variables>" +
             b + "</variables></model></xmile>",
         F::Refused, "the integration method \"RK45\""},
        {Document(gf("", "<xpts>0,1,1.41421356</xpts><ypts>0,1,2</ypts>")), F::Refused,
         "Element \"g\": graphical functions with unevenly spaced x values"},
        {Document(bigTable + Aux("a", uses)), F::Invalid,
         "the graphical functions are applied too often"},
        {Document(Aux("a", "LOOKUP(b, 1)") + b), F::Refused,
         "Element \"a\": LOOKUP of something other than a graphical function"},
        {Document(Aux("a", "b(1)") + b), F::Invalid,
         "Element \"a\": the element B is used as a function but has no graphical function"},
        // Broken input.
        {"<xmile><model>", F::Malformed, "the XML is malformed at line 1"},
        {"not xml at all", F::Malformed, "the XML is malformed at line 1"},
        {"", F::Malformed, "the XML is malformed"},
        {"<model/>", F::Malformed, "this is not an XMILE file: it starts with <model>"},
        {"<xmile><sim_specs><start>0</start><stop>1</stop></sim_specs></xmile>", F::Invalid,
         "the file has no <model>"},
        {Document(b + "<stock name=\"s\"><eqn>1</eqn><inflow>nothing</inflow></stock>"), F::Invalid,
         "Element \"s\": the inflow \"nothing\" is no flow of the model"},
        {Document(b + "<stock name=\"s\"><eqn>1</eqn><outflow>b</outflow></stock>"), F::Invalid,
         "Element \"s\": the outflow \"b\" is no flow of the model"},
        {Document(b + Aux("B", "2")), F::Invalid, "two elements are named \"B\""},
        {Document(b + Aux("a-b", "1") + Aux("a b", "2")), F::Invalid,
         "the names \"a-b\" and \"a b\" clash as a_b"},
        {Document(Aux("a", "c + 1") + b), F::Invalid,
         "Element \"a\": the name \"c\" names no element"},
        {Document(Aux("a", "")), F::Invalid, "Element \"a\": the equation is missing"},
        {Document(Aux("a", "a + 1")), F::Invalid,
         "Element \"a\": the equation uses the element's own value"},
        {Document(Aux("a", "1 +")), F::Invalid, "Element \"a\": the equation ends too soon"},
        {Document(Aux("a", "1 + {open")), F::Invalid,
         "Element \"a\": a comment in the equation has no closing }"},
        {Document(Aux("a", "IF 1 THEN 2")), F::Invalid,
         "Element \"a\": the equation ends too soon"},
        {Document(Aux("a", "1e999")), F::Invalid,
         "Element \"a\": the number 1e999 is not valid or out of range"},
        {Document(Aux("a", "ABS(1, 2)")), F::Invalid, "Element \"a\": ABS takes 1 argument, not 2"},
        {Document(Aux("a", deep)), F::Invalid, "Element \"a\": the equation is nested too deeply"},
        {Document(Aux("a", chain)), F::Invalid, "Element \"a\": the equation is nested too deeply"},
        {Document(Aux(std::string(2000, 'n'), "1")), F::Invalid, "a <aux>'s name is too long"},
        {Document(b, "<aux name=\"b\" x=\"1e300\" y=\"1\"/>"), F::Invalid,
         "the x value \"1e300\" is not a number in range"},
        {Document(gf("", "<xscale min=\"0\" max=\"2\"/><ypts>0,x,2</ypts>")), F::Invalid,
         "Element \"g\": the graphical function's y values holds \"x\", not a number in range"},
        {"<xmile><sim_specs><start>0</start><stop>1e999</stop></sim_specs><model/></xmile>",
         F::Invalid, "the stop time \"1e999\" is not a number in range"},
        {"<xmile><sim_specs><start>5</start><stop>1</stop></sim_specs><model/></xmile>", F::Invalid,
         "the stop time is not after the start time"},
        {"<xmile><sim_specs><start>0</start><stop>1</stop><dt>0</dt></sim_specs><model/></xmile>",
         F::Invalid, "the time step is not a positive number"},
    };
}

TEST(XmileImport, EveryRefusedConstructAndBrokenInputGivesItsMessageAndNoDocument) {
    TDataFile current;
    TSimulationObject* before = CurrentSimulation;
    for (const TBadCase& c : BadCases()) {
        SCOPED_TRACE(c.Xmile.substr(0, 300));
        TXmileImport imported = ImportXmileText(c.Xmile, "bad.xmile");
        EXPECT_FALSE(imported.Document);
        EXPECT_EQ(imported.Fault, c.Fault);
        const std::string expected =
            "Not imported: " + c.Message + (c.Fault == TXmileFault::Refused ? Refused : "");
        if (c.Fault == TXmileFault::Refused)
            EXPECT_EQ(imported.Error, expected);
        else
            EXPECT_EQ(imported.Error.substr(0, expected.size()), expected) << imported.Error;
        EXPECT_EQ(CurrentSimulation, before);
        EXPECT_TRUE(GlobalLinkManager.IsEmpty());
    }
}

TEST(XmileImport, ConnectorsTheEquationDoesNotUseAreLeftOutWithAWarning) {
    TXmileImport imported = ImportXmileText(
        Document(Aux("a", "1") + Aux("b", "2"),
                 "<aux name=\"a\" x=\"10\" y=\"10\"/><aux name=\"b\" x=\"90\" "
                 "y=\"10\"/><connector uid=\"1\"><from>a</from><to>b</to></connector>"),
        "m.xmile");
    ASSERT_TRUE(imported.Document) << imported.Error;
    ASSERT_EQ(imported.Warnings.size(), 1u);
    EXPECT_EQ(imported.Warnings[0],
              "The connector from a to b is left out: the equation of b does not use a.");
    bool ok = false;
    EXPECT_TRUE(ModelCheckReport(*imported.Document->Simulation, ok).empty());
    EXPECT_TRUE(ok);
}

} // namespace
