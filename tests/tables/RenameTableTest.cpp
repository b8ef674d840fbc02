#include "SideCase.h"

using namespace tw;
using namespace twtest;

namespace {

class RenameTableTest : public SideTest {
protected:
    RenameTableTest() : SideTest("tw_rename") {}
    void rename() {
        TableManagerUi ui = rig.ui();
        side().rename(ui);
    }
    // One current, selected entry, as a click on it leaves the list.
    void choose(const QString& name) {
        const int i = int(list().entries().indexOf(name));
        ASSERT_GE(i, 0);
        list().setListIndex(i);
        list().setSelected(i, true);
    }
    bool anyInputBox() const {
        for (const auto& p : rig.prompts.shown)
            if (p.kind == "InputBox")
                return true;
        return false;
    }
};

TEST_P(RenameTableTest, WithNothingCurrentOrSelectedAsksToSelectATable) {
    seed({"orders"});

    rename();

    EXPECT_EQ(rig.prompts.texts(), QStringList({"Please select a table to rename."}));
    EXPECT_EQ(rig.prompts.shown[0].style, MsgStyle::OkOnly);
    EXPECT_EQ(rig.prompts.shown[0].title, QString());
    EXPECT_EQ(tablesInDatabase(), QStringList({"orders"}));
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

TEST_P(RenameTableTest, MoreThanOneSelectedAsksForJustOne) {
    seed({"orders", "products"});
    list().setListIndex(0);
    rig.selectAll(list());

    rename();

    EXPECT_EQ(rig.prompts.texts(), QStringList({"Please select just one table to rename."}));
    EXPECT_FALSE(anyInputBox());
    EXPECT_EQ(list().entries(), QStringList({"orders", "products"}));
    EXPECT_EQ(tablesInDatabase(), QStringList({"orders", "products"}));
}

TEST_P(RenameTableTest, ACurrentEntryWithNothingSelectedAsksForJustOne) {
    seed({"orders", "products"});
    list().setListIndex(1);

    rename();

    EXPECT_EQ(rig.prompts.texts(), QStringList({"Please select just one table to rename."}));
    EXPECT_FALSE(anyInputBox());
}

TEST_P(RenameTableTest, CancelInTheInputBoxSendsNothingAndLeavesTheList) {
    seed({"alpha", "orders"});
    choose("orders");
    rig.prompts.answerInputBox("");

    rename();

    ASSERT_EQ(rig.prompts.shown.size(), 1u);
    const ShownPrompt& box = rig.prompts.shown[0];
    EXPECT_EQ(box.kind, "InputBox");
    EXPECT_EQ(box.text, "Enter new name of orders:");
    EXPECT_EQ(box.defaultText, "orders");
    EXPECT_EQ(box.title, QString()) << "the application title";
    EXPECT_EQ(list().entries(), QStringList({"alpha", "orders"}));
    EXPECT_EQ(selection(), QStringList({"orders"}));
    EXPECT_EQ(tablesInDatabase(), QStringList({"alpha", "orders"}));
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

TEST_P(RenameTableTest, ARenameShowsTheNewNameAtItsSortedPlaceUnselectedWithTheFirstEntryCurrent) {
    seed({"alpha", "Charlie", "orders", "zulu"});
    choose("orders");
    rig.prompts.answerInputBox("Bravo");

    rename();

    EXPECT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(list().entries(), QStringList({"alpha", "Bravo", "Charlie", "zulu"}));
    EXPECT_EQ(list().SelCount(), 0);
    EXPECT_EQ(list().ListIndex(), 0);
    EXPECT_EQ(tablesInDatabase(), QStringList({"alpha", "Bravo", "Charlie", "zulu"}));
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

TEST_P(RenameTableTest, ARenamedTableCanBeRenamedAgain) {
    seed({"orders"});
    choose("orders");
    rig.prompts.answerInputBox("sales");
    rename();
    choose("sales");
    rig.prompts.answerInputBox("revenue");

    rename();

    EXPECT_EQ(list().entries(), QStringList({"revenue"}));
    EXPECT_EQ(tablesInDatabase(), QStringList({"revenue"}));
    EXPECT_EQ(rig.prompts.shown.size(), 2u);
}

TEST_P(RenameTableTest, ARefusedRenameShowsTheErrorBoxAndKeepsTheOldEntry) {
    seed({"alpha", "orders"});
    choose("orders");
    rig.prompts.answerInputBox("alpha");  // taken

    rename();

    ASSERT_EQ(rig.prompts.shown.size(), 2u) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_TRUE(isErrorBoxFor(rig.prompts.shown[1], side().renameLocation, side().renameLine))
        << rig.prompts.shown[1].text.toStdString();
    EXPECT_EQ(list().entries(), QStringList({"alpha", "orders"}));
    EXPECT_EQ(selection(), QStringList({"orders"}));
    EXPECT_EQ(list().ListIndex(), 1);
    EXPECT_EQ(tablesInDatabase(), QStringList({"alpha", "orders"}));
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

TEST_P(RenameTableTest, NamesHoldingTheQuoteCharacterAreRenamed) {
    const QChar q = side().own.quote;
    const QString from = QStringLiteral("odd") + q + "name";
    const QString to = QStringLiteral("new") + q + q + "name" + q;
    seed({from});
    choose(from);
    rig.prompts.answerInputBox(to);

    rename();

    EXPECT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(list().entries(), QStringList({to}));
    EXPECT_EQ(tablesInDatabase(), QStringList({to}));
}

TEST_P(RenameTableTest, OnlyTheSidePressedIsRenamed) {
    seed({"shared"});
    createTables(side().other, {"shared"});
    side().other.list(rig).AddItem("shared");
    choose("shared");
    rig.prompts.answerInputBox("renamed");

    rename();

    EXPECT_EQ(tablesInDatabase(), QStringList({"renamed"}));
    EXPECT_EQ(side().other.tables(rig), QStringList({"shared"}));
    EXPECT_EQ(side().other.list(rig).entries(), QStringList({"shared"}));
}

TEST_P(RenameTableTest, AConnectionThatCannotOpenShowsOneBoxAndAsksNothing) {
    seed({"orders"});
    choose("orders");
    side().makeUnreachable(rig);

    rename();

    ASSERT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_TRUE(isErrorBoxFor(rig.prompts.shown[0], side().renameLocation, side().openLine))
        << rig.prompts.shown[0].text.toStdString();
    EXPECT_EQ(list().entries(), QStringList({"orders"}));
    EXPECT_EQ(tablesInDatabase(), QStringList({"orders"}));
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

INSTANTIATE_TEST_SUITE_P(BothSides, RenameTableTest, ::testing::Values(mysqlSide, standinSide),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RenameStatementTest, EachSideWordsTheRenameItsOwnWay) {
    EXPECT_EQ(renameStatement(mysqlTableSide(), "orders", "sales"), "RENAME TABLE `orders` TO `sales`");
    EXPECT_EQ(renameStatement(sybaseTableSide(), "orders", "sales"), "ALTER TABLE \"orders\" RENAME \"sales\";");
}

TEST(RenameStatementTest, KeepsBlanksAndDoublesQuoteCharacters) {
    EXPECT_EQ(renameStatement(mysqlTableSide(), "a`b", " c "), "RENAME TABLE `a``b` TO ` c `");
    EXPECT_EQ(renameStatement(sybaseTableSide(), "a\"b", "c\""), "ALTER TABLE \"a\"\"b\" RENAME \"c\"\"\";");
}

}
