#include "TableManagerRig.h"
#include "tables/ListNames.h"
#include <gtest/gtest.h>

using namespace tw;

namespace {

class ListNamesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { twtest::ensureApplication(); }
    TableListWidget list;
};

TEST_F(ListNamesTest, ListRemoveTakesOutOnlyExactlyEqualEntries) {
    for (auto n : {"orders", "Orders", "items", "orders"})
        list.AddItem(n);
    ListRemove(list, "orders");
    EXPECT_EQ(list.entries(), QStringList({"items", "Orders"}));
    ListRemove(list, "missing");
    EXPECT_EQ(list.entries(), QStringList({"items", "Orders"}));
}

TEST_F(ListNamesTest, TheSelectionIsReadFromTheBottomUp) {
    for (const char* name : {"alpha", "beta", "gamma"})
        list.AddItem(name);
    list.setSelected(0, true);
    list.setSelected(2, true);
    EXPECT_EQ(SelectedBottomFirst(list), QStringList({"gamma", "alpha"}));
}

}
