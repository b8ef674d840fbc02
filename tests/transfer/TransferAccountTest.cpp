#include "TransferCase.h"

using namespace tw;
using namespace twtest;

namespace {

class ToMySqlAccountTest : public ::testing::Test, public TransferTest {
protected:
    ToMySqlAccountTest() : TransferTest(toMySqlCase, "tw_account_mysql") {}

    const TransferAccount& account() {
        EXPECT_EQ(rig.transfer.accounts.size(), 1u);
        return rig.transfer.accounts.back();
    }
    // A source table of n rows: 1, 2, ... n.
    void seedNumbers(const QString& table, int n) {
        createIn(tc.source, table, "n INTEGER, w VARCHAR(10)");
        tc.source.exec(rig, "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < " +
                                QString::number(n) + ") INSERT INTO \"" + table + "\" SELECT i, 'w' || i FROM s");
        sourceList().AddItem(table);
    }
    // A MySQL login that may create tables but not insert into them.
    void loginWithoutInsert() {
        for (const char* host : {"localhost", "127.0.0.1"}) {
            rig.mysql.exec(QString("CREATE USER IF NOT EXISTS 'tw_no_insert'@'%1' IDENTIFIED BY 'pw'").arg(host));
            rig.mysql.exec(QString("GRANT CREATE, DROP, SELECT ON `%1`.* TO 'tw_no_insert'@'%2'").arg(rig.mysql.name(), host));
        }
        rig.profile.setText(ProfileField::User, "tw_no_insert");
        rig.profile.setText(ProfileField::Password, "pw");
    }
};

TEST_F(ToMySqlAccountTest, FiveThousandRefusedRowsTakeThreeAnswersAndAreAllCounted) {
    seedNumbers("many", 5000);
    selectInSource({"many"});
    loginWithoutInsert();
    rig.prompts.answerMsgBox(MsgAnswer::No);  // count the rest without showing

    send();

    ASSERT_EQ(rig.prompts.shown.size(), 3u) << rig.prompts.texts().join("\n").left(3000).toStdString();
    EXPECT_TRUE(isErrorBoxFor(rig.prompts.shown[0], tc.location, 248));
    EXPECT_TRUE(isErrorBoxFor(rig.prompts.shown[1], tc.location, 248));
    EXPECT_TRUE(rig.prompts.shown[2].text.startsWith("The same error repeated on 3 rows of many:"))
        << rig.prompts.shown[2].text.toStdString();
    EXPECT_EQ(rig.prompts.shown[2].style & 7, MsgStyle::YesNoCancel);
    const TableAccount& t = account().tables.at(0);
    EXPECT_EQ(t.rowsRead, 5000);
    EXPECT_EQ(t.rowsAccepted, 0);
    EXPECT_EQ(t.rowsFailed, 5000);
    EXPECT_TRUE(t.firstFailure.contains("INSERT command denied")) << t.firstFailure.toStdString();
    EXPECT_EQ(t.firstFailureShared, 5000);
    EXPECT_TRUE(account().summary().startsWith("1 table, 0 rows copied, 5,000 rows rejected"))
        << account().summary().toStdString();
    EXPECT_TRUE(account().details().contains("many: 5,000 rows read, 0 accepted, 5,000 failed (first failure, shared by 5,000 rows: "))
        << account().details().toStdString();
}

TEST_F(ToMySqlAccountTest, CancelOnTheRepeatedErrorStopsTheTransfer) {
    seedNumbers("many", 50);
    seedNumbers("other", 3);
    selectInSource({"many", "other"});  // walked from the bottom: other first
    loginWithoutInsert();
    rig.prompts.answerMsgBox(MsgAnswer::Cancel);

    send();

    EXPECT_EQ(rig.prompts.shown.size(), 3u) << "other's first two boxes and the question";
    EXPECT_TRUE(account().stopped);
    EXPECT_EQ(account().tables.size(), 1u) << "many is never started";
    EXPECT_EQ(account().tables.at(0).rowsFailed, 3);
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

TEST_F(ToMySqlAccountTest, RejectedRowsAreLeftOutOfTheCheckAndTheRestVerifies) {
    // Moments no SQL Anywhere holds, put past the stand-in's rules, which MySQL refuses.
    seedSource("t", "n INTEGER, at TIMESTAMP", {"1, '2024-01-01 08:00:00'", "3, '2024-01-03 08:00:00'"});
    rig.standin.execPastTheRules(R"(INSERT INTO "t" VALUES(2, 'not a time'), (4, 'nor this'))");
    selectInSource({"t"});

    send();

    EXPECT_EQ(rig.prompts.shown.size(), 2u);
    const TableAccount& t = account().tables.at(0);
    EXPECT_EQ(t.rowsAccepted, 2);
    EXPECT_EQ(t.rowsFailed, 2);
    EXPECT_EQ(t.verification.result, Verification::Result::Verified);
    EXPECT_TRUE(account().summary().startsWith("1 table, 2 rows copied, 2 rows rejected, the rest verified in "))
        << account().summary().toStdString();
}

// Changes a row in the target after the copy, before the check reads it.
class ChangeBeforeCheck : public SentStatements {
public:
    explicit ChangeBeforeCheck(TransferTest& test) : m_test(test) {}
    void beforeVerifying(const QString& table) override {
        m_test.tc.target.exec(m_test.rig, "UPDATE `" + table + "` SET w = 'changed' WHERE n = 2");
    }

private:
    TransferTest& m_test;
};

TEST_F(ToMySqlAccountTest, ARowChangedInTheTargetMakesTheCheckSayDiffers) {
    seedNumbers("t", 10);
    selectInSource({"t"});
    ChangeBeforeCheck changer(*this);
    TableManagerUi ui = rig.ui();
    transferTables(tc.direction(), ui, &changer);

    const TableAccount& t = account().tables.at(0);
    EXPECT_EQ(t.rowsAccepted, 10);
    EXPECT_EQ(t.verification.result, Verification::Result::Differs);
    EXPECT_EQ(t.verification.rowsDiffering, 1);
    EXPECT_TRUE(account().details().contains("differs: 1 row differ")) << account().details().toStdString();
}

class ToIAnywhereAccountTest : public ::testing::Test, public TransferTest {
protected:
    ToIAnywhereAccountTest() : TransferTest(toIAnywhereCase, "tw_account_iany") {}
};

TEST_F(ToIAnywhereAccountTest, StopDuringAHundredThousandRowsLeavesAnIntactListedPrefix) {
    rig.mysql.exec("CREATE TABLE big (n INT, w VARCHAR(12))");
    rig.mysql.exec("INSERT INTO big SELECT seq, CONCAT('row ', seq) FROM seq_1_to_100000");
    sourceList().AddItem("big");
    selectInSource({"big"});
    long long rowYields = 0;
    rig.yield.onYield = [&](long long) {
        if (rig.progress.value() > 0 && ++rowYields == 3000)
            rig.transfer.stop = true;
    };

    send();

    ASSERT_EQ(rig.transfer.accounts.size(), 1u);
    const TransferAccount& account = rig.transfer.accounts.back();
    EXPECT_TRUE(account.stopped);
    const long long sent = account.tables.at(0).rowsAccepted;
    EXPECT_GT(sent, 0);
    EXPECT_LT(sent, 100000);
    const Rows arrived = targetRows("big", "\"n\"");
    ASSERT_EQ((long long)arrived.size(), sent);
    for (long long i = 0; i < sent; ++i)
        ASSERT_EQ(arrived[size_t(i)], QStringList({QString::number(i + 1) + ".000000", "row " + QString::number(i + 1)}));
    EXPECT_EQ(targetList().entries(), QStringList({"big"}));
    EXPECT_EQ(rig.progress.value(), 0);
    EXPECT_TRUE(account.details().contains("Stopped by the user after " + QLocale(QLocale::English).toString(sent) + " rows."))
        << account.details().toStdString();
    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
}

TEST_F(ToIAnywhereAccountTest, StopBeforeTheTableIsCreatedSendsNothingAndSaysSo) {
    seedSource("t", "n INT, w VARCHAR(8)", {"1, 'a'"});
    selectInSource({"t"});
    // The click's yield, the table's, then one per column of the CREATE.
    rig.yield.onYield = [&](long long n) {
        if (n == 3)
            rig.transfer.stop = true;
    };

    send();

    EXPECT_TRUE(sent.all().isEmpty()) << sent.all().join("\n").toStdString();
    ASSERT_EQ(rig.transfer.accounts.size(), 1u);
    EXPECT_TRUE(rig.transfer.accounts[0].stopped);
    EXPECT_EQ(rig.transfer.accounts[0].tables.at(0).skipped, "stopped before it was created");
    EXPECT_TRUE(targetList().entries().isEmpty());
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

}
