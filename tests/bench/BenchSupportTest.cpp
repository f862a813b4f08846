// The benchmarks' shared runner: turns, warm-up, best round, output checks.
#include "BenchSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(BenchTurns, SidesAlternateAfterAWarmUpAndShortCountsAreRaised) {
    std::string order;
    bench::Best best;
    int rounds = 0;
    for (bench::Turns turns("order", 2); turns.Next(); ++rounds)
        turns.Time(best, [&] { order += 'o'; }, [&] { order += 'p'; });
    EXPECT_EQ(rounds, 1 + bench::kMinRounds);
    EXPECT_EQ(order, "po" "op" "po" "op" "po" "op");
}

// Only the warm-up is quicker than round 3, the quickest counted round:
// a best below its pause would be the warm-up's, one above it a later round's.
TEST(BenchTurns, TheBestCountedRoundOfEachSideCounts) {
    using namespace std::chrono_literals;
    bench::Best best;
    for (bench::Turns turns("best"); turns.Next();) {
        const auto pause = turns.WarmingUp() ? 0ms : turns.Round() == 3 ? 2ms : 20ms;
        turns.Time(best, [&] { std::this_thread::sleep_for(pause); },
                   [&] { std::this_thread::sleep_for(pause + 1ms); });
    }
    EXPECT_GE(best.Ours.Wall, 0.002);
    EXPECT_GE(best.Peer.Wall, 0.003);
    EXPECT_LT(best.Ours.Wall, 0.020);
    EXPECT_LT(best.Peer.Wall, 0.020);
    EXPECT_LT(best.Ours.Cpu, best.Ours.Wall);
}

TEST(BenchCompareDeathTest, DifferentOutputsEndTheProgramNamingTheRound) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            int calls = 0;
            // The peer goes wrong in the third counted round.
            bench::Compare("counting", [] { return 7; }, [&] { return ++calls == 4 ? 8 : 7; },
                           bench::Equal<int>("%d"));
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "counting, output, round 3: the two sides differ: 7 against 8");
}

TEST(BenchCompare, EqualOutputsAreCheckedEveryRound) {
    int checks = 0, oursRuns = 0, peerRuns = 0;
    const bench::Best best = bench::Compare(
        "equal", [&] { return ++oursRuns; }, [&] { return ++peerRuns; },
        [&](int ours, int peer) {
            ++checks;
            return ours == peer ? std::string() : std::string("differ");
        },
        6);
    EXPECT_EQ(checks, 7);
    EXPECT_EQ(oursRuns, 7);
    EXPECT_LT(best.Ours.Wall, 1.0);
}

TEST(BenchLines, FormatHoldsLongTextsAndDurationsPickTheirUnit) {
    const std::string long_(300, 'x');
    EXPECT_EQ(bench::Format("%s-%d", long_.c_str(), 42), long_ + "-42");
    EXPECT_EQ(bench::Duration(0.0000123), "12.3 us");
    EXPECT_EQ(bench::Duration(0.00456), "4.560 ms");
    EXPECT_EQ(bench::Duration(1.5), "1.500 s");
}

TEST(BenchMemory, ATouchedBlockShowsInTheResidentSetAndItsPeak) {
    const long before = bench::RssKb();
    long during = 0;
    {
        const std::vector<char> block(64 << 20, 1);
        during = bench::RssKb();
    }
    EXPECT_GE(during - before, 60 << 10);
    // The kernel raises the peak lazily (at the latest when the block is
    // unmapped) and counts a few pages late.
    EXPECT_GE(bench::PeakRssKb() - before, 60 << 10);
}

}  // namespace
