// What quorvane-mpi works out without MPI: the shares of the runs, the warnings sent between
// processes, the messages under its own name, the threads per process.
#include "mpi/MpiShares.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

TEST(MpiShares, SharesCoverEveryRunOnceInRankOrder) {
    struct TCase {
        size_t Runs;
        int Ranks;
    };
    const TCase cases[] = {{1, 1},   {1, 2}, {2, 2},       {7, 3},
                           {200, 2}, {5, 8}, {1000000, 7}, {SIZE_MAX, 3}};
    for (const TCase& c : cases) {
        size_t next = 0, smallest = SIZE_MAX, largest = 0;
        for (int r = 0; r < c.Ranks; ++r) {
            const TRunShare share = RunShare(c.Runs, r, c.Ranks);
            EXPECT_EQ(share.First, next) << c.Runs << " runs, rank " << r << " of " << c.Ranks;
            ASSERT_GE(share.Last, share.First);
            smallest = std::min(smallest, share.Last - share.First);
            largest = std::max(largest, share.Last - share.First);
            next = share.Last;
        }
        EXPECT_EQ(next, c.Runs) << c.Runs << " runs over " << c.Ranks;
        EXPECT_LE(largest - smallest, 1u) << c.Runs << " runs over " << c.Ranks;
    }
    EXPECT_EQ(RunShare(10, 2, 2).Last, 0u); // no such rank
}

TEST(MpiShares, WarningsTravelWholeAndBrokenBytesAreRefused) {
    const std::vector<TAnalysisWarning> warnings = {
        {"Error in Orders: Divide by zero, assuming 0", -1, 3},
        {"", 7, 1},
        {std::string("with\0zero and \xc3\xa9", 15), 1999, 12}};
    const std::string bytes = PackWarnings(warnings);
    std::vector<TAnalysisWarning> back;
    ASSERT_TRUE(UnpackWarnings(bytes, back));
    ASSERT_EQ(back.size(), warnings.size());
    for (size_t i = 0; i < warnings.size(); ++i) {
        EXPECT_EQ(back[i].Text, warnings[i].Text);
        EXPECT_EQ(back[i].FirstRun, warnings[i].FirstRun);
        EXPECT_EQ(back[i].Runs, warnings[i].Runs);
    }
    EXPECT_TRUE(UnpackWarnings("", back));
    EXPECT_TRUE(back.empty());
    // Cut anywhere but between two warnings.
    const size_t first = PackWarnings({warnings[0]}).size();
    const size_t second = first + PackWarnings({warnings[1]}).size();
    for (size_t cut = 1; cut < bytes.size(); ++cut) {
        if (cut != first && cut != second) {
            EXPECT_FALSE(UnpackWarnings(bytes.substr(0, cut), back)) << cut;
        }
    }
}

TEST(MpiShares, StartsAndTextsTravelWholeAndBrokenBytesAreRefused) {
    std::vector<TStartResult> starts(3);
    starts[0] = {{10, 30}, {6.00001, 29.9999}, 1.5e-9, 412, soConverged, true, ""};
    starts[1] = {{2.5, 49}, {},    std::numeric_limits<double>::infinity(), 0,
                 soFailed,  false, "The optimiser failed: roundoff"};
    starts[2] = {{}, {-0.0}, -1, 100000000, soMaxEvaluations, true, ""};
    const std::string bytes = PackStarts(starts);
    std::vector<TStartResult> back;
    ASSERT_TRUE(UnpackStarts(bytes, back));
    ASSERT_EQ(back.size(), starts.size());
    for (size_t i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(back[i].Start, starts[i].Start) << i;
        EXPECT_EQ(back[i].Fitted, starts[i].Fitted) << i;
        EXPECT_EQ(back[i].Payoff, starts[i].Payoff) << i;
        EXPECT_EQ(back[i].Evaluations, starts[i].Evaluations) << i;
        EXPECT_EQ(back[i].Outcome, starts[i].Outcome) << i;
        EXPECT_EQ(back[i].Done, starts[i].Done) << i;
        EXPECT_EQ(back[i].Problem, starts[i].Problem) << i;
    }
    std::vector<size_t> ends;
    for (size_t i = 1; i <= starts.size(); ++i)
        ends.push_back(
            PackStarts(std::vector<TStartResult>(starts.begin(), starts.begin() + i)).size());
    for (size_t cut = 1; cut < bytes.size(); ++cut) {
        if (std::find(ends.begin(), ends.end(), cut) == ends.end()) {
            EXPECT_FALSE(UnpackStarts(bytes.substr(0, cut), back)) << cut;
        }
    }
    std::string badOutcome = PackStarts({starts[0]});
    badOutcome[badOutcome.size() - 24] = 9; // the outcome's lowest byte
    EXPECT_FALSE(UnpackStarts(badOutcome, back));

    const std::vector<std::string> texts = {"Error in Revenue: Divide by zero, assuming 0", "",
                                            "second"};
    std::vector<std::string> textsBack;
    ASSERT_TRUE(UnpackTexts(PackTexts(texts), textsBack));
    EXPECT_EQ(textsBack, texts);
    EXPECT_FALSE(UnpackTexts(PackTexts(texts).substr(1), textsBack));
}

TEST(MpiShares, MessagesNameThisProgram) {
    const struct {
        const char* In;
        const char* Out;
    } cases[] = {
        {"quorvane-cli: unknown option '--x'\nTry 'quorvane-cli --help' for more information.\n",
         "quorvane-mpi: unknown option '--x'\nTry 'quorvane-mpi --help' for more information.\n"},
        {"Error in A: quorvane-cli: as text\n", "Error in A: quorvane-cli: as text\n"},
        {"quorvane-cli: no newline", "quorvane-mpi: no newline"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MpiMessages(c.In), c.Out);
}

TEST(MpiShares, ThreadsShareTheMachine) {
    const struct {
        int Cores, Ranks, Jobs;
    } cases[] = {{2, 2, 1}, {2, 1, 2}, {1, 4, 1},     {64, 4, 16},
                 {7, 2, 3}, {0, 0, 1}, {4096, 1, 256}};
    for (const auto& c : cases)
        EXPECT_EQ(DefaultRankJobs(c.Cores, c.Ranks), c.Jobs) << c.Cores << " / " << c.Ranks;
}

} // namespace
