#include "SideCase.h"

using namespace tw;
using namespace twtest;

namespace {

class DropTablesTest : public SideTest {
protected:
    DropTablesTest() : SideTest("tw_drop") {}
    void drop() {
        TableManagerUi ui = rig.ui();
        side().drop(ui);
    }
};

TEST_P(DropTablesTest, DropsTheSelectedTablesBottomFirstAndKeepsTheOthers) {
    const QStringList names{"alpha", "Bravo", "charlie", "Delta", "echo", "Foxtrot", "golf", "hotel"};
    seed(names);
    list().setListIndex(0);
    for (int i : {1, 4, 6})
        list().setSelected(i, true);

    RemovalRecorder recorder(list());
    TableManagerUi ui = uiWithOwnList(recorder);
    side().drop(ui);

    EXPECT_EQ(recorder.removed, QStringList({"golf", "echo", "Bravo"}));
    const QStringList kept{"alpha", "charlie", "Delta", "Foxtrot", "hotel"};
    EXPECT_EQ(list().entries(), kept);
    EXPECT_EQ(tablesInDatabase(), kept);
    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

TEST_P(DropTablesTest, WithNothingCurrentOrSelectedAsksToSelectATableAndDropsNothing) {
    seed({"orders", "products"});

    drop();

    ASSERT_EQ(rig.prompts.shown.size(), 1u);
    const ShownPrompt& box = rig.prompts.shown[0];
    EXPECT_EQ(box.text, "Please select a table");
    EXPECT_EQ(box.style, MsgStyle::OkOnly);
    EXPECT_EQ(box.title, QString()) << "plain messages show the application title";
    EXPECT_EQ(list().entries(), QStringList({"orders", "products"}));
    EXPECT_EQ(tablesInDatabase(), QStringList({"orders", "products"}));
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

// "Select All" selects every entry and makes none current.
TEST_P(DropTablesTest, SelectedEntriesWithoutACurrentOneAreDropped) {
    seed({"orders", "products"});
    for (int i = 0; i < 2; ++i)
        list().setSelected(i, true);

    drop();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_TRUE(list().entries().isEmpty());
    EXPECT_TRUE(tablesInDatabase().isEmpty());
}

TEST_P(DropTablesTest, ACurrentEntryWithNothingSelectedDropsNothingAndSaysNothing) {
    seed({"orders", "products"});
    list().setListIndex(1);

    drop();

    EXPECT_TRUE(rig.prompts.shown.empty());
    EXPECT_EQ(list().entries(), QStringList({"orders", "products"}));
    EXPECT_EQ(tablesInDatabase(), QStringList({"orders", "products"}));
}

TEST_P(DropTablesTest, ATableOnBothSidesIsDroppedOnlyOnTheSidePressed) {
    seed({"shared"});
    createTables(side().other, {"shared"});
    side().other.list(rig).AddItem("shared");
    list().setListIndex(0);
    list().setSelected(0, true);

    drop();

    EXPECT_TRUE(list().entries().isEmpty());
    EXPECT_TRUE(tablesInDatabase().isEmpty());
    EXPECT_EQ(side().other.list(rig).entries(), QStringList({"shared"}));
    EXPECT_EQ(side().other.tables(rig), QStringList({"shared"}));
}

TEST_P(DropTablesTest, ANameHoldingTheQuoteCharacterIsDropped) {
    const QString odd = QStringLiteral("odd") + side().own.quote + "name";
    seed({odd, "plain"});
    list().setListIndex(0);
    list().setSelected(0, true);

    drop();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(list().entries(), QStringList({"plain"}));
    EXPECT_EQ(tablesInDatabase(), QStringList({"plain"}));
}

TEST_P(DropTablesTest, ARefusedDropShowsTheErrorBoxAndKeepsItsEntry) {
    seed({"orders", "zebra"});
    list().AddItem("missing");  // listed, but no longer in the database
    list().setListIndex(0);
    rig.selectAll(list());

    drop();

    ASSERT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_TRUE(isErrorBoxFor(rig.prompts.shown[0], side().dropLocation, side().dropLine))
        << rig.prompts.shown[0].text.toStdString();
    EXPECT_EQ(list().entries(), QStringList({"missing"}));
    EXPECT_EQ(list().Selected(0), true);
    EXPECT_TRUE(tablesInDatabase().isEmpty());
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

TEST_P(DropTablesTest, AConnectionThatCannotOpenShowsOneBoxAndChangesNothing) {
    seed({"orders", "products"});
    list().setListIndex(0);
    rig.selectAll(list());
    side().makeUnreachable(rig);

    drop();

    ASSERT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_TRUE(isErrorBoxFor(rig.prompts.shown[0], side().dropLocation, side().openLine))
        << rig.prompts.shown[0].text.toStdString();
    EXPECT_EQ(list().entries(), QStringList({"orders", "products"}));
    EXPECT_EQ(list().SelCount(), 2);
    EXPECT_EQ(tablesInDatabase(), QStringList({"orders", "products"}));
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

INSTANTIATE_TEST_SUITE_P(BothSides, DropTablesTest, ::testing::Values(mysqlSide, standinSide),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DropStatementTest, QuotesTheNameWithTheSideQuoteCharacterAndNothingMore) {
    EXPECT_EQ(dropStatement(mysqlTableSide(), "orders"), "DROP TABLE `orders`");
    EXPECT_EQ(dropStatement(sybaseTableSide(), "orders"), "DROP TABLE \"orders\"");
}

TEST(DropStatementTest, DoublesAQuoteCharacterInsideTheName) {
    EXPECT_EQ(dropStatement(mysqlTableSide(), "a`b\"c"), "DROP TABLE `a``b\"c`");
    EXPECT_EQ(dropStatement(sybaseTableSide(), "a`b\"c"), "DROP TABLE \"a`b\"\"c\"");
    EXPECT_EQ(dropStatement(mysqlTableSide(), "x`; DROP TABLE y; -- `"), "DROP TABLE `x``; DROP TABLE y; -- ```");
}

}
