#include "TransferCase.h"

using namespace tw;
using namespace twtest;

namespace {

// A login that may create tables but not insert: every row fails with the
// same message, batch after batch.
class StormTest : public ::testing::TestWithParam<bool>, public TransferTest {
protected:
    StormTest() : TransferTest(toMySqlCase, "tw_storm") {}
    void SetUp() override {
        for (const char* host : {"localhost", "127.0.0.1"}) {
            rig.mysql.exec(QString("DROP USER IF EXISTS 'tw_no_insert'@'%1'").arg(host));
            rig.mysql.exec(QString("CREATE USER 'tw_no_insert'@'%1' IDENTIFIED BY 'pw'").arg(host));
            rig.mysql.exec(QString("GRANT SELECT, CREATE, DROP ON `%1`.* TO 'tw_no_insert'@'%2'").arg(rig.mysql.name(), host));
        }
        rig.profile.setText(ProfileField::User, "tw_no_insert");
        rig.profile.setText(ProfileField::Password, "pw");
        createIn(tc.source, "many", "n INTEGER, w VARCHAR(20)");
        tc.source.exec(rig, "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 5000) "
                            "INSERT INTO \"many\" SELECT i, 'row ' || i FROM s");
        sourceList().AddItem("many");
        selectInSource({"many"});
        rig.transfer.fast = GetParam();
    }
    void TearDown() override {
        for (const char* host : {"localhost", "127.0.0.1"})
            rig.mysql.exec(QString("DROP USER IF EXISTS 'tw_no_insert'@'%1'").arg(host));
    }
};

TEST_P(StormTest, CancelAtTheQuestionStopsTheTransferThere) {
    rig.prompts.answerMsgBox(MsgAnswer::Cancel);
    send();

    ASSERT_EQ(rig.prompts.shown.size(), 3u) << rig.prompts.texts().join("\n---\n").left(3000).toStdString();
    EXPECT_EQ(rig.prompts.shown[0].title, "Application Error");
    EXPECT_TRUE(statementShown(rig.prompts.shown[0]).startsWith("INSERT INTO `many` VALUES('1', 'row 1')"))
        << statementShown(rig.prompts.shown[0]).toStdString();
    EXPECT_EQ(rig.prompts.shown[2].title, "Repeated error");
    EXPECT_TRUE(rig.prompts.shown[2].text.startsWith("The same error repeated on 3 rows of many:"));
    const TransferAccount& account = rig.transfer.accounts.at(0);
    EXPECT_TRUE(account.stopped);
    EXPECT_EQ(account.tables.at(0).rowsFailed, 3);
    EXPECT_EQ(account.tables.at(0).rowsAccepted, 0);
    EXPECT_TRUE(account.summary().startsWith("Stopped: 1 table, 0 rows copied, 3 rows rejected in "))
        << account.summary().toStdString();
}

TEST_P(StormTest, NoAtTheQuestionCountsEveryLaterFailureWithoutABoxAcrossBatches) {
    rig.prompts.answerMsgBox(MsgAnswer::No);
    send();

    EXPECT_EQ(rig.prompts.shown.size(), 3u) << rig.prompts.texts().join("\n---\n").left(3000).toStdString();
    const TransferAccount& account = rig.transfer.accounts.at(0);
    EXPECT_FALSE(account.stopped);
    EXPECT_EQ(account.tables.at(0).rowsFailed, 5000);
    EXPECT_EQ(account.tables.at(0).firstFailureShared, 5000);
}

INSTANTIATE_TEST_SUITE_P(PerRowAndFastCopy, StormTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "FastCopy" : "PerRow"; });

}
