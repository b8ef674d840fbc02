#include "tables/TableListWidget.h"
#include <QApplication>
#include <gtest/gtest.h>

using namespace tw;

namespace {

class TableListTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "tables_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
    TableListWidget list;
};

TEST_F(TableListTest, AddItemKeepsTheListSortedWithoutRegardToCase) {
    list.AddItem("beta");
    list.AddItem("Alpha");
    list.AddItem("gamma");
    list.AddItem("ALPHA");
    EXPECT_EQ(list.entries(), QStringList({"Alpha", "ALPHA", "beta", "gamma"}));
}

TEST_F(TableListTest, CurrentEntryIsSeparateFromTheSelection) {
    for (auto n : {"a", "b", "c"})
        list.AddItem(n);
    EXPECT_EQ(list.ListIndex(), -1);
    list.setListIndex(0);
    EXPECT_EQ(list.ListIndex(), 0);
    EXPECT_EQ(list.SelCount(), 0);
    list.setSelected(2, true);
    list.setSelected(1, true);
    EXPECT_EQ(list.SelCount(), 2);
    EXPECT_EQ(list.ListIndex(), 0);
    EXPECT_FALSE(list.Selected(0));
    list.AddItem("aa");
    EXPECT_FALSE(list.Selected(1)) << "a new entry arrives unselected";
    list.Clear();
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.ListCount(), 0);
}

TEST_F(TableListTest, WalkFromTheBottomVisitsEachEntryOnceWhileRemoving) {
    for (auto n : {"t0", "t1", "t2", "t3", "t4"})
        list.AddItem(n);
    list.RemoveItem(2);
    EXPECT_EQ(list.entries(), QStringList({"t0", "t1", "t3", "t4"}));
    QStringList visited;
    for (int i = list.ListCount() - 1; i >= 0; --i) {
        visited << list.List(i);
        if (i % 2 == 0)
            list.RemoveItem(i);
    }
    EXPECT_EQ(visited, QStringList({"t4", "t3", "t1", "t0"}));
    EXPECT_EQ(list.entries(), QStringList({"t1", "t4"}));
}

TEST_F(TableListTest, OutOfRangeIndexIsAnError) {
    list.AddItem("only");
    EXPECT_ANY_THROW(list.List(1));
    EXPECT_ANY_THROW(list.RemoveItem(-1));
}

}
