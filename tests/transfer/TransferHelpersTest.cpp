#include "TableManagerRig.h"
#include "transfer/TransferHelpers.h"
#include <gtest/gtest.h>

using namespace tw;

namespace {

class TransferHelpersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { twtest::ensureApplication(); }
    TableListWidget list;
};

TEST_F(TransferHelpersTest, ListContainsComparesWithoutRegardToCase) {
    EXPECT_FALSE(ListContains(list, "orders"));
    list.AddItem("Customers");
    list.AddItem("Orders");
    EXPECT_TRUE(ListContains(list, "orders"));
    EXPECT_TRUE(ListContains(list, "CUSTOMERS"));
    EXPECT_FALSE(ListContains(list, "order"));
}

TEST_F(TransferHelpersTest, ListRemoveTakesOutOnlyExactlyEqualEntries) {
    for (auto n : {"orders", "Orders", "items", "orders"})
        list.AddItem(n);
    ListRemove(list, "orders");
    EXPECT_EQ(list.entries(), QStringList({"items", "Orders"}));
    ListRemove(list, "missing");
    EXPECT_EQ(list.entries(), QStringList({"items", "Orders"}));
}

TEST_F(TransferHelpersTest, NullToReplacesOnlyNull) {
    EXPECT_EQ(NullTo(Value(), Value::text("x")), Value::text("x"));
    EXPECT_EQ(NullTo(Value::text(""), Value::text("x")), Value::text(""));
    EXPECT_EQ(NullTo(Value::integer(0), Value::text("x")), Value::integer(0));
}

}
