#include "TransferCase.h"

using namespace tw;
using namespace twtest;

namespace {

// A MySQL source is read in key order a chunk at a time; these tables span
// several chunks, and rows come and go between the count and the read.
class MySqlSourceStreamTest : public ::testing::Test, public TransferTest {
protected:
    MySqlSourceStreamTest() : TransferTest(toIAnywhereCase, "tw_stream_mysql") {}

    static constexpr int rows = 2 * SourceStream::chunkRows + 500;

    void seedKeyed(const QString& keyColumns) {
        rig.mysql.exec("CREATE TABLE big (n INT NOT NULL, w VARCHAR(20) NOT NULL, " + keyColumns + ")");
        rig.mysql.exec("INSERT INTO big SELECT seq, CONCAT('o''k\\\\', seq % 7) FROM seq_1_to_" + QString::number(rows));
        sourceList().AddItem("big");
        selectInSource({"big"});
    }
    // Runs once, on the first row's yield: after the count and the first chunk.
    void onFirstRow(std::function<void()> change) {
        rig.yield.onYield = [this, change, done = false](long long) mutable {
            if (!done && rig.progress.value() > 0) {
                done = true;
                change();
            }
        };
    }
    const TableAccount& table() { return rig.transfer.accounts.at(0).tables.at(0); }
};

TEST_F(MySqlSourceStreamTest, RowsAddedAfterTheCountAreReadToTheEnd) {
    seedKeyed("PRIMARY KEY (n)");
    onFirstRow([&] {
        rig.mysql.exec("INSERT INTO big VALUES (" + QString::number(rows + 1) + ", 'late'), (" +
                       QString::number(rows + 2) + ", 'later')");
    });

    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(table().rowsRead, rows + 2);
    EXPECT_EQ(table().rowsAccepted, rows + 2);
    EXPECT_EQ(table().readPath, "in key order, 10,000 rows a chunk");
    EXPECT_EQ(table().verification.result, Verification::Result::Verified);
    const Rows arrived = targetRows("big", "\"n\"");
    ASSERT_EQ(arrived.size(), size_t(rows + 2));
    EXPECT_EQ(arrived.back(), QStringList({QString::number(rows + 2) + ".000000", "later"}));  // INT arrives as NUMERIC
    EXPECT_EQ(rig.progress.value(), 0);
}

TEST_F(MySqlSourceStreamTest, RowsDeletedAfterTheCountEndTheReadEarlyWithoutABox) {
    seedKeyed("PRIMARY KEY (n)");
    onFirstRow([&] { rig.mysql.exec("DELETE FROM big WHERE n > " + QString::number(rows - 700)); });

    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(table().rowsRead, rows - 700);
    EXPECT_EQ(targetRows("big", "\"n\"").size(), size_t(rows - 700));
}

TEST_F(MySqlSourceStreamTest, AUniqueKeyOfSeveralColumnsWithQuotesAndBackslashesReadsEveryRowOnce) {
    seedKeyed("UNIQUE KEY (w, n)");

    send();

    EXPECT_EQ(table().readPath, "in key order, 10,000 rows a chunk");
    EXPECT_EQ(table().rowsRead, rows);
    const Rows arrived = targetRows("big", "\"n\"");
    ASSERT_EQ(arrived.size(), size_t(rows));
    for (int i = 0; i < rows; ++i)
        ASSERT_EQ(arrived[size_t(i)], QStringList({QString::number(i + 1) + ".000000", "o'k\\" + QString::number((i + 1) % 7)}));
}

TEST_F(MySqlSourceStreamTest, ATableWithoutAKeyIsReadAsOneResult) {
    seedKeyed("KEY (n)");

    send();

    EXPECT_EQ(table().readPath, "as one result");
    EXPECT_EQ(table().rowsAccepted, rows);
    EXPECT_TRUE(rig.transfer.accounts.at(0).details().contains("read as one result"));
}

}
