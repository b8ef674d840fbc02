#include "TestEnv.h"
#include "connect/DbError.h"
#include "base/Yield.h"
#include <gtest/gtest.h>
#include <chrono>
#include <functional>
#include <vector>

using namespace tw;
using twtest::MySqlDatabase;
using Clock = std::chrono::steady_clock;

namespace {

// Notes when each yield came; a test may make one of them throw.
class TimedYield : public Yield {
public:
    void DoEvents() override {
        times.push_back(Clock::now());
        if (onYield)
            onYield(times.size());
    }
    std::vector<Clock::time_point> times;
    std::function<void(size_t)> onYield;
};

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The server takes this long before it answers.
const QString slowSelect = "SELECT SLEEP(0.3) AS pause, 'done' AS word";

class OpenWhileYieldingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { db = new MySqlDatabase("tw_open_yielding"); }
    static void TearDownTestSuite() { delete db; }
    static MySqlDatabase* db;

    Connection clientSide() {
        Connection c;
        c.CursorLocation = CursorLocationCode::Client;
        c.Open(db->connectString());
        return c;
    }
    TimedYield yield;
};
MySqlDatabase* OpenWhileYieldingTest::db = nullptr;

TEST_F(OpenWhileYieldingTest, ASlowSelectKeepsYieldingWhileTheServerWorksAndReadsItsRow) {
    Connection c = clientSide();
    Recordset rs;
    const Clock::time_point start = Clock::now();

    rs.Open(slowSelect, c, -1, -1, &yield);

    const Clock::time_point end = Clock::now();
    ASSERT_GE(yield.times.size(), 3u) << "a 300 ms statement without yields";
    EXPECT_GE(msBetween(yield.times.front(), yield.times.back()), 150.0) << "the yields cover the statement's run";
    EXPECT_GE(msBetween(start, end), 290.0);
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("pause").Value.toText(), "0");
    EXPECT_EQ(rs.Fields("word").Value.toText(), "done");
    rs.MoveNext();
    EXPECT_TRUE(rs.isEOF());
}

TEST_F(OpenWhileYieldingTest, AFailingStatementRaisesTheServersMessage) {
    Connection c = clientSide();
    Recordset rs;
    try {
        rs.Open("SELECT SLEEP(0.1), x FROM no_such_table", c, -1, -1, &yield);
        FAIL() << "opened a missing table";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains("no_such_table")) << e.message().toStdString();
    }
    EXPECT_FALSE(rs.isOpen());
    EXPECT_EQ(twtest::readRows(c, "SELECT 1 + 1"), twtest::Rows({{"2"}}));
}

TEST_F(OpenWhileYieldingTest, TheProgramEndingGoesOnAtOnceAndLeavesTheStatementToItsThread) {
    Connection c = clientSide();
    Recordset rs;
    yield.onYield = [](size_t n) {
        if (n == 2)
            throw ProgramEnding();
    };
    const Clock::time_point start = Clock::now();

    EXPECT_THROW(rs.Open(slowSelect, c, -1, -1, &yield), ProgramEnding);

    EXPECT_LT(msBetween(start, Clock::now()), 200.0) << "the end waited for the server";
    EXPECT_EQ(yield.times.size(), 2u) << "no yield after the one that threw";
    EXPECT_FALSE(rs.isOpen());
    EXPECT_FALSE(c.isOpen()) << "a connection whose statement still runs elsewhere must not be used";
}

TEST_F(OpenWhileYieldingTest, AStatementThatOutlastsTheCommandTimeoutIsGivenUpWithAClearMessage) {
    Connection c = clientSide();
    c.CommandTimeout = 1;
    Recordset rs;
    const Clock::time_point start = Clock::now();
    try {
        rs.Open("SELECT SLEEP(5)", c, -1, -1, &yield);
        FAIL() << "a 5-second statement ran within a 1-second bound";
    } catch (const DbError& e) {
        EXPECT_EQ(e.message(), "The MySQL server at 127.0.0.1:" + twtest::mysqlPort() + " did not answer within 1 second");
        EXPECT_EQ(e.sqlState(), "HYT00");
    }
    const double ms = msBetween(start, Clock::now());
    EXPECT_GE(ms, 990.0);
    EXPECT_LT(ms, 1500.0);
    EXPECT_GE(yield.times.size(), 30u) << "the window waited without repainting";
    EXPECT_FALSE(c.isOpen());
}

}
