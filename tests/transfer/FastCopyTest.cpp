#include "TransferCase.h"
#include "connect/ParameterStatement.h"
#include "transfer/RowBatch.h"
#include <QLocale>
#include <QRegularExpression>

using namespace tw;
using namespace twtest;

namespace {

// Fast copy against the per-row method on a table whose bad rows the
// target refuses: the same rows arrive, the same rows are refused with the
// same boxes, in the same order, and the accounts agree.
class FastCopyAgainstPerRow : public TransferTest {
protected:
    using TransferTest::TransferTest;

    struct Outcome {
        QStringList boxes;
        Rows rows;
        long long accepted, failed;
        Verification::Result check;
    };
    Outcome copy(const QString& table, bool fast, bool arrays = true) {
        for (int i = 0; i < sourceList().ListCount(); ++i)
            sourceList().setSelected(i, sourceList().List(i) == table);
        sourceList().setListIndex(0);
        rig.transfer.fast = fast;
        rig.transfer.arrays = arrays;
        const qsizetype boxesBefore = rig.prompts.shown.size();
        send();
        Outcome o;
        for (qsizetype i = boxesBefore; i < rig.prompts.shown.size(); ++i)
            o.boxes << QString(rig.prompts.shown[i].text).replace(quoted(tc.target.quote, table), "T");
        o.rows = targetRows(table, "n");
        const TableAccount& t = rig.transfer.accounts.back().tables.at(0);
        o.accepted = t.rowsAccepted;
        o.failed = t.rowsFailed;
        o.check = t.verification.result;
        return o;
    }
    void expectSameOutcome(const Outcome& fast, const Outcome& perRow) {
        ASSERT_EQ(perRow.failed, 4);
        EXPECT_EQ(perRow.accepted, 4496);
        EXPECT_EQ(fast.accepted, perRow.accepted);
        EXPECT_EQ(fast.failed, perRow.failed);
        EXPECT_EQ(fast.boxes, perRow.boxes);
        ASSERT_EQ(fast.boxes.size(), 4);
        EXPECT_EQ(fast.rows, perRow.rows);
        EXPECT_EQ(fast.check, Verification::Result::Verified);
        EXPECT_EQ(perRow.check, Verification::Result::Verified);
    }
};

class FastCopyToMySqlTest : public ::testing::Test, public FastCopyAgainstPerRow {
protected:
    FastCopyToMySqlTest() : FastCopyAgainstPerRow(toMySqlCase, "tw_batched_mysql") {}

    // 4,500 rows over three batches; every 997th moment is not a time,
    // which only a file past the stand-in's rules holds.
    void seedWithBadRows(const QString& table) {
        createIn(tc.source, table, "n INTEGER, at TIMESTAMP, w VARCHAR(20)");
        rig.standin.execPastTheRules("WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 4500) "
                            "INSERT INTO \"" + table + "\" SELECT i, CASE WHEN i % 997 = 0 THEN 'not a time ' || i "
                            "ELSE '2024-01-01 08:00:00' END, 'it''s ' || i FROM s");
        sourceList().AddItem(table);
    }
};

TEST_F(FastCopyToMySqlTest, RefusesExactlyTheRowsThePerRowMethodRefusesWithTheSameBoxes) {
    seedWithBadRows("one_by_one");
    seedWithBadRows("batched");
    rig.prompts.answerMsgBox(MsgAnswer::No);  // the storm question, if any, counts the rest quietly

    const Outcome perRow = copy("one_by_one", false);
    const Outcome fast = copy("batched", true);

    expectSameOutcome(fast, perRow);
    EXPECT_TRUE(rig.prompts.shown.back().text.contains("INSERT INTO `batched` VALUES('3988', 'not a time 3988'"))
        << rig.prompts.shown.back().text.right(300).toStdString();
    // Three batches of rows, each in one execution of parameter arrays; the
    // batches with a bad row went again row by row.
    EXPECT_EQ(sent.all().filter("INSERT INTO `batched` VALUES(?, ?, ?)").size(), 3);
}

TEST_F(FastCopyToMySqlTest, ParameterArraysAndRowTextsRefuseTheSameRowsWithTheSameBoxes) {
    seedWithBadRows("arrays");
    seedWithBadRows("texts");
    rig.prompts.answerMsgBox(MsgAnswer::No);

    const Outcome arrays = copy("arrays", true);
    const Outcome texts = copy("texts", true, false);

    EXPECT_EQ(sent.all().filter(QRegularExpression("^INSERT INTO `texts` VALUES\\(.*\\),\\(")).size(), 3);
    EXPECT_EQ(sent.all().filter("INSERT INTO `arrays` VALUES(?, ?, ?)").size(), 3);
    ASSERT_EQ(texts.failed, 4);
    EXPECT_EQ(arrays.failed, texts.failed);
    EXPECT_EQ(arrays.accepted, texts.accepted);
    EXPECT_EQ(arrays.boxes, texts.boxes);
    EXPECT_EQ(arrays.rows, texts.rows);
    EXPECT_EQ(arrays.check, Verification::Result::Verified);
}

// A value the driver would take in pieces cannot go in a bulk execution:
// its row goes by itself, between the batches before and after it.
TEST_F(FastCopyToMySqlTest, ARowWithAValueLargerThanAPieceGoesByItselfWithoutLoss) {
    createIn(tc.source, "pieces", "n INTEGER, t LONG VARCHAR");
    const QString large(qsizetype(parameterPieceBytes) + 1, u'x');
    for (int i = 1; i <= 5; ++i)
        tc.source.exec(rig, QString("INSERT INTO \"pieces\" VALUES(%1, '%2')").arg(i).arg(i == 3 ? large : "row " + QString::number(i)));
    sourceList().AddItem("pieces");

    const Outcome o = copy("pieces", true);

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").left(300).toStdString();
    EXPECT_EQ(o.accepted, 5);
    EXPECT_EQ(o.check, Verification::Result::Verified);
    Connection c = openMySql(rig.mysql.connectString());
    EXPECT_EQ(readRows(c, "SELECT n, LENGTH(t), LEFT(t, 5) FROM pieces ORDER BY n"),
              Rows({{"1", "5", "row 1"}, {"2", "5", "row 2"}, {"3", QString::number(large.size()), "xxxxx"},
                    {"4", "5", "row 4"}, {"5", "5", "row 5"}}));
    EXPECT_EQ(sent.all().filter("INSERT INTO `pieces` VALUES(?, ?)").size(), 2) << "the rows before it, and after";
    EXPECT_EQ(sent.all().filter(QRegularExpression("^INSERT INTO `pieces` VALUES\\('3', 'xxx")).size(), 1);
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
    // A batch whose COMMIT was under way when the link went is in doubt:
    // it may have arrived or not, and the account does not claim either.
    const TableAccount& big = account.tables.at(0);
    EXPECT_LE(big.rowsAccepted, arrived) << account.details().toStdString();
    EXPECT_LE(arrived, big.rowsAccepted + big.rowsInDoubt) << account.details().toStdString();
    EXPECT_EQ(big.rowsInDoubt % RowBatch::rowsPerCommit, 0);
    EXPECT_TRUE(account.summary().startsWith("Ended early: 1 table, " + QLocale(QLocale::English).toString(big.rowsAccepted) +
                                             " rows copied"))
        << account.summary().toStdString();
}


class FastCopyToIAnywhereTest : public ::testing::Test, public FastCopyAgainstPerRow {
protected:
    FastCopyToIAnywhereTest() : FastCopyAgainstPerRow(toIAnywhereCase, "tw_batched_iany") { rig.transfer.keep = true; }

    // 4,500 rows over three batches; every 997th span is longer than the
    // day that SQL Anywhere's TIME holds.
    void seedWithBadRows(const QString& table) {
        rig.mysql.exec("CREATE TABLE `" + table + "` (n INT, span TIME, w VARCHAR(20))");
        rig.mysql.exec("INSERT INTO `" + table + "` SELECT seq, IF(seq % 997 = 0, '30:00:00', '08:00:00'), "
                       "CONCAT('it''s ', seq) FROM seq_1_to_4500");
        sourceList().AddItem(table);
    }
};

// Each batch goes as parameter arrays in one execution of the prepared
// INSERT, on a thread of its own; a batch with a refused row goes again row
// by row as the per-row method sends it. Without arrays, the batch goes row
// by row through the same INSERT, with the same outcome.
TEST_F(FastCopyToIAnywhereTest, RefusesExactlyTheRowsThePerRowMethodRefusesWithTheSameBoxes) {
    seedWithBadRows("one_by_one");
    seedWithBadRows("batched");
    seedWithBadRows("unarrayed");
    rig.prompts.answerMsgBox(MsgAnswer::No);

    const Outcome perRow = copy("one_by_one", false);
    const Outcome fast = copy("batched", true);

    expectSameOutcome(fast, perRow);
    EXPECT_TRUE(rig.prompts.shown.back().text.contains("Cannot convert '30:00:00' to a time"))
        << rig.prompts.shown.back().text.left(300).toStdString();
    EXPECT_TRUE(rig.prompts.shown.back().text.contains("sql: INSERT INTO \"batched\" VALUES('3988', '30:00:00', 'it''s 3988')"))
        << rig.prompts.shown.back().text.right(300).toStdString();
    EXPECT_EQ(sent.all().filter("INSERT INTO \"batched\" VALUES(?, ?, ?)").size(), 3);

    const Outcome withoutArrays = copy("unarrayed", true, false);
    expectSameOutcome(withoutArrays, perRow);
    EXPECT_EQ(sent.all().filter("INSERT INTO \"unarrayed\" VALUES(?, ?, ?)").size(), 3);
}

}
