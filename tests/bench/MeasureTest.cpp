// SPDX-License-Identifier: GPL-3.0-or-later
// The benchmark's rounds summed up into rows, and its targets passed or
// failed, with scripted contenders writing real output folders.
#include "bench/Measure.h"
#include "bench/Report.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{

using testsupport::TempFolder;
using testsupport::WriteFile;

struct Scripted {
    double seconds = 0;
    bool succeeded = true;
    long peakMemoryKiB = 0;
    int outputBytes = 0;
    const char* printed = ""; // what the contender prints
};

// A contender whose round r returns script[r] and writes its output bytes
// into a file with extension; calls records the order contenders ran in.
Contender ScriptedContender(const QByteArray& label, std::vector<Scripted> script,
                            std::vector<QByteArray>* calls, const QByteArray& extension = "jpg")
{
    auto round = std::make_shared<size_t>(0);
    return {label, [=](const Set&, const QByteArray& out) {
                calls->push_back(label);
                const Scripted& step = script.at((*round)++);
                if (step.outputBytes > 0)
                    WriteFile(out + "/picture." + extension, QByteArray(step.outputBytes, 'x'));
                ProcessRun run;
                run.succeeded = step.succeeded;
                run.seconds = step.seconds;
                run.cpuSeconds = step.seconds * 2;
                run.peakMemoryKiB = step.peakMemoryKiB;
                run.output = step.printed;
                return run;
            }};
}

TEST(Measure, ShowsThePickedRoundWithTheHighestPeakAndRunsContendersInTurns)
{
    const struct {
        const char* name;
        Pick pick;
        std::vector<Scripted> rounds;
        double seconds; // of the round the row shows
        int outputBytes;
        long peakMemoryKiB;
    } cases[] = {
        {"median of three",
         Pick::Median,
         {{3.0, true, 10, 300}, {1.0, true, 30, 100}, {2.0, true, 20, 200}},
         2.0,
         200,
         30},
        {"fastest of three",
         Pick::Fastest,
         {{3.0, true, 10, 300}, {1.0, true, 30, 100}, {2.0, true, 20, 200}},
         1.0,
         100,
         30},
        {"the loop's own seconds over the wall time",
         Pick::Median,
         {{9.0, true, 5, 1, "RESULT 4.5\n"},
          {8.0, true, 5, 2, "RESULT 0.5\n"},
          {7.0, true, 5, 3, "RESULT 1.5\n"}},
         1.5,
         3,
         5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder work;
        std::vector<QByteArray> calls;
        const std::vector<Row> rows = Measure(work.path(), Set{"set", work.path(), "jpg", 1, 1.0},
                                              {ScriptedContender("first", c.rounds, &calls),
                                               ScriptedContender("second", c.rounds, &calls)},
                                              3, c.pick);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(calls, (std::vector<QByteArray>{"first", "second", "first", "second", "first",
                                                  "second"}));
        for (const Row& row : rows) {
            EXPECT_FALSE(row.failed);
            EXPECT_DOUBLE_EQ(row.seconds, c.seconds);
            EXPECT_EQ(row.outputBytes, c.outputBytes);
            EXPECT_EQ(row.peakMemoryKiB, c.peakMemoryKiB);
        }
        EXPECT_EQ(rows[1].contender, "second");
    }
}

TEST(Measure, AContenderFailingInAnyRoundHasNoTimeAndFailsItsTargets)
{
    TempFolder work;
    std::vector<QByteArray> calls;
    // The third writes no output in its second round while saying it
    // succeeded; the fourth writes another format than the set's.
    const std::vector<Row> rows = Measure(
        work.path(), Set{"set", work.path(), "jpg", 1, 1.0},
        {ScriptedContender("fails once", {{1.0, true, 0, 1}, {1.0, false, 0, 1}, {1.0, true, 0, 1}},
                           &calls),
         ScriptedContender("succeeds", {{2.0, true, 0, 1}, {2.0, true, 0, 1}, {2.0, true, 0, 1}},
                           &calls),
         ScriptedContender("writes nothing once", {{2.0, true, 0, 1}, {2.0}, {2.0, true, 0, 1}},
                           &calls),
         ScriptedContender("writes PNG", {{2.0, true, 0, 1}, {2.0, true, 0, 1}, {2.0, true, 0, 1}},
                           &calls, "png")},
        3, Pick::Median);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(rows[0].failed);
    EXPECT_TRUE(std::isnan(rows[0].seconds));
    EXPECT_FALSE(rows[1].failed);
    EXPECT_TRUE(rows[2].failed);
    EXPECT_TRUE(rows[3].failed);

    const double ratio = rows[1].seconds / rows[0].seconds;
    EXPECT_FALSE(PrintChecks({{"at most", ratio, 1e9}}));
    EXPECT_FALSE(PrintChecks({{"at least", ratio, -1e9, true}}));
    EXPECT_TRUE(PrintChecks({{"at most", 1.0, 1.0}, {"at least", 1.45, 1.45, true}}));
    EXPECT_FALSE(PrintChecks({{"at least", 1.44, 1.45, true}}));
}

} // namespace
