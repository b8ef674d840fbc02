#include "TransferCase.h"

using namespace tw;
using namespace twtest;

namespace {

// Prompts that note how many statements had been sent when each was shown.
class NotingPrompts : public Prompts {
public:
    NotingPrompts(ScriptedPrompts& answers, const SentStatements& sent) : m_answers(answers), m_sent(sent) {}
    int MsgBox(const QString& text, int style, const QString& title) override {
        sentBefore.push_back(m_sent.all().size());
        return m_answers.MsgBox(text, style, title);
    }
    QString InputBox(const QString& p, const QString& t, const QString& d) override { return m_answers.InputBox(p, t, d); }
    std::vector<qsizetype> sentBefore;

private:
    ScriptedPrompts& m_answers;
    const SentStatements& m_sent;
};

class ExistingTableTest : public ::testing::TestWithParam<TransferCase>, public TransferTest {
protected:
    ExistingTableTest() : TransferTest(GetParam(), "tw_existing") {}

    // Three tables to copy; the target already holds b and c.
    void seedThree() {
        for (const char* name : {"a", "b", "c"})
            seedSource(name, "id INT", {"1", "2"});
        for (const char* name : {"b", "c"}) {
            createIn(tc.target, name, "id INTEGER", {"7"});
            targetList().AddItem(name);
        }
        selectInSource({"a", "b", "c"});
    }
    const TransferAccount& account() const { return rig.transfer.accounts.at(0); }
};

TEST_P(ExistingTableTest, AskPutsEveryQuestionBeforeTheFirstStatement) {
    seedThree();
    rig.prompts.answerMsgBox(MsgAnswer::Yes);  // c, copied first
    rig.prompts.answerMsgBox(MsgAnswer::No);   // b
    NotingPrompts noting(rig.prompts, sent);
    tw::TableManagerUi ui = rig.ui();
    tw::TableManagerUi asking{ui.List1, ui.List2, ui.ProgressBar1, ui.pointer, noting, ui.yield, ui.profile, ui.transfer};
    tw::transferTables(tc.direction(), asking, &sent);

    EXPECT_EQ(rig.prompts.texts(), QStringList({"Would you like to overwrite c?", "Would you like to overwrite b?"}));
    EXPECT_EQ(noting.sentBefore, std::vector<qsizetype>({0, 0}));
    EXPECT_EQ(targetRows("c").size(), 2u);
    EXPECT_EQ(targetRows("b").size(), 1u) << "kept as it was";
    EXPECT_EQ(account().tables.at(1).skipped, "kept as it is: not overwritten");
}

TEST_P(ExistingTableTest, ReplaceReplacesWithoutAsking) {
    seedThree();
    rig.transfer.existing = ExistingTable::Replace;
    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    for (const char* name : {"a", "b", "c"})
        EXPECT_EQ(targetRows(name).size(), 2u) << name;
    EXPECT_TRUE(account().summary().startsWith("3 tables, 6 rows copied and verified in ")) << account().summary().toStdString();
}

TEST_P(ExistingTableTest, SkipLeavesExistingTablesAloneAndSaysSo) {
    seedThree();
    rig.transfer.existing = ExistingTable::Skip;
    send();

    EXPECT_TRUE(rig.prompts.shown.empty());
    EXPECT_EQ(targetRows("a").size(), 2u);
    EXPECT_EQ(targetRows("b").size(), 1u);
    EXPECT_EQ(targetRows("c").size(), 1u);
    EXPECT_TRUE(account().details().contains("\nc: skipped (kept as it is: it exists in the target)"))
        << account().details().toStdString();
    EXPECT_TRUE(account().summary().startsWith("1 table, 2 rows copied and verified, 2 tables skipped in "));
}

TEST_P(ExistingTableTest, AppendGoesByColumnNameLeavingOutWhatTheTargetLacks) {
    seedSource("t", "w VARCHAR(20), id INT, gone VARCHAR(5)", {"'new', 2, 'x'", "'newer', 3, NULL"});
    createIn(tc.target, "t", "id INTEGER, extra VARCHAR(10) DEFAULT 'dflt', w VARCHAR(20)", {"1, 'mine', 'old'"});
    targetList().AddItem("t");
    selectInSource({"t"});
    rig.transfer.existing = ExistingTable::Append;
    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    const QChar q = tc.target.quote;
    EXPECT_TRUE(sent.startingWith("CREATE").isEmpty());
    ASSERT_FALSE(sent.all().isEmpty());
    EXPECT_TRUE(sent.all().at(0).startsWith("INSERT INTO " + quoted(q, "t") + "(" + quoted(q, "w") + ", " + quoted(q, "id") +
                                            ") VALUES("))
        << sent.all().at(0).toStdString();
    const Rows rows = targetRows("t", "1");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].mid(1), QStringList({"dflt", "new"}));
    EXPECT_EQ(rows[2].mid(1), QStringList({"dflt", "newer"}));
    const TableAccount& t = account().tables.at(0);
    EXPECT_EQ(t.rowsAccepted, 2);
    EXPECT_EQ(t.verification.result, Verification::Result::Verified) << account().details().toStdString();
    EXPECT_TRUE(account().details().contains("; appended to the existing table; not in the target, so not sent: gone"))
        << account().details().toStdString();
    EXPECT_EQ(targetList().entries(), QStringList({"t"}));
}

TEST_P(ExistingTableTest, AppendRejectsAValueTheExistingColumnCannotHold) {
    seedSource("t", "n VARCHAR(20)", {"'12'", "'twelve'"});
    createIn(tc.target, "t", "n INTEGER");
    targetList().AddItem("t");
    selectInSource({"t"});
    rig.transfer.existing = ExistingTable::Append;
    send();

    const TableAccount& t = account().tables.at(0);
    EXPECT_EQ(t.rowsAccepted, 1);
    EXPECT_EQ(t.rowsFailed, 1);
    EXPECT_EQ(targetRows("t").size(), 1u);
    ASSERT_EQ(rig.prompts.shown.size(), 1u);
    EXPECT_EQ(rig.prompts.shown[0].title, "Application Error");
}

TEST_P(ExistingTableTest, AStoppedAppendKeepsWhatWentInAndListsTheTableOnce) {
    seedNumbered("t", "id INT", 300);
    createIn(tc.target, "t", "id INTEGER", {"0"});
    targetList().AddItem("t");
    selectInSource({"t"});
    rig.transfer.existing = ExistingTable::Append;
    stopHalfWay();
    send();

    ASSERT_TRUE(account().stopped);
    const long long accepted = account().tables.at(0).rowsAccepted;
    EXPECT_GT(accepted, 0);
    EXPECT_EQ((long long)targetRows("t").size(), accepted + 1);
    EXPECT_EQ(targetList().entries(), QStringList({"t"}));
}

INSTANTIATE_TEST_SUITE_P(BothWays, ExistingTableTest, ::testing::Values(toIAnywhereCase, toMySqlCase),
                         [](const auto& info) { return std::string(info.param.name); });

}
