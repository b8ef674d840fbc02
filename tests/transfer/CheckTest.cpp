#include "TransferCase.h"
#include "transfer/RowBatch.h"
#include <QThread>

using namespace tw;
using namespace twtest;

namespace {

// Changes values as they are read, after the reading and before the
// transfer takes them: what a faulty driver or reader would do. The row
// digests are taken from the changed values, so only the servers' own
// profiles can see it.
class ChangingReader : public SentStatements {
public:
    std::function<void(std::vector<Field>&)> change;
    void rowRead(std::vector<Field>& row) override {
        if (change)
            change(row);
    }
    std::function<void()> onCommit;
    void committing() override {
        if (onCommit)
            onCommit();
    }
    std::function<void(const QString&)> onVerify;
    void beforeVerifying(const QString& table) override {
        if (onVerify)
            onVerify(table);
    }
};

Field& column(std::vector<Field>& row, const QString& name) {
    for (Field& f : row)
        if (f.Name == name)
            return f;
    throw std::runtime_error("no column " + name.toStdString());
}

class CheckTest : public ::testing::TestWithParam<TransferCase>, public TransferTest {
protected:
    CheckTest() : TransferTest(GetParam(), "tw_check") {}

    const TableAccount& copyWith(ChangingReader& observer, const QString& table) {
        selectInSource({table});
        tw::TableManagerUi ui = rig.ui();
        tw::transferTables(tc.direction(), ui, &observer);
        return rig.transfer.accounts.back().tables.at(0);
    }
};

TEST_P(CheckTest, AValueLostInTheReadingIsCaughtByTheServersProfiles) {
    const bool bitsFromMySql = tc.source.quote == u'`';
    seedSource("f", QString("id INT, f %1, n INT").arg(bitsFromMySql ? "BIT(1)" : "BIT NULL"),
               {"1, 1, 10", "2, NULL, 20", "3, 0, 30", "4, 1, 40", "5, 0, 50"});
    // As MariaDB's driver did with a bound BIT: NULL ever after the first NULL.
    ChangingReader faulty;
    bool sawNull = false;
    faulty.change = [&](std::vector<Field>& row) {
        Field& f = column(row, "f");
        sawNull = sawNull || f.Value.isNull();
        if (sawNull)
            f.Value = Value();
    };

    const TableAccount& t = copyWith(faulty, "f");

    EXPECT_EQ(t.rowsAccepted, 5);
    EXPECT_EQ(t.verification.rowsDiffering, 0) << "the digests were taken from the values as read";
    EXPECT_EQ(t.verification.result, Verification::Result::Differs);
    EXPECT_EQ(t.verification.profileDifferences,
              QStringList({"column f: 1 NULL in the source, 4 in the target", "column f: 2 true in the source, 1 in the target"}));
    const TransferAccount& account = rig.transfer.accounts.back();
    EXPECT_TRUE(account.details().contains("; differs: column f: 1 NULL in the source, 4 in the target; column f: 2 true"))
        << account.details().toStdString();
    EXPECT_TRUE(account.summary().startsWith("1 table, 5 rows copied, 1 table differs in ")) << account.summary().toStdString();
}

TEST_P(CheckTest, ANumberChangedInTheReadingShowsInItsSumAndExtremes) {
    seedSource("n", "id INT, n DECIMAL(12,2), w VARCHAR(10)", {"1, 10.25, 'a'", "2, 20.50, 'bb'", "3, NULL, NULL"});
    ChangingReader faulty;
    faulty.change = [&](std::vector<Field>& row) {
        if (column(row, "id").Value.toText().toDouble() == 2) {
            column(row, "n").Value = Value::text("20.51");
            column(row, "w").Value = Value::text("b");
        }
    };

    const TableAccount& t = copyWith(faulty, "n");

    EXPECT_EQ(t.verification.result, Verification::Result::Differs);
    EXPECT_EQ(t.verification.profileDifferences,
              QStringList({"column n: sum 30.75 in the source, 30.76 in the target",
                           "column n: greatest 20.5 in the source, 20.51 in the target",
                           "column w: 3 characters in the source, 2 in the target"}));
}

TEST_P(CheckTest, AProfileTheServerRefusesLeavesTheTableNotChecked) {
    seedSource("gone", "id INT, w VARCHAR(10)", {"1, 'a'"});
    ChangingReader observer;
    // The source table goes after the copy, so its server cannot profile it.
    observer.onVerify = [&](const QString& table) { tc.source.exec(rig, "DROP TABLE " + quoted(tc.source.quote, table)); };

    const TableAccount& t = copyWith(observer, "gone");

    EXPECT_EQ(t.rowsAccepted, 1);
    EXPECT_EQ(t.verification.result, Verification::Result::CouldNotCheck);
    EXPECT_TRUE(t.verification.problem.startsWith("the source's profile query failed: ")) << t.verification.problem.toStdString();
    EXPECT_TRUE(rig.transfer.accounts.back().details().contains("; not checked: the source's profile query failed: "));
    EXPECT_FALSE(rig.transfer.accounts.back().summary().contains("verified"));
}

TEST_P(CheckTest, WithRowsRejectedOnlyTheRowCountIsComparedAndTheAccountSaysSo) {
    seedSource("r", "id INT, n INT", {"1, 10", "2, 20", "3, 30"});
    ChangingReader observer;
    observer.change = [&](std::vector<Field>& row) {
        if (column(row, "id").Value.toText().toDouble() == 2)
            column(row, "n").Value = Value::text("no number");  // which either server refuses
    };

    const TableAccount& t = copyWith(observer, "r");

    ASSERT_EQ(t.rowsFailed, 1) << rig.transfer.accounts.back().details().toStdString();
    EXPECT_EQ(t.verification.result, Verification::Result::Verified) << rig.transfer.accounts.back().details().toStdString();
    EXPECT_TRUE(rig.transfer.accounts.back().details().contains(
        "1 row rejected, the rest verified (with rows rejected, only the row count of the two servers was compared, "
        "not their NULLs, sums, lengths or extremes)"))
        << rig.transfer.accounts.back().details().toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothWays, CheckTest, ::testing::Values(toIAnywhereCase, toMySqlCase),
                         [](const auto& info) { return std::string(info.param.name); });

// A commit whose answer never came may have been carried out: its rows are
// in doubt, not rejected.
TEST(CommitLostTest, ABatchWhoseCommitLostItsConnectionIsInDoubtNotFailed) {
    TransferTest t(toMySqlCase, "tw_commit_lost");
    t.createIn(t.tc.source, "lost", "n INTEGER, w VARCHAR(20)");
    t.tc.source.exec(t.rig, "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 5000) "
                            "INSERT INTO \"lost\" SELECT i, 'row ' || i FROM s");
    t.sourceList().AddItem("lost");
    t.selectInSource({"lost"});
    t.rig.transfer.fast = true;
    ChangingReader observer;
    int commits = 0;
    observer.onCommit = [&] {
        if (++commits == 2)
            killMySqlSessions(t.rig);
    };

    tw::TableManagerUi ui = t.rig.ui();
    tw::transferTables(t.tc.direction(), ui, &observer);

    const TransferAccount& account = t.rig.transfer.accounts.at(0);
    const TableAccount& table = account.tables.at(0);
    EXPECT_FALSE(account.endedEarly.isEmpty());
    EXPECT_EQ(table.rowsAccepted, RowBatch::rowsPerCommit);
    EXPECT_EQ(table.rowsInDoubt, RowBatch::rowsPerCommit);
    EXPECT_EQ(table.rowsFailed, 0);
    EXPECT_TRUE(account.details().contains(", 0 failed, 2,000 in doubt (the connection was lost while they were being committed)"))
        << account.details().toStdString();
    EXPECT_TRUE(account.summary().startsWith("Ended early: 1 table, 2,000 rows copied, 2,000 rows in doubt in "))
        << account.summary().toStdString();
}

// MySQL tells Beta2 and beta2 apart, iAnywhere does not: the second copy
// replaces the first, and the account counts the tables that are there.
TEST(CaseTwinTest, ATableReplacedByItsCaseTwinIsNotCountedAsCopied) {
    TransferTest t(toIAnywhereCase, "tw_case_twins");
    t.seedSource("Beta2", "id INT", {"1"});
    t.seedSource("beta2", "id INT", {"1", "2"});
    t.selectInSource({"Beta2", "beta2"});
    t.rig.prompts.answerMsgBox(MsgAnswer::Yes);
    t.send();

    ASSERT_EQ(t.rig.prompts.shown.size(), 1u);
    EXPECT_EQ(t.tablesIn(t.tc.target).size(), 1);
    const TransferAccount& account = t.rig.transfer.accounts.at(0);
    ASSERT_EQ(account.tables.size(), 2u);
    EXPECT_TRUE(account.summary().contains(", 1 table replaced by a later one in ")) << account.summary().toStdString();
    EXPECT_TRUE(account.summary().startsWith("1 table, ")) << account.summary().toStdString();
    EXPECT_TRUE(account.details().contains("; then replaced in the target by ")) << account.details().toStdString();
}

// The source's session ends while its rows are read: a failure of the
// read, not a rejected row.
TEST(SourceLostTest, ALostSourceIsTheReadsFailureNotARejectedRow) {
    TransferTest t(toIAnywhereCase, "tw_source_lost");
    t.seedSource("big", "id INT PRIMARY KEY");
    t.rig.mysql.exec("INSERT INTO big SELECT seq FROM seq_1_to_30000");
    t.selectInSource({"big"});
    bool killed = false;
    t.rig.yield.onYield = [&](long long) {
        if (!killed && t.rig.progress.value() >= 10) {
            killed = true;
            killMySqlSessions(t.rig);
        }
    };
    t.send();

    ASSERT_TRUE(killed);
    const TableAccount& big = t.rig.transfer.accounts.at(0).tables.at(0);
    EXPECT_EQ(big.rowsFailed, 0);
    EXPECT_FALSE(big.readFailure.isEmpty());
    EXPECT_EQ(big.rowsAccepted, big.rowsRead);
    EXPECT_LT(big.rowsRead, 30000);
    const QString details = t.rig.transfer.accounts.at(0).details();
    EXPECT_TRUE(details.contains(" accepted, 0 failed; the read failed after ")) << details.toStdString();
    EXPECT_FALSE(details.contains("rejected")) << details.toStdString();
}

// Prompts that take a while to be answered, as a user does.
class SlowPrompts : public Prompts {
public:
    explicit SlowPrompts(ScriptedPrompts& answers) : m_answers(answers) {}
    int MsgBox(const QString& text, int style, const QString& title) override {
        QThread::msleep(1500);
        return m_answers.MsgBox(text, style, title);
    }
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override {
        return m_answers.InputBox(prompt, title, defaultText);
    }

private:
    ScriptedPrompts& m_answers;
};

TEST(AnswerTimeTest, TheTimeTakenToAnswerIsNotTheTablesTime) {
    TransferTest t(toIAnywhereCase, "tw_answer_time");
    t.seedSource("small", "id INT", {"1", "2"});
    t.createIn(t.tc.target, "small", "id INTEGER");
    t.targetList().AddItem("small");
    t.selectInSource({"small"});
    t.rig.prompts.answerMsgBox(MsgAnswer::Yes);
    SlowPrompts slow(t.rig.prompts);
    tw::TableManagerUi ui = t.rig.ui();
    tw::TableManagerUi answeredSlowly{ui.List1, ui.List2, ui.ProgressBar1, ui.pointer, slow, ui.yield, ui.profile, ui.transfer};
    tw::transferTables(t.tc.direction(), answeredSlowly, &t.sent);

    ASSERT_EQ(t.rig.prompts.shown.size(), 1u);
    const TransferAccount& account = t.rig.transfer.accounts.at(0);
    // Two rows take milliseconds; the answer took a second and a half.
    EXPECT_LT(account.tables.at(0).seconds, 1.0) << account.details().toStdString();
    EXPECT_LT(account.seconds, 1.0);
}

}
