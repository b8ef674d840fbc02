#include "TransferCase.h"
#include "transfer/RowBatch.h"
#include <QLocale>
#include <QRegularExpression>

using namespace tw;
using namespace twtest;

namespace {

// Fast copy against the per-row method on a table whose bad rows MySQL
// refuses: the same rows arrive, the same rows are refused with the same
// boxes, in the same order, and the accounts agree.
class FastCopyToMySqlTest : public ::testing::Test, public TransferTest {
protected:
    FastCopyToMySqlTest() : TransferTest(toMySqlCase, "tw_batched_mysql") {}

    // 4,500 rows over three batches; every 997th moment is not a time.
    void seedWithBadRows(const QString& table) {
        createIn(tc.source, table, "n INTEGER, at TIMESTAMP, w VARCHAR(20)");
        tc.source.exec(rig, "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 4500) "
                            "INSERT INTO \"" + table + "\" SELECT i, CASE WHEN i % 997 = 0 THEN 'not a time ' || i "
                            "ELSE '2024-01-01 08:00:00' END, 'it''s ' || i FROM s");
        sourceList().AddItem(table);
    }
    struct Outcome {
        QStringList boxes;
        Rows rows;
        long long accepted, failed;
        Verification::Result check;
    };
    Outcome copy(const QString& table, bool fast) {
        for (int i = 0; i < sourceList().ListCount(); ++i)
            sourceList().setSelected(i, sourceList().List(i) == table);
        sourceList().setListIndex(0);
        rig.transfer.fast = fast;
        const qsizetype boxesBefore = rig.prompts.shown.size();
        send();
        Outcome o;
        for (qsizetype i = boxesBefore; i < rig.prompts.shown.size(); ++i)
            o.boxes << QString(rig.prompts.shown[i].text).replace("`" + table + "`", "`T`");
        o.rows = targetRows(table, "n");
        const TableAccount& t = rig.transfer.accounts.back().tables.at(0);
        o.accepted = t.rowsAccepted;
        o.failed = t.rowsFailed;
        o.check = t.verification.result;
        return o;
    }
};

TEST_F(FastCopyToMySqlTest, RefusesExactlyTheRowsThePerRowMethodRefusesWithTheSameBoxes) {
    seedWithBadRows("one_by_one");
    seedWithBadRows("batched");
    rig.prompts.answerMsgBox(MsgAnswer::No);  // the storm question, if any, counts the rest quietly

    const Outcome perRow = copy("one_by_one", false);
    const Outcome fast = copy("batched", true);

    ASSERT_EQ(perRow.failed, 4);
    EXPECT_EQ(perRow.accepted, 4496);
    EXPECT_EQ(fast.accepted, perRow.accepted);
    EXPECT_EQ(fast.failed, perRow.failed);
    EXPECT_EQ(fast.boxes, perRow.boxes);
    ASSERT_EQ(fast.boxes.size(), 4);
    EXPECT_TRUE(rig.prompts.shown.back().text.contains("INSERT INTO `batched` VALUES('3988', 'not a time 3988'"))
        << rig.prompts.shown.back().text.right(300).toStdString();
    EXPECT_EQ(fast.rows, perRow.rows);
    EXPECT_EQ(fast.check, Verification::Result::Verified);
    EXPECT_EQ(perRow.check, Verification::Result::Verified);
    // Three batches of rows, each in one INSERT; the batches with a bad row
    // went again row by row.
    const QStringList multiRow = sent.all().filter(QRegularExpression("^INSERT INTO `batched` VALUES\\(.*\\),\\("));
    EXPECT_EQ(multiRow.size(), 3);
}

TEST_F(FastCopyToMySqlTest, ALostConnectionKeepsEveryCommittedRowAndTheAccountSaysHowMany) {
    createIn(tc.source, "big", "n INTEGER, w VARCHAR(20)");
    tc.source.exec(rig, "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 20000) "
                        "INSERT INTO \"big\" SELECT i, 'row ' || i FROM s");
    sourceList().AddItem("big");
    selectInSource({"big"});
    rig.transfer.fast = true;
    bool killed = false;
    rig.yield.onYield = [&](long long) {
        if (!killed && rig.progress.value() >= 40) {
            killed = true;
            killMySqlSessions(rig);
        }
    };

    send();

    ASSERT_TRUE(killed);
    ASSERT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").left(2000).toStdString();
    EXPECT_TRUE(isErrorBoxFor(rig.prompts.shown[0], tc.location, 248)) << rig.prompts.shown[0].text.toStdString();
    const TransferAccount& account = rig.transfer.accounts.at(0);
    EXPECT_FALSE(account.endedEarly.isEmpty());
    const long long arrived = (long long)targetRows("big", "n").size();
    EXPECT_GT(arrived, 0);
    EXPECT_LT(arrived, 20000);
    EXPECT_EQ(arrived % RowBatch::rowsPerCommit, 0) << "whole batches, each committed or not at all";
    EXPECT_EQ(account.tables.at(0).rowsAccepted, arrived) << account.details().toStdString();
    EXPECT_TRUE(account.summary().startsWith("Ended early: 1 table, " + QLocale(QLocale::English).toString(arrived) +
                                             " rows copied"))
        << account.summary().toStdString();
}

}
