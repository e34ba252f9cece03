// Vensim models (.mdl): every construct we refuse and every kind of broken input gives its
// message and no document; the golden models go out as XMILE and back to the same values;
// the sketch becomes the diagram; older files read as current ones do.
#include "../xmile/XmileTestSupport.h"

#include "core/model/Listings.h"
#include "document/mdl/Mdl.h"

namespace {

const std::string Control = "FINAL TIME = 20 ~ Month ~ |\n"
                            "INITIAL TIME = 0 ~ Month ~ |\n"
                            "SAVEPER = TIME STEP ~ Month ~ |\n"
                            "TIME STEP = 1 ~ Month ~ |\n";

// A file of these equations with the usual control section (and settings, when given).
std::string Mdl(const std::string& equations, const std::string& settings = "",
                const std::string& control = Control) {
    std::string text = "{UTF-8}\n" + equations + "\n" + control;
    if (!settings.empty())
        text += "\\\\\\---/// Sketch information\nV300\n*View 1\n///---\\\\\\\n:L<%^E!@\n" +
                settings + "\n";
    return text;
}

struct TBadCase {
    std::string Text;
    TXmileFault Fault;
    std::string Message;
};

const std::string Refused = " cannot be represented exactly in Quorvane.";

std::vector<TBadCase> BadCases() {
    std::string deep = "1";
    for (int i = 0; i < 150; ++i)
        deep = "(" + deep + ")";
    const std::string table = "t( [(0,0)-(2,2)], (0,0), (1,1), (2,2) ) ~~|\n";
    using F = TXmileFault;
    return {
        // What has no exact counterpart.
        {Mdl("x[r] = 1 ~~|"), F::Refused, "Element \"x[r]\": subscripts"},
        {Mdl("r: a, b ~~|"), F::Refused, "Element \"r\": subscript ranges"},
        {Mdl("r <-> s ~~|"), F::Refused, "Element \"r\": subscript equivalences"},
        {Mdl("x = SUM(y[r!]) ~~|\ny = 1 ~~|"), F::Refused, "Element \"x\": subscripts (y[...])"},
        {Mdl("x := 5 ~~|"), F::Refused, "Element \"x\": data equations (:=)"},
        {Mdl("x ~ Widget ~ From a spreadsheet. |"), F::Refused,
         "Element \"x\": data variables (no equation)"},
        {Mdl("x :INTERPOLATE: ~~|"), F::Refused, "Element \"x\": data (:INTERPOLATE:)"},
        {Mdl(":MACRO: M(a)\nM = a ~~|\n:END OF MACRO:\nx = M(1) ~~|"), F::Refused,
         "macros (:MACRO:)"},
        {Mdl("x = GET XLS DATA('f.xlsx', 'Sheet1', 'A', 'B2') ~~|"), F::Refused,
         "Element \"x\": external data (GET XLS DATA)"},
        {Mdl("t( GET XLS LOOKUPS('f.xlsx', 'Sheet1', '1', 'B2') ) ~~|"), F::Refused,
         "Element \"t\": external data (GET XLS LOOKUPS)"},
        {Mdl("x = RANDOM NORMAL(0, 1, 0, 1, 1) ~~|"), F::Refused,
         "Element \"x\": the function RANDOM NORMAL"},
        {Mdl("x = DELAY N(Time, 4, 0, Time) ~~|"), F::Refused,
         "Element \"x\": DELAY N with an order that is not a whole number from 1 to 100"},
        {Mdl("x = SMOOTH N(Time, 4, 0, 101) ~~|"), F::Refused,
         "Element \"x\": SMOOTH N with an order that is not a whole number from 1 to 100"},
        {Mdl("x = ACTIVE INITIAL(Time, 1) ~~|"), F::Refused,
         "Element \"x\": the function ACTIVE INITIAL"},
        {Mdl(table + "x = LOOKUP EXTRAPOLATE(t, Time) ~~|"), F::Refused,
         "Element \"x\": the function LOOKUP EXTRAPOLATE"},
        {Mdl("x = A FUNCTION OF(Time) ~~|"), F::Refused,
         "Element \"x\": incomplete equations (A FUNCTION OF)"},
        {Mdl("x = 2 * INTEG(Time, 0) ~~|"), F::Refused,
         "Element \"x\": INTEG inside an expression"},
        {Mdl("x = 1 + WITH LOOKUP(Time, ((0,0),(1,1))) ~~|"), F::Refused,
         "Element \"x\": WITH LOOKUP inside an expression"},
        {Mdl("x = DELAY FIXED(Time, 2.5, 0) ~~|"), F::Refused,
         "Element \"x\": DELAY FIXED with a delay time that is not a whole number of time steps"},
        {Mdl("x = DELAY FIXED(Time, y, 0) ~~|\ny = Time ~~|"), F::Refused,
         "Element \"x\": DELAY FIXED with a delay time that is not a constant"},
        {Mdl("x = PULSE TRAIN(1, 1, 5, 11) ~~|"), F::Refused,
         "Element \"x\": PULSE TRAIN with a pulse under way at its end time"},
        {Mdl("x = STEP(1, Time) ~~|", "15:0,0,0,5,0,0"), F::Refused,
         "Element \"x\": STEP with arguments that change, under Runge-Kutta integration"},
        {Mdl("x = RAMP(1, 3, 5) ~~|", "15:0,0,0,5,0,0"), F::Refused,
         "Element \"x\": RAMP under Runge-Kutta integration"},
        {Mdl("x = PULSE TRAIN(1, 1, 5, 11) ~~|", "15:0,0,0,5,0,0"), F::Refused,
         "Element \"x\": PULSE TRAIN with a pulse under way at its end time"},
        {Mdl("x = PULSE TRAIN(1.5, 0.5, 2, 10) ~~|", "15:0,0,0,5,0,0"), F::Refused,
         "Element \"x\": PULSE TRAIN with a pulse starting half a time step before a step, "
         "under Runge-Kutta integration"},
        {Mdl("x = 1 ~~|", "15:0,0,0,1,0,0"), F::Refused,
         "the integration method RK4 Auto (steps of varying size)"},
        {Mdl("x = 1 ~~|", "15:0,0,0,3,0,0"), F::Refused,
         "the integration method RK2 (Vensim's midpoint method, where Quorvane's RK2 is "
         "Heun's)"},
        {Mdl("x = 1 ~~|", "15:0,0,0,4,0,0"), F::Refused,
         "the integration method RK2 Auto (steps of varying size)"},
        {Mdl("x = 1 ~~|", "15:0,0,0,2,0,0"), F::Refused, "the integration method Difference"},
        {Mdl("x = 2 ^ 3 ^ 2 ~~|"), F::Refused, "Element \"x\": a chain of ^ without brackets"},
        {Mdl("x = :NA: ~~|"), F::Refused, "Element \"x\": the missing value :NA:"},
        {Mdl("x = 1 ~~|", "", "FINAL TIME = x * Time ~~|\nINITIAL TIME = 0 ~~|\nTIME STEP = 1 ~~|"),
         F::Refused, "a FINAL TIME that is not a constant (x * Time)"},
        // Files that are not sound models.
        {Mdl("x = 1 ~~|", "", "INITIAL TIME = 0 ~~|\nTIME STEP = 1 ~~|"), F::Invalid,
         "the model gives no FINAL TIME"},
        {Mdl("x = 1 ~~|", "", "INITIAL TIME = 0 ~~|\nFINAL TIME = 9 ~~|"), F::Invalid,
         "the model gives no TIME STEP"},
        {Mdl("x = y + 1 ~~|"), F::Invalid, "Element \"x\": the name \"y\" names no element"},
        {Mdl("x = 1 + ~~|"), F::Invalid, "Element \"x\": unexpected end of the equation"},
        {Mdl("x = (1 ~~|"), F::Invalid, "Element \"x\": a \")\" is missing"},
        {Mdl("x = ~~|"), F::Invalid, "Element \"x\": the equation is missing"},
        {Mdl("x = 1 ~~|\nX = 2 ~~|"), F::Invalid, "two equations are given for \"X\""},
        {Mdl("x = ABS(1, 2) ~~|"), F::Invalid, "Element \"x\": ABS takes 1 argument, not 2"},
        {Mdl("x = INTEG(1) ~~|"), F::Invalid, "Element \"x\": INTEG takes 2 arguments, not 1"},
        {Mdl("x = y(1) ~~|\ny = 1 ~~|"), F::Invalid,
         "Element \"x\": the element \"y\" is used as a function"},
        {Mdl(table + "x = t ~~|"), F::Invalid,
         "Element \"x\": the lookup \"t\" is used without an input"},
        {Mdl("x = 1e999 ~~|"), F::Invalid, "Element \"x\": the number \"1e999\" is out of range"},
        {Mdl("x = " + deep + " ~~|"), F::Invalid, "Element \"x\": the equation nests too deeply"},
        {Mdl("t( (0,0), 5 ) ~~|"), F::Invalid, "Element \"t\": the lookup's table ends with \"5\""},
        {Mdl("t( (1,0), (0,1) ) ~~|\nx = t(Time) ~~|"), F::Invalid,
         "Element \"x\": the graphical function's x values do not increase"},
        {Mdl("x = WITH LOOKUP(Time, ((0,0), (0.3,1), (0.3,2))) ~~|"), F::Invalid,
         "Element \"x\": the graphical function's x values do not increase"},
        {Mdl("x = a b c ~~|"), F::Invalid, "Element \"x\": the name \"a b c\" names no element"},
        {Mdl("x = 1 ~~|", "", "INITIAL TIME = 5 ~~|\nFINAL TIME = 1 ~~|\nTIME STEP = 1 ~~|"),
         F::Invalid, "the stop time is not after the start time"},
        {Mdl("x = 1 ~~|", "", "INITIAL TIME = 0 ~~|\nFINAL TIME = 1 ~~|\nTIME STEP = 0 ~~|"),
         F::Invalid, "the time step is not a positive number"},
        {"", F::Invalid, "the model gives no INITIAL TIME"},
        {std::string(200, '|'), F::Invalid, "the model gives no INITIAL TIME"},
    };
}

TEST(MdlImport, EveryRefusedConstructAndBrokenInputGivesItsMessageAndNoDocument) {
    TDataFile current;
    TSimulationObject* before = CurrentSimulation;
    for (const TBadCase& c : BadCases()) {
        SCOPED_TRACE(c.Text.substr(0, 300));
        TXmileImport imported = ImportMdlText(c.Text, "bad.mdl");
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

std::vector<fs::path> MdlModels() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(SourceFolder() / "tests" / "golden"))
        if (fs::exists(entry.path() / "model.mdl")) files.push_back(entry.path() / "model.mdl");
    std::sort(files.begin(), files.end());
    return files;
}

TEST(MdlImport, EveryGoldenModelExportedAsXmileAndReadBackRunsTheSame) {
    const std::vector<fs::path> files = MdlModels();
    ASSERT_GE(files.size(), 8u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.parent_path().filename().string());
        TXmileImport imported = ImportMdlFile(file.string());
        ASSERT_TRUE(imported.Document) << imported.Error;
        EXPECT_FALSE(imported.Document->HasFile);
        EXPECT_EQ(fs::path(imported.Document->FileName).extension(), ".qvf");
        TRunValues before = RunModel(*imported.Document);

        TXmileExport exported = ExportXmile(*imported.Document, false);
        // Inputs held through Runge-Kutta stages have no XMILE form: refused, never changed.
        if (file.parent_path().filename() == "mdl_rk4_inputs") {
            EXPECT_EQ(exported.Fault, TXmileFault::Refused);
            EXPECT_EQ(exported.Error, "Not exported: XMILE has no counterpart for inflow (uses "
                                      "PULSETRAIN under Runge-Kutta integration), Level (depends "
                                      "on inflow), outflow (depends on Level).");
            continue;
        }
        ASSERT_EQ(exported.Fault, TXmileFault::None) << exported.Error;
        TXmileImport again = ImportXmileText(exported.Text, "back.xmile");
        ASSERT_TRUE(again.Document) << again.Error;
        EXPECT_EQ(again.Document->Simulation->Method, imported.Document->Simulation->Method);
        TRunValues after = RunModel(*again.Document);
        // A lookup inside a larger equation goes out as an auxiliary of its own: more
        // elements may come back, each of the first ones with its values.
        for (const auto& [name, values] : before) {
            ASSERT_TRUE(after.count(name)) << name;
            ASSERT_EQ(after[name].size(), values.size()) << name;
            for (size_t n = 0; n < values.size(); ++n)
                ASSERT_TRUE(Close(after[name][n], values[n]))
                    << name << " at step " << n << ": " << after[name][n] << " expected "
                    << values[n];
        }
    }
}

// Each element's shapes (the main one first) and the links drawn between elements.
struct TDiagram {
    std::map<std::string, std::vector<const TVariableInstance*>> Shapes;
    std::set<std::pair<std::string, std::string>> Links, Pipes;
};

TDiagram DiagramOf(TDataFile& document) {
    TDiagram diagram;
    for (TDrawObject* object : document.Image().Elements) {
        auto* shape = dynamic_cast<TVariableInstance*>(object);
        if (!shape || !shape->Var()) continue;
        auto& list = diagram.Shapes[shape->Var()->Name];
        list.insert(shape->IsClone ? list.end() : list.begin(), shape);
    }
    for (TLinkInstance* link : document.Image().Links) {
        const std::string from = link->From() ? link->From()->Var()->Name : "(cloud)";
        const std::string to = link->To() ? link->To()->Var()->Name : "(cloud)";
        (link->IsPipe() ? diagram.Pipes : diagram.Links).insert({from, to});
    }
    return diagram;
}

TEST(MdlImport, TheSketchBecomesTheDiagram) {
    auto golden = [](const char* name) {
        return (SourceFolder() / "tests" / "golden" / name / "model.mdl").string();
    };
    TXmileImport population = ImportMdlFile(golden("mdl_population"));
    ASSERT_TRUE(population.Document) << population.Error;
    EXPECT_TRUE(population.Warnings.empty()) << population.Warnings.front();
    TDiagram diagram = DiagramOf(*population.Document);
    // Flows at their valves, pipes from a cloud into the stock and out of it into a cloud.
    EXPECT_EQ(diagram.Shapes.size(), 5u);
    EXPECT_EQ(diagram.Pipes,
              (std::set<std::pair<std::string, std::string>>{{"(cloud)", "births"},
                                                             {"births", "Population"},
                                                             {"Population", "deaths"},
                                                             {"deaths", "(cloud)"}}));
    EXPECT_EQ(diagram.Links,
              (std::set<std::pair<std::string, std::string>>{{"birth rate", "births"},
                                                             {"average lifetime", "deaths"},
                                                             {"Population", "births"},
                                                             {"Population", "deaths"}}));
    // Laid out as the file places them, spread out alike: births' valve level with Population
    // and 108 units to its left in the file.
    const TDrawPoint births = diagram.Shapes["births"][0]->Position;
    const TDrawPoint stock = diagram.Shapes["Population"][0]->Position;
    EXPECT_LE(std::abs(births.Y - stock.Y), 8);
    EXPECT_EQ(stock.X - births.X, 162);
    std::string why;
    EXPECT_TRUE(population.Document->Image().Validate(why)) << why;

    TXmileImport views = ImportMdlFile(golden("mdl_views"));
    ASSERT_TRUE(views.Document) << views.Error;
    diagram = DiagramOf(*views.Document);
    // The second view's shadows are clones, placed below the first view.
    ASSERT_EQ(diagram.Shapes["Stock A"].size(), 2u);
    ASSERT_EQ(diagram.Shapes["transfer"].size(), 2u);
    EXPECT_TRUE(diagram.Shapes["Stock A"][1]->IsClone);
    EXPECT_GT(diagram.Shapes["Stock A"][1]->Position.Y, diagram.Shapes["Cash"][0]->Position.Y);
    // An arrow into a stock whose rate became a flow goes to that flow.
    EXPECT_TRUE(diagram.Links.count({"income", "Cash net flow"}));
    EXPECT_TRUE(diagram.Pipes.count({"Cash net flow", "Cash"}));
    EXPECT_TRUE(diagram.Links.count({"Stock A", "transfer"}));
    EXPECT_TRUE(diagram.Links.count({"transfer time", "transfer"}));
    EXPECT_TRUE(views.Document->Image().Validate(why)) << why;
    bool ok = false;
    EXPECT_TRUE(ModelCheckReport(*views.Document->Simulation, ok).empty());
}

// A regression: an arrow to a valve whose variable is no element (a lookup, a control value,
// a name without an equation) crashed the import.
TEST(MdlImport, ArrowsToWhatIsNoElementArePassedOver) {
    const std::string sketch = "\\\\\\---/// Sketch information\nV300\n*View 1\n"
                               "10,1,x,100,100,40,20,8,3,0,0,0,0,0,0\n"
                               "11,2,48,200,100,6,8,34,3,0,0,1,0,0,0\n"
                               "10,3,t,200,120,40,20,40,3,0,0,-1,0,0,0\n"
                               "1,4,1,2,0,0,0,0,0,64,0,-1--1--1,,1|(150,80)|\n"
                               "1,5,3,1,0,0,0,0,0,64,0,-1--1--1,,1|(150,80)|\n"
                               "1,6,9,1,0,0,0,0,0,64,0,-1--1--1,,1|(150,80)|\n";
    for (const std::string t : {"t( (0,0), (1,1) ) ~~|", "FINAL TIME = 20 ~~|"}) {
        SCOPED_TRACE(t);
        const std::string control = t[0] == 'F' ? Control.substr(Control.find('\n') + 1) : Control;
        TXmileImport imported =
            ImportMdlText("x = 1 ~~|\n" + std::string(t) + "\n" + control + sketch, "a.mdl");
        ASSERT_TRUE(imported.Document) << imported.Error;
        EXPECT_EQ(DiagramOf(*imported.Document).Links.size(), 0u);
    }
}

TEST(MdlImport, RandomNumbersComeWithAWarningAndWarningsGoWithAFailedImport) {
    TXmileImport random = ImportMdlText(Mdl("x = RANDOM UNIFORM(2, 5, 7) ~~|"), "r.mdl");
    ASSERT_TRUE(random.Document) << random.Error;
    EXPECT_EQ(random.Warnings, std::vector<std::string>{"RANDOM UNIFORM draws from Quorvane's "
                                                        "generator: its numbers differ from the "
                                                        "original tool's."});
    TRunValues run = RunModel(*random.Document);
    for (double value : run["x"]) {
        EXPECT_GE(value, 2);
        EXPECT_LT(value, 5);
    }
    TXmileImport refused =
        ImportMdlText(Mdl("x = RANDOM UNIFORM(2, 5, 7) ~~|\ny = GAME(1) ~~|"), "r.mdl");
    EXPECT_FALSE(refused.Document);
    EXPECT_TRUE(refused.Warnings.empty());
}

TEST(MdlImport, OlderFilesReadAsCurrentOnes) {
    // One model as different versions of the tool wrote it: line ends, header, encoding.
    const std::string utf8 = "{UTF-8}\nGr\xC3\xB6\xC3\x9F"
                             "e = INTEG(Zu\xC3\x9F, 1) ~ St\xC3\xBC"
                             "ck ~ |\nZu\xC3\x9F = 2 ~~|\n" +
                             Control;
    std::string latin1 = "Gr\xF6\xDF"
                         "e = INTEG(Zu\xDF, 1) ~ St\xFC"
                         "ck ~ |\nZu\xDF = 2 ~~|\n" +
                         Control;
    auto lineEnds = [](std::string text, const std::string& end) {
        std::string out;
        for (char c : text)
            out += c == '\n' ? end : std::string(1, c);
        return out;
    };
    auto listing = [](const std::string& text) {
        TXmileImport imported = ImportMdlText(text, "old.mdl");
        EXPECT_TRUE(imported.Document) << imported.Error;
        if (!imported.Document) return std::string();
        std::string lines;
        for (TVariableObject* element : imported.Document->Simulation->Variables)
            lines += element->Name + " | " + element->Units + " | " + element->Equation + "\n";
        return lines;
    };
    const std::string expected = "Gr\xC3\xB6\xC3\x9F"
                                 "e | St\xC3\xBC"
                                 "ck | 1\n"
                                 "Zu\xC3\x9F |  | 2\n";
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(end == "\r" ? "CR" : end == "\n" ? "LF" : "CR LF");
        EXPECT_EQ(listing(lineEnds(utf8, end)), expected);
        EXPECT_EQ(listing(lineEnds(latin1, end)), expected);
    }
}

} // namespace
