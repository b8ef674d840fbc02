#include "TransferCase.h"
#include "base/Yield.h"
#include <chrono>
#include <vector>

using namespace tw;
using namespace twtest;
using Clock = std::chrono::steady_clock;

namespace {

// A source whose SELECT keeps the server busy for 300 ms before the first
// row, as a big table read client-side does.
class SlowSourceTest : public ::testing::Test, public TransferTest {
protected:
    SlowSourceTest() : TransferTest(toIAnywhereCase, "tw_slow_source") {
        rig.mysql.exec("CREATE VIEW slow AS SELECT SLEEP(0.3) AS pause, 7 AS n");
        sourceList().AddItem("slow");
        selectInSource({"slow"});
    }
    // The yields before the reader opens: the click's and the table's.
    static constexpr long long yieldsBeforeTheSelect = 1 + 1;
};

TEST_F(SlowSourceTest, TheWindowKeepsYieldingWhileTheSourceSelectRuns) {
    std::vector<Clock::time_point> times;
    rig.yield.onYield = [&](long long) { times.push_back(Clock::now()); };

    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(targetRows("slow"), Rows({{"0.000000", "7.000000"}}));
    // After the SELECT: one per column of the CREATE, one for the row and one per value.
    const long long columns = 2, yieldsAfterTheSelect = columns + 1 + columns;
    const long long whileSelecting = rig.yield.count - yieldsBeforeTheSelect - yieldsAfterTheSelect;
    ASSERT_GE(whileSelecting, 3) << "a 300 ms SELECT without yields";
    const Clock::time_point first = times[yieldsBeforeTheSelect];
    const Clock::time_point last = times[yieldsBeforeTheSelect + whileSelecting - 1];
    const std::chrono::duration<double, std::milli> covered = last - first;
    EXPECT_GE(covered.count(), 150.0) << "the yields cover the SELECT's run";
}

TEST_F(SlowSourceTest, TheProgramEndingWhileTheSelectRunsStopsBeforeAnyStatement) {
    rig.yield.onYield = [&](long long n) {
        if (n == yieldsBeforeTheSelect + 1)
            throw ProgramEnding();
    };

    tw::TableManagerUi ui = rig.ui();
    EXPECT_THROW(tw::transferTables(tc.direction(), ui, &sent), ProgramEnding);

    EXPECT_EQ(rig.yield.count, yieldsBeforeTheSelect + 1) << "no yield after the one that threw";
    EXPECT_TRUE(sent.all().isEmpty()) << sent.all().join("\n").toStdString();
    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_TRUE(tablesIn(tc.target).isEmpty());
    EXPECT_TRUE(targetList().entries().isEmpty());
}

}
