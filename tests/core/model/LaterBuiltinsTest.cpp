// Trigonometry, MODULO, PULSETRAIN, INIT, PREVIOUS, HISTORY and TREND in running models: their
// values at every step, their failures, and their state across resets and steps back.
#include "support/ModelBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// X = 1 + TIME*TIME/4 from 0 to 4 in steps of 0.5. The expected values were computed apart
// from the program, by a short python3 script: math.sin ... math.atan, a - b * floor(a / b),
// the pulses listed start by start, HISTORY by linear interpolation over the recorded steps,
// and TREND's average stepped as avg += dt * (x - avg) / T from x / (1 + initial * T).
struct TCase {
    const char* Equation;
    bool UsesX;
    std::vector<double> Expected;
    const char* Warning; // the one report of the run, or empty
};

const char* const InvalidOperation = "Invalid floating point operation, assuming 0 as result";
const char* const DivideByZero = "Divide by zero, assuming 0";

const TCase Cases[] = {
    {"SIN(X)",
     true,
     {0.8414709848078965, 0.8735749351670711, 0.9489846193555862, 0.9999655856782489,
      0.9092974268256817, 0.5472647499254653, -0.10819513453010837, -0.7961509812048658,
      -0.9589242746631385},
     ""},
    {"COS(X)",
     true,
     {0.5403023058681398, 0.4866896677019633, 0.3153223623952687, 0.008296231623858378,
      -0.4161468365471424, -0.8369595530782943, -0.9941296760805463, -0.6050980210895829,
      0.28366218546322625},
     ""},
    {"TAN(X)",
     true,
     {1.5574077246549023, 1.794932157265411, 3.0095696738628313, 120.53250572254261,
      -2.185039863261519, -0.6538723979105724, 0.10883402551332971, 1.3157388612364973,
      -3.380515006246586},
     ""},
    {"ARCSIN(X/5)",
     true,
     {0.2013579207903308, 0.21413268307406835, 0.25268025514207865, 0.31782370392788073,
      0.41151684606748806, 0.5380936902123546, 0.7075844367253556, 0.948427838239876,
      1.5707963267948966},
     ""},
    {"ARCCOS(X/5 - 0.5)",
     true,
     {1.8754889808102941, 1.862411937187984, 1.8234765819369754, 1.7594127129703008,
      1.6709637479564563, 1.558296001251173, 1.4202280540182106, 1.252972622867016,
      1.0471975511965979},
     ""},
    {"ARCTAN(X - 2)",
     true,
     {-0.7853981633974483, -0.7531512809621944, -0.6435011087932844, -0.4124104415973873, 0.0,
      0.5123894603107377, 0.8960553845713439, 1.1193432352423422, 1.2490457723982544},
     ""},
    // Outside -1 to 1 the inverses fail; 1 and -1 themselves do not.
    {"ARCSIN(X)", true, {1.5707963267948966, 0, 0, 0, 0, 0, 0, 0, 0}, InvalidOperation},
    {"ARCCOS(-X)", true, {3.141592653589793, 0, 0, 0, 0, 0, 0, 0, 0}, InvalidOperation},
    // The remainder takes the divisor's sign.
    {"MODULO(TIME*3 - 5, 2)", false, {1, 0.5, 0, 1.5, 1, 0.5, 0, 1.5, 1}, ""},
    {"MODULO(X, -1.5)", true, {-0.5, -0.4375, -0.25, -1.4375, -1, -0.4375, -1.25, -0.4375, -1}, ""},
    {"MODULO(-7, 3) + MODULO(7, -3)*10 + MODULO(-7, -3)*100",
     false,
     {-118, -118, -118, -118, -118, -118, -118, -118, -118},
     ""},
    {"MODULO(X, TIME - 2)",
     true,
     {-1, -0.4375, -0.75, -0.4375, 0, 0.0625, 0.25, 1.0625, 1},
     DivideByZero},
    // Pulses from 0.5, 2 and 3.5 (the last one allowed); overlapping pulses; one pulse only;
    // none when the first comes after the last.
    {"PULSETRAIN(0.5, 0.75, 1.5, 3.5)", false, {0, 1, 1, 0, 1, 1, 0, 1, 1}, ""},
    {"PULSETRAIN(1, 2, 1.5, 10)", false, {0, 0, 1, 1, 1, 1, 1, 1, 1}, ""},
    {"PULSETRAIN(1, 1, 0, 10)", false, {0, 0, 1, 1, 0, 0, 0, 0, 0}, ""},
    {"PULSETRAIN(3, 1, 1, 2)", false, {0, 0, 0, 0, 0, 0, 0, 0, 0}, ""},
    {"INIT(X)", true, {1, 1, 1, 1, 1, 1, 1, 1, 1}, ""},
    // Not evaluated at the start, yet it holds the start value.
    {"IF(TIME > 1, INIT(X), -1)", true, {-1, -1, -1, 1, 1, 1, 1, 1, 1}, ""},
    {"PREVIOUS(X, 7)", true, {7, 1, 1.0625, 1.25, 1.5625, 2, 2.5625, 3.25, 4.0625}, ""},
    // Before the start the first value; between the recorded steps, and between the last
    // of them and now, linear; from now on the current value.
    {"HISTORY(X, TIME - 1.25)",
     true,
     {1, 1, 1, 1.03125, 1.15625, 1.40625, 1.78125, 2.28125, 2.90625},
     ""},
    {"HISTORY(X, TIME - 0.25)",
     true,
     {1, 1.03125, 1.15625, 1.40625, 1.78125, 2.28125, 2.90625, 3.65625, 4.53125},
     ""},
    {"HISTORY(X, TIME + 1)", true, {1, 1.0625, 1.25, 1.5625, 2, 2.5625, 3.25, 4.0625, 5}, ""},
    {"TREND(X, 2, 0.1)",
     true,
     {0.09999999999999998, 0.10714285714285714, 0.17796610169491525, 0.2782101167315175,
      0.374466268146883, 0.44371515914403886, 0.47957982265719856, 0.4876469933597952,
      0.47728136953004424},
     ""},
    // No trend of an average of zero; an averaging time of zero fails.
    {"TREND(X - X, 2, 0)", true, {0, 0, 0, 0, 0, 0, 0, 0, 0}, ""},
    {"TREND(X, 0, 0)", true, {0, 0, 0, 0, 0, 0, 0, 0, 0}, DivideByZero},
};

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectStateFollowsResetsAndStepsBack(TIntegrationMethod method);

} // namespace

TEST(LaterBuiltins, ValuesAtEveryStepAndFailuresOncePerRun) {
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.Equation);
        TRecordingNotifier notifier;
        TModelBuilder b(0, 4, 0.5);
        b.Variable("X", "1 + TIME*TIME/4");
        if (c.UsesX)
            b.Variable("Out", c.Equation, {"X"});
        else
            b.Variable("Out", c.Equation);
        ASSERT_TRUE(b.Run()) << (ErrorList.empty() ? "" : ErrorList.front());
        const std::vector<double> values = b.Values("Out");
        ASSERT_EQ(values.size(), c.Expected.size());
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_NEAR(values[i], c.Expected[i], 1e-12) << "at step " << i;
        std::vector<std::string> expected;
        if (*c.Warning) expected.push_back(std::string("Error in Out: ") + c.Warning);
        EXPECT_EQ(notifier.Warnings, expected);
    }
}

TEST(LaterBuiltins, PreviousBreaksALoop) {
    TModelBuilder b(0, 4, 1);
    // Total and After use each other; PREVIOUS needs only its initial value at first.
    auto& total = b.Variable("Total", "PREVIOUS(After, 100)");
    b.Variable("Sales", "Total / 10 + 1", {"Total"});
    auto& after = b.Variable("After", "Total + Sales", {"Total", "Sales"});
    b.Link(after, total);
    ASSERT_TRUE(b.Run()) << (ErrorList.empty() ? "" : ErrorList.front());
    const std::vector<double> totals{100, 111, 123.1, 136.41, 151.051};
    const std::vector<double> values = b.Values("Total");
    ASSERT_EQ(values.size(), totals.size());
    for (size_t i = 0; i < totals.size(); ++i)
        EXPECT_NEAR(values[i], totals[i], 1e-12);
    // Without PREVIOUS the same pair is a circular definition.
    total.Equation = "After";
    total.Parsed = false;
    EXPECT_FALSE(b.Sim.CheckModel());
    EXPECT_EQ(ErrorList,
              (std::vector<std::string>{"Total has a circularity error through: ->After"}));
}

// PREVIOUS's input may name the element itself (no link can be drawn to oneself); nowhere
// else may it.
TEST(LaterBuiltins, PreviousReadsTheElementItself) {
    const struct {
        const char* Equation;
        std::vector<double> Expected; // empty: refused
    } cases[] = {
        {"PREVIOUS(Count, 0) + 1", {1, 2, 3, 4, 5}},
        {"PREVIOUS(MAX(Count, 2) * 2, 1) - 1", {0, 3, 5, 9, 17}},
        {"Count + 1", {}},
        {"INIT(Count)", {}},
        {"PREVIOUS(1, Count)", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Equation);
        TModelBuilder b(0, 4, 1);
        b.Variable("Count", c.Equation);
        ASSERT_EQ(b.Run(), !c.Expected.empty());
        if (c.Expected.empty()) continue;
        const std::vector<double> values = b.Values("Count");
        ASSERT_EQ(values.size(), c.Expected.size());
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_EQ(values[i], c.Expected[i]) << "at step " << i;
    }
}

// Every element's results after stepping back twice and going on to the end are bit for bit
// those of an uninterrupted run, and a second run after a reset gives them again, under every
// integration method.
TEST(LaterBuiltins, StateFollowsResetsAndStepsBack) {
    for (TIntegrationMethod method : {imEuler, imRK2, imRK4}) {
        SCOPED_TRACE(IntegrationMethodNames[method]);
        ExpectStateFollowsResetsAndStepsBack(method);
    }
}

// A pulse train moves the same amount under every method: the stages inside a step see it as
// at the step's start.
TEST(LaterBuiltins, PulseTrainsMoveTheSameAmountUnderEveryMethod) {
    std::vector<double> euler;
    for (TIntegrationMethod method : {imEuler, imRK2, imRK4}) {
        SCOPED_TRACE(IntegrationMethodNames[method]);
        TModelBuilder b(0, 10, 0.5);
        b.Sim.Method = method;
        auto& stock = b.Resource("S", "0");
        b.Inflow(b.Flow("In", "PULSETRAIN(1, 0.75, 2.5, 8) * 4"), stock);
        ASSERT_TRUE(b.Run());
        if (method == imEuler) euler = b.Values("S");
        EXPECT_EQ(b.Values("S"), euler);
    }
    // Pulses from 1, 3.5 and 6 (8.5 is past the last), each on two steps: 3 x 2 x 0.5 x 4.
    EXPECT_EQ(euler.back(), 12);
}

namespace {

void ExpectStateFollowsResetsAndStepsBack(TIntegrationMethod method) {
    TRecordingNotifier notifier;
    TModelBuilder b(0, 6, 0.5);
    b.Sim.Method = method;
    auto& stock = b.Resource("S", "2");
    auto& grow = b.Flow("Grow", "S * 0.1 + PULSETRAIN(1, 0.5, 1, 3)", {"S"});
    b.Inflow(grow, stock);
    b.Variable("Kept", "INIT(S) + PREVIOUS(S, 3) * 10", {"S"});
    b.Variable("Past", "HISTORY(S, TIME - 0.75) + HISTORY(S, TIME / 2)", {"S"});
    b.Variable("Rate", "TREND(S, 1.5, 0.2) + SIN(S) + MODULO(S, 1.5)", {"S"});
    b.Variable("Late", "DELAY(Rate, 1) + IF(TIME > 2, INIT(Rate) + PREVIOUS(Past, 0), 0)",
               {"Rate", "Past"});
    ASSERT_TRUE(b.Run());
    std::vector<std::vector<double>> reference;
    for (TVariableObject* v : b.Sim.Variables)
        reference.push_back(b.Values(v->Name));

    auto expectReference = [&](const char* when) {
        size_t i = 0;
        for (TVariableObject* v : b.Sim.Variables) {
            const std::vector<double> values = b.Values(v->Name);
            ASSERT_EQ(values.size(), reference[i].size()) << when << ": " << v->Name;
            for (size_t k = 0; k < values.size(); ++k)
                EXPECT_TRUE(SameBits(values[k], reference[i][k]))
                    << when << ": " << v->Name << " at step " << k << ": " << values[k]
                    << " instead of " << reference[i][k];
            ++i;
        }
    };

    ASSERT_TRUE(b.Run());
    expectReference("after a reset");

    ASSERT_TRUE(b.Sim.CheckModel());
    b.Sim.Reset();
    for (int back : {6, 9}) {
        // Some steps, two steps back, then on to the end.
        for (int k = 0; k < back; ++k)
            b.Sim.Step();
        b.Sim.StepBackTo(b.Sim.CurrentTime - b.Sim.TimeStep);
        b.Sim.StepBackTo(b.Sim.CurrentTime - b.Sim.TimeStep);
        while (!b.Sim.IsFinished())
            b.Sim.Step();
        expectReference("after stepping back");
        ASSERT_TRUE(b.Sim.CheckModel());
        b.Sim.Reset();
    }
    EXPECT_TRUE(notifier.Warnings.empty());
}

} // namespace
