#include "TableManagerRig.h"
#include "connect/Catalogue.h"
#include "connect/DbError.h"
#include "tables/ListTables.h"
#include <gtest/gtest.h>

using namespace tw;
using namespace twtest;

namespace {

class CatalogueTest : public ::testing::Test {
protected:
    CatalogueTest() : rig("tw_catalogue") {}

    void createMySql(const QStringList& names) {
        for (const auto& n : names)
            rig.mysql.exec("CREATE TABLE `" + n + "` (id INT)");
    }
    void createStandin(const QStringList& names) {
        for (const auto& n : names)
            rig.standin.exec("CREATE TABLE \"" + n + "\" (id INT)");
    }
    void listMySql() { ListMySQLTables(rig.profile, *rig.List1, rig.yield); }
    void listStandin() { ListSybaseTables(rig.profile, *rig.List2, rig.yield); }

    TableManagerRig rig;
};

TEST_F(CatalogueTest, MySQLConnectsWithTheProfileAndNotWithAWrongPassword) {
    EXPECT_TRUE(MySQLConnects(rig.profile));
    rig.profile.setText(ProfileField::Password, "not-the-password");
    EXPECT_FALSE(MySQLConnects(rig.profile));
    rig.profile.setText(ProfileField::Password, mysqlPassword());
    rig.profile.setText(ProfileField::Port, "1");
    EXPECT_FALSE(MySQLConnects(rig.profile));
}

TEST_F(CatalogueTest, MySQLTablesAreListedSortedWithoutRegardToCase) {
    createMySql({"gamma", "beta", "Alpha", "ALPHA_2", "Delta"});

    listMySql();

    EXPECT_EQ(rig.List1->entries(), QStringList({"Alpha", "ALPHA_2", "beta", "Delta", "gamma"}));
    EXPECT_EQ(rig.yield.count, 5) << "one yield per table";
    EXPECT_TRUE(rig.List2->entries().isEmpty()) << "the other list is not touched";
}

TEST_F(CatalogueTest, AnEmptyMySQLDatabaseEmptiesTheList) {
    rig.List1->AddItem("stale");

    listMySql();

    EXPECT_EQ(rig.List1->ListCount(), 0);
}

TEST_F(CatalogueTest, ListingMySQLTwiceGivesTheSameList) {
    createMySql({"orders", "customers"});

    listMySql();
    listMySql();

    EXPECT_EQ(rig.List1->entries(), QStringList({"customers", "orders"}));
}

TEST_F(CatalogueTest, AFailedMySQLListingRaisesAndLeavesTheListAsItWas) {
    createMySql({"orders"});
    rig.List1->AddItem("stale");
    rig.profile.setText(ProfileField::Database, "");  // connects, but SHOW TABLES has no database

    EXPECT_THROW(listMySql(), DbError);
    EXPECT_EQ(rig.List1->entries(), QStringList({"stale"}));

    rig.profile.setText(ProfileField::Password, "not-the-password");
    EXPECT_THROW(listMySql(), DbError);
    EXPECT_EQ(rig.List1->entries(), QStringList({"stale"}));
}

TEST_F(CatalogueTest, SybaseConnectsOnlyToADataSourceThatExists) {
    EXPECT_TRUE(SybaseConnects(rig.profile));
    rig.profile.setText(ProfileField::DataSourceName, "tw_no_such_source");
    EXPECT_FALSE(SybaseConnects(rig.profile));
}

TEST_F(CatalogueTest, SybaseListsOnlyUserTablesWhoseNamesHoldNoSys) {
    createStandin({"Orders", "beta", "SYSTEM_LOG", "mysys", "Analysys", "sys_data"});
    rig.standin.exec("CREATE TABLE counter (id INTEGER PRIMARY KEY AUTOINCREMENT, n INT)");
    rig.standin.exec("INSERT INTO counter (n) VALUES (1)");  // SQLite now keeps its own sqlite_sequence
    rig.standin.exec("CREATE VIEW ORDERS_V AS SELECT * FROM \"Orders\"");

    listStandin();

    EXPECT_EQ(rig.List2->entries(), QStringList({"beta", "counter", "Orders"}));
    EXPECT_EQ(rig.yield.count, 7) << "one yield per table looked at, none for the view or SQLite's own table";
    EXPECT_TRUE(rig.List1->entries().isEmpty()) << "the other list is not touched";
}

TEST_F(CatalogueTest, SybaseTablesAreListedSortedWithoutRegardToCase) {
    createStandin({"gamma", "Delta", "beta", "Alpha"});

    listStandin();

    EXPECT_EQ(rig.List2->entries(), QStringList({"Alpha", "beta", "Delta", "gamma"}));
}

TEST_F(CatalogueTest, ASybaseDatabaseOfOnlySysNamesGivesAnEmptyList) {
    createStandin({"SYSTABLE", "syscolumns", "my_Sys"});
    rig.List2->AddItem("stale");

    listStandin();

    EXPECT_EQ(rig.List2->ListCount(), 0);
}

TEST_F(CatalogueTest, AnEmptySybaseDatabaseEmptiesTheList) {
    rig.List2->AddItem("stale");

    listStandin();

    EXPECT_EQ(rig.List2->ListCount(), 0);
}

TEST_F(CatalogueTest, ListingSybaseTwiceGivesTheSameList) {
    createStandin({"orders", "customers"});

    listStandin();
    listStandin();

    EXPECT_EQ(rig.List2->entries(), QStringList({"customers", "orders"}));
}

TEST_F(CatalogueTest, AFailedSybaseListingRaisesAndLeavesTheListAsItWas) {
    rig.List2->AddItem("stale");
    rig.profile.setText(ProfileField::DataSourceName, "tw_no_such_source");

    EXPECT_THROW(listStandin(), DbError);
    EXPECT_EQ(rig.List2->entries(), QStringList({"stale"}));
}

}
