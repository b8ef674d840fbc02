#include "TransferCase.h"
#include "transfer/TableProgress.h"

using namespace tw;
using namespace twtest;

namespace {

TEST(TableProgressTest, TheLineSaysTableRowsRateAndTimeLeftAsFarAsEachIsKnown) {
    EXPECT_EQ((TableProgress{"orders", 2, 3, 17784, 100000, 4566}).text(),
              "orders (2 of 3): 17,784 of 100,000 rows \u00b7 4,566 rows/s \u00b7 about 18 s left");
    EXPECT_EQ((TableProgress{"orders", 1, 1, 1, 10, -1}).text(), "orders (1 of 1): 1 of 10 rows");
    // A table that grew past its count has no total and no end to foretell.
    EXPECT_EQ((TableProgress{"t", 1, 2, 12, 10, 5}).text(), "t (1 of 2): 12 rows \u00b7 5 rows/s");
    EXPECT_EQ((TableProgress{"t", 1, 1, 0, 1000000, 5000}).text(),
              "t (1 of 1): 0 of 1,000,000 rows \u00b7 5,000 rows/s \u00b7 about 3 min left");
    EXPECT_EQ((TableProgress{"t", 1, 1, 0, 100000000, 5000}).text(),
              "t (1 of 1): 0 of 100,000,000 rows \u00b7 5,000 rows/s \u00b7 about 5 h 33 min left");
}

TEST(TableProgressTest, ALineIsDueAtMostFourTimesASecondWithTheRateOfTheLastSeconds) {
    ProgressMeter meter;
    meter.start("t", 1, 1, 100000);
    EXPECT_TRUE(meter.rowDone(1, 0)) << "the first row shows at once";
    EXPECT_FALSE(meter.rowDone(500, 100));
    EXPECT_FALSE(meter.rowDone(1000, 249));
    ASSERT_TRUE(meter.rowDone(1001, 250));
    EXPECT_EQ(meter.progress().rowsDone, 1001);
    EXPECT_DOUBLE_EQ(meter.progress().rowsPerSecond, 4000);
    // Fast for five seconds, then slow: the rate follows the recent rows.
    long long rows = 1001;
    for (qint64 ms = 500; ms <= 5000; ms += 250)
        meter.rowDone(rows += 1000, ms);
    for (qint64 ms = 5250; ms <= 11000; ms += 250)
        meter.rowDone(rows += 25, ms);
    EXPECT_NEAR(meter.progress().rowsPerSecond, 100, 1);
}

TEST(TransferProgressTest, EachTableShowsItsPlaceInTheTransfer) {
    TransferTest t(toIAnywhereCase, "tw_progress");
    for (const char* name : {"a", "b", "c"})
        t.seedSource(name, "id INT", {"1", "2"});
    t.selectInSource({"a", "b", "c"});
    t.send();

    // The first line of each table, which shows at its first row.
    QStringList firstLines;
    QString table;
    for (const TableProgress& p : t.rig.transfer.progressShown)
        if (p.table != std::exchange(table, p.table))
            firstLines << p.text();
    EXPECT_EQ(firstLines, QStringList({"c (1 of 3): 1 of 2 rows", "b (2 of 3): 1 of 2 rows", "a (3 of 3): 1 of 2 rows"}));
}

}
