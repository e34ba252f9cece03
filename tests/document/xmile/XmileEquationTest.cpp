// Equations both ways: XMILE's precedence and built-ins written in our language, and ours
// written in XMILE, each checked by the value it computes.
#include "XmileTestSupport.h"

namespace {

struct TImportCase {
    const char* Xmile;
    const char* Ours;
    double Value; // at the start time 0, with b = 3, c = 2 and a time step of 1
};

const TImportCase ImportCases[] = {
    {"-2^2", "-POWER(2, 2)", -4},
    {"b - (c - 1)", "b - (c - 1)", 2},
    {"b - c - 1", "b - c - 1", 0},
    {"b / (c * 2)", "b / (c * 2)", 0.75},
    {"-7 MOD 3", "MODULO(-7, 3)", 2},
    {"MODULO(b, -2) + (b + 1) MOD c", "MODULO(b, -2) + MODULO(b + 1, c)", -1},
    {"SIN(0) + COS(0) * 10 + TAN(0) + ARCSIN(1) * 2 + ARCTAN(0)",
     "SIN(0) + COS(0) * 10 + TAN(0) + ARCSIN(1) * 2 + ARCTAN(0)", 10 + 3.141592653589793},
    {"ARCCOS(c - 2)", "ARCCOS(c - 2)", 3.141592653589793 / 2},
    {"INIT(b) + PREVIOUS(c, 5) + HISTORY(b, -1)", "INIT(b) + PREVIOUS(c, 5) + HISTORY(b, -1)", 11},
    // The initial trend is 0 unless given.
    {"TREND(b, 2) + TREND(b, 2, 0.5)", "TREND(b, 2, 0) + TREND(b, 2, 0.5)", 0.5},
    {"b * -c", "b * (-c)", -6},
    {"IF b > c AND NOT (c = 3) THEN 1 ELSE 0", "IF(AND(b > c, NOT(c = 3)), 1, 0)", 1},
    // NOT binds as tightly as a sign.
    {"NOT c = 0", "NOT(c) = 0", 1},
    {"b = 3 OR c = 3 OR 0", "OR(b = 3, c = 3, 0)", 1},
    {"1 < 2 = 1", "(1 < 2) = 1", 1},
    {"STEP(5, 0)", "IF(TIME >= 0, 5, 0)", 5},
    {"RAMP(2, -1, 5)", "RAMP(2, -1) - RAMP(2, 5)", 2},
    {"PULSE(4, 0)", "PULSE(4, 0, STOPTIME - STARTTIME + ABS(0 - STARTTIME) + 1)", 4},
    {"PULSE(4, 0, 2)", "PULSE(4, 0, 2)", 4},
    {"PULSE(4, 0, c)",
     "IF(c > 0, PULSE(4, 0, c), PULSE(4, 0, STOPTIME - STARTTIME + ABS(0 - STARTTIME) + 1))", 4},
    {"SAFEDIV(b, 0, 9)", "DIV(b, 0, 9)", 9},
    {"INT(-2.5)", "FLOOR(-2.5)", -3},
    {"LOG10(1000) + LN(EXP(1))", "LOG(1000) + LN(EXP(1))", 4},
    {"\"b\" * dt + StartTime + STOPTIME / PI", "b * TIMESTEP + STARTTIME + STOPTIME / PI",
     3 + 1 / 3.141592653589793},
    {"1e-3 * 1E3 + .5", "0.001 * 1000 + 0.5", 1.5},
    {"MIN(b, c, 1) + MAX(b, c)", "MIN(b, c, 1) + MAX(b, c)", 4},
    {"-(b + c)", "-(b + c)", -5},
    {"b^(c+1)", "POWER(b, c + 1)", 27},
    {"2^-1", "POWER(2, -1)", 0.5},
    {"b {a comment} +\n c", "b + c", 5},
    {"IF b THEN c ELSE 0 + 1", "IF(b, c, 0 + 1)", 2},
    {"SQRT(ABS(-16)) * (b - c) * (b - c)", "SQRT(ABS(-16)) * (b - c) * (b - c)", 4},
    {"b - -c", "b - (-c)", 5},
    {"(b < c) * 10 + (b >= 3)", "(b < c) * 10 + (b >= 3)", 1},
};

TEST(XmileEquations, XmileIsWrittenInOurLanguageWithItsMeaning) {
    for (const TImportCase& c : ImportCases) {
        SCOPED_TRACE(c.Xmile);
        std::string equation = c.Xmile;
        for (auto [from, to] :
             {std::pair{"&", "&amp;"}, std::pair{"<", "&lt;"}, std::pair{">", "&gt;"}})
            for (size_t at = equation.find(from); at != std::string::npos;
                 at = equation.find(from, at + std::string(to).size()))
                equation.replace(at, 1, to);
        const std::string xmile =
            "<xmile><sim_specs><start>0</start><stop>1</stop><dt>1</dt></sim_specs><model>"
            "<variables><aux name=\"b\"><eqn>3</eqn></aux><aux name=\"c\"><eqn>2</eqn></aux>"
            "<aux name=\"x\"><eqn>" +
            equation + "</eqn></aux></variables></model></xmile>";
        TXmileImport imported = ImportXmileText(xmile, "x.xmile");
        ASSERT_TRUE(imported.Document) << imported.Error;
        EXPECT_EQ(imported.Document->Simulation->FindByIdentifier("x")->Equation, c.Ours);
        TRunValues run = RunModel(*imported.Document);
        EXPECT_TRUE(Close(run["x"][0], c.Value)) << run["x"][0];
    }
}

// Our equations of TIME, exported and imported again, compute the same at every step.
const char* const ExportCases[] = {
    "INT(TIME - 5.5)",
    "FRAC(TIME - 5.25)",
    "SIGN(TIME - 5) + ROUND(TIME - 5.5) * 10",
    "CEIL(TIME / 3 - 2) + FLOOR(TIME / 3 - 2) * 100",
    "PULSE(3, 2, 4) + PULSE(5, 1, 0) * 10 + PULSE(7, 3, -2) * 100",
    "PULSE(3, 2, TIME - TIME + 4) + PULSE(5, 1, TIME - TIME) * 10",
    "IF(AND(TIME > 2, OR(TIME < 4, TIME >= 7), NOT(TIME = 8)), TRUE, FALSE)",
    "POWER(-2, TIME) + POWER(TIME, 0.5) - (-TIME) * (-2)",
    "DIV(10, TIME - 3) + DIV(1, TIME - 4, 99) + RAMP(2, 3)",
    "MIN(TIME, 4, 6 - TIME) + MAX(1, TIME / 2, 3)",
    "DELAY(TIME * TIME, 2.5) + DELAY(TIME, 1, 42)",
    "LN(TIME + 1) + LOG(TIME + 1) + EXP(TIME / 10) + SQRT(TIME) + ABS(5 - TIME)",
    "10 - (TIME - (3 - TIME)) / (2 * (TIME + 1)) + TIMESTEP * STARTTIME + STOPTIME * PI",
    "GRAPH(TIME, 0, 2.5, 1, 4, -2, 8, 0.5) * 2 + GRAPH(TIME / 2, 1, 1, 0, 1)",
    "GRAPH(TIME * 3, 0, 5, 10, 20, 15)",
    "(TIME > 3) + (TIME <= 5) * 2 + (TIME <> 6) * 4",
    "SIN(TIME) + COS(TIME) * TAN(TIME / 10) + ARCSIN(TIME / 20) - ARCCOS(TIME / 30) + ARCTAN(TIME)",
    "MODULO(TIME - 5, 3) + MODULO(TIME, -2.5) * 10",
    "INIT(TIME + 1) + PREVIOUS(TIME, 5) + HISTORY(TIME * TIME, TIME - 1.25) + "
    "TREND(TIME + 1, 2, 0.5)",
    // A pulse train is spelled out.
    "PULSETRAIN(2, 1.5, 3, 9) + PULSETRAIN(1, 1, 0, 5) * 10 + PULSETRAIN(0.5, 1, 1.5, 100) * 100",
    "PULSETRAIN(1, 2, TIME - TIME + 2.5, 6) + PULSETRAIN(1, 0.5, TIME - TIME, 6) * 10",
};

TEST(XmileEquations, OurEquationsComputeTheSameAfterAnExportAndAnImport) {
    for (const char* equation : ExportCases) {
        SCOPED_TRACE(equation);
        TDataFile document;
        TSimulationObject& model = *document.Simulation;
        model.StopTime = 10;
        model.TimeStep = 0.5;
        TVariableObject* x = model.NewElement(ekVariable);
        x->Name = "x";
        x->Equation = equation;
        document.Image().AddElement(100, 100, false, x);
        TRunValues before = RunModel(document);

        TXmileExport exported = ExportXmile(document, false);
        ASSERT_EQ(exported.Fault, TXmileFault::None) << exported.Error;
        TXmileImport imported = ImportXmileText(exported.Text, "x.xmile");
        ASSERT_TRUE(imported.Document) << imported.Error << "\n" << exported.Text;
        TRunValues after = RunModel(*imported.Document);
        ASSERT_EQ(after["x"].size(), before["x"].size());
        for (size_t n = 0; n < before["x"].size(); ++n)
            ASSERT_TRUE(Close(after["x"][n], before["x"][n]))
                << "step " << n << ": " << after["x"][n] << " expected " << before["x"][n] << "\n"
                << exported.Text;
        document.MakeCurrent();
    }
}

TEST(XmileEquations, NamesAreQuotedOnlyWhenTheyMustBe) {
    EXPECT_EQ(XmileEquationName("Birth Rate"), "Birth_Rate");
    EXPECT_EQ(XmileEquationName("2nd stage"), "\"2nd stage\"");
    EXPECT_EQ(XmileEquationName("Discount%Rate"), "\"Discount%Rate\"");
    EXPECT_EQ(XmileEquationName("time"), "\"time\"");
    EXPECT_EQ(XmileEquationName("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(XmileNameKey("Birth\\nRate"), XmileNameKey("birth__RATE"));
}

} // namespace
