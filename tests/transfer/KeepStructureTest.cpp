#include "TableManagerRig.h"
#include "connect/Connection.h"
#include "connect/Recordset.h"
#include "tables/SendTables.h"
#include "transfer/TransferAccount.h"
#include "TransferCase.h"
#include <gtest/gtest.h>

using namespace tw;
using namespace twtest;

namespace {

// What MySQL's own catalogue says of the tables of the current database:
// columns, indexes, foreign keys, comments and the next AUTO_INCREMENT.
QStringList mySqlCatalogue(TableManagerRig& rig) {
    Connection c = openMySql(rig.mysql.connectString());
    QStringList lines;
    auto add = [&](const QString& what, const QString& sql) {
        for (const QStringList& row : readRows(c, sql))
            lines << what + ": " + row.join(" | ");
    };
    add("column", "SELECT TABLE_NAME, ORDINAL_POSITION, COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, COALESCE(COLUMN_DEFAULT, '(none)'), "
                  "EXTRA, COLUMN_COMMENT FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() ORDER BY 1, 2");
    add("index", "SELECT TABLE_NAME, INDEX_NAME, NON_UNIQUE, SEQ_IN_INDEX, COLUMN_NAME FROM information_schema.STATISTICS "
                 "WHERE TABLE_SCHEMA = DATABASE() ORDER BY 1, 2, 4");
    add("foreign key", "SELECT TABLE_NAME, CONSTRAINT_NAME, REFERENCED_TABLE_NAME, UPDATE_RULE, DELETE_RULE "
                       "FROM information_schema.REFERENTIAL_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = DATABASE() ORDER BY 1, 2");
    add("key column", "SELECT TABLE_NAME, CONSTRAINT_NAME, ORDINAL_POSITION, COLUMN_NAME, REFERENCED_COLUMN_NAME "
                      "FROM information_schema.KEY_COLUMN_USAGE WHERE TABLE_SCHEMA = DATABASE() ORDER BY 1, 2, 3");
    add("table", "SELECT TABLE_NAME, TABLE_COMMENT, COALESCE(AUTO_INCREMENT, '') FROM information_schema.TABLES "
                 "WHERE TABLE_SCHEMA = DATABASE() ORDER BY 1");
    return lines;
}

// What the iAnywhere driver's catalogue functions answer for each table,
// every field as it gives it.
QStringList iAnywhereCatalogue(TableManagerRig& rig, const QStringList& tables) {
    Connection c = openStandin(rig.standin.connectString());
    QStringList lines;
    auto add = [&](const QString& what, Recordset rs) {
        for (; rs.isOpen() && !rs.isEOF(); rs.MoveNext()) {
            QStringList fields;
            for (int i = 2; i < rs.fieldCount(); ++i)
                fields << rs.Fields(i).Value.toText();
            lines << what + ": " + fields.join(" | ");
        }
    };
    for (const QString& table : tables) {
        add("column", c.OpenSchema(adSchemaColumns, table));
        add("key", c.OpenSchema(adSchemaPrimaryKeys, table));
        add("index", c.OpenSchema(adSchemaIndexes, table));
        add("foreign key", c.OpenSchema(adSchemaForeignKeys, table));
    }
    for (const QStringList& row : readRows(c, "SELECT table_name, column_name, remarks FROM sa_remark ORDER BY 1, 2"))
        lines << "comment: " + row.join(" | ");
    return lines;
}

Rows mySqlRows(TableManagerRig& rig, const QString& table) {
    Connection c = openMySql(rig.mysql.connectString());
    return readRows(c, "SELECT * FROM `" + table + "` ORDER BY 1");
}

Rows iAnywhereRows(TableManagerRig& rig, const QString& table) {
    Connection c = openStandin(rig.standin.connectString());
    return readRows(c, "SELECT * FROM \"" + table + "\" ORDER BY 1");
}

// Selects the tables in the list, listed there first if they are not, and clicks.
void send(TableManagerRig& rig, void (*click)(TableManagerUi&), TableListWidget& from, const QStringList& tables) {
    for (const QString& t : tables)
        if (!from.entries().contains(t))
            from.AddItem(t);
    for (int i = 0; i < from.ListCount(); ++i)
        from.setSelected(i, tables.contains(from.List(i)));
    from.setListIndex(0);
    TableManagerUi ui = rig.ui();
    click(ui);
}

const TableAccount& accountOf(TableManagerRig& rig, const QString& table) {
    for (const TableAccount& t : rig.transfer.accounts.back().tables)
        if (t.name == table)
            return t;
    throw std::runtime_error("no account for " + table.toStdString());
}

class KeepStructureTest : public ::testing::Test {
protected:
    KeepStructureTest() : rig("tw_keep") { rig.transfer.keep = true; }
    TableManagerRig rig;
};

// The round trips, row by row and with fast copy (MariaDB's bulk arrays one way, prepared rows the other).
class KeepStructureRoundTrip : public KeepStructureTest, public ::testing::WithParamInterface<bool> {
protected:
    KeepStructureRoundTrip() { rig.transfer.fast = GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(PerRowAndFastCopy, KeepStructureRoundTrip, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "FastCopy" : "PerRow"; });

TEST_P(KeepStructureRoundTrip, AMySqlSchemaComesBackFromIAnywhereAsItWas) {
    rig.mysql.exec("CREATE TABLE owners (region CHAR(2) NOT NULL, num INT NOT NULL, "
                   "name VARCHAR(60) NOT NULL DEFAULT 'unnamed' COMMENT 'who owns it', PRIMARY KEY (region, num)) "
                   "COMMENT='the owners'");
    rig.mysql.exec("CREATE TABLE items (id INT UNSIGNED NOT NULL AUTO_INCREMENT, region CHAR(2), num INT, "
                   "sku VARCHAR(20) NOT NULL, price DECIMAL(12,2) NOT NULL DEFAULT 0.00, weight FLOAT, ratio DOUBLE, "
                   "qty SMALLINT NOT NULL DEFAULT 1, big BIGINT, ubig BIGINT UNSIGNED, usmall SMALLINT UNSIGNED, "
                   "tiny TINYINT UNSIGNED, made DATE, at_time TIME, created DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP, "
                   "changed DATETIME DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP, code BINARY(4), "
                   "bytes VARBINARY(16), active BIT(1) NOT NULL DEFAULT b'1', note VARCHAR(200) COMMENT 'free text', "
                   "PRIMARY KEY (id), UNIQUE KEY uq_sku (sku), KEY ix_made_price (made, price), KEY ix_note (note), "
                   "CONSTRAINT fk_owner FOREIGN KEY (region, num) REFERENCES owners (region, num) "
                   "ON DELETE CASCADE ON UPDATE RESTRICT) COMMENT='the items'");
    rig.mysql.exec("INSERT INTO owners VALUES ('NO', 1, 'Nordic'), ('DE', 2, DEFAULT), ('FR', 3, 'l''Est')");
    for (int i = 1; i <= 40; ++i)
        rig.mysql.exec(QString("INSERT INTO items (id, region, num, sku, price, weight, ratio, qty, big, ubig, usmall, tiny, made, "
                               "at_time, created, changed, code, bytes, active, note) VALUES (%1, %2, 'SKU-%1', %3, %4, %5, %6, "
                               "%7, %8, %9, %10, '2024-02-%11', '23:59:%12', '2001-01-01 10:00:%12', NULL, 0x0102030%13, "
                               "0x00ff, %14, %15)")
                           .arg(i)
                           .arg(i % 4 == 0 ? "NULL, NULL" : i % 2 ? "'NO', 1" : "'FR', 3")
                           .arg(QString::number(i * 1234567.89, 'f', 2))
                           .arg(i % 5 ? QString::number(i * 0.5) : "NULL")
                           .arg(i % 3 ? "-1.7976931348623157e308" : "2.5")
                           .arg(i % 7)
                           .arg(i % 2 ? "-9223372036854775808" : "9223372036854775807")
                           .arg(i % 2 ? "18446744073709551615" : "0")
                           .arg(65535 - i)
                           .arg(255 - i)
                           .arg(i % 28 + 1, 2, 10, QChar('0'))
                           .arg(i % 60, 2, 10, QChar('0'))
                           .arg(i % 10)
                           .arg(i % 2)
                           .arg(i % 6 ? QString("'note %1: it''s'").arg(i) : "NULL"));
    rig.mysql.exec("INSERT INTO items (id, sku) VALUES (1000, 'last')");
    const QStringList before = mySqlCatalogue(rig);
    const Rows owners = mySqlRows(rig, "owners"), items = mySqlRows(rig, "items");
    ASSERT_TRUE(before.contains("table: items | the items | 1001"));

    send(rig, PushButton3_Click, *rig.List1, {"owners", "items"});
    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(accountOf(rig, "items").structureKept,
              QStringList({"primary key", "5 defaults", "auto-increment", "2 comments", "3 indexes", "1 foreign key"}));
    EXPECT_EQ(accountOf(rig, "items").verification.result, Verification::Result::Verified);
    EXPECT_EQ(accountOf(rig, "owners").structureKept, QStringList({"primary key", "1 default", "2 comments"}));

    rig.mysql.exec("DROP TABLE items");
    rig.mysql.exec("DROP TABLE owners");
    rig.List1->Clear();
    send(rig, PushButton4_Click, *rig.List2, {"owners", "items"});
    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(mySqlCatalogue(rig), before);
    EXPECT_EQ(mySqlRows(rig, "owners"), owners);
    EXPECT_EQ(mySqlRows(rig, "items"), items);
    EXPECT_TRUE(accountOf(rig, "items").typesChanged.isEmpty()) << accountOf(rig, "items").typesChanged.join("; ").toStdString();

    // The keys work as the original's did: the cascade, the unique SKU, the next id.
    rig.mysql.exec("DELETE FROM owners WHERE region = 'NO'");
    Connection c = openMySql(rig.mysql.connectString());
    EXPECT_EQ(readRows(c, "SELECT COUNT(*) FROM items"), Rows({{"21"}}));
    rig.mysql.exec("INSERT INTO items (sku) VALUES ('next')");
    EXPECT_EQ(readRows(c, "SELECT id FROM items WHERE sku = 'next'"), Rows({{"1001"}}));
}

TEST_P(KeepStructureRoundTrip, AnIAnywhereSchemaComesBackFromMySqlAsItWas) {
    rig.standin.exec(R"(CREATE TABLE "depts"("code" NCHAR(3) NOT NULL, "site" SMALLINT NOT NULL,
        "title" NVARCHAR(80) NOT NULL DEFAULT 'untitled', PRIMARY KEY ("code", "site")))");
    rig.standin.exec(R"(COMMENT ON TABLE "depts" IS 'departments')");
    rig.standin.exec(R"(COMMENT ON COLUMN "depts"."title" IS 'as printed')");
    rig.standin.exec(R"(CREATE TABLE "staff"("id" INTEGER NOT NULL DEFAULT AUTOINCREMENT, "code" NCHAR(3), "site" SMALLINT,
        "login" NVARCHAR(30) NOT NULL, "salary" NUMERIC(10,2) NOT NULL DEFAULT 0.00, "level" TINYINT, "badge" UNSIGNED INT,
        "serial" UNSIGNED BIGINT, "score" REAL, "weight" DOUBLE, "born" DATE, "starts" TIME,
        "hired" TIMESTAMP NOT NULL DEFAULT CURRENT TIMESTAMP, "touched" TIMESTAMP DEFAULT TIMESTAMP, "photo" VARBINARY(64),
        "tag" BINARY(2), "active" BIT NOT NULL DEFAULT 1, "bio" LONG NVARCHAR, PRIMARY KEY ("id")))");
    rig.standin.exec(R"(CREATE UNIQUE INDEX "ux_login" ON "staff"("login"))");
    rig.standin.exec(R"(CREATE INDEX "ix_site_level" ON "staff"("site", "level"))");
    rig.standin.exec(R"(COMMENT ON COLUMN "staff"."bio" IS 'in their words')");
    rig.standin.exec(R"(INSERT INTO "depts" VALUES ('ACC', 1, 'Accounts'))");
    rig.standin.exec(R"(INSERT INTO "depts"("code", "site") VALUES ('OPS', 2))");
    for (int i = 1; i <= 30; ++i)
        rig.standin.exec(QString(R"(INSERT INTO "staff"("code", "site", "login", "salary", "level", "badge", "serial", "score",
            "weight", "born", "starts", "hired", "touched", "photo", "tag", "active", "bio") VALUES (%1, 'user%2', %3, %4,
            4294967295, 18446744073709551615, 0.5, 1e300, '1980-01-%5', '08:30:00', '2024-05-01 09:00:00.%6',
            '2024-05-02 10:00:00', 0x00ff%7, 0x0a0b, %8, 'Grüße 日本 %2'))")
                             .arg(i % 3 == 0 ? "NULL, NULL" : i % 2 ? "'ACC', 1" : "'OPS', 2")
                             .arg(i)
                             .arg(i * 1000 + 0.25)
                             .arg(i * 8)
                             .arg(i % 28 + 1, 2, 10, QChar('0'))
                             .arg(i * 1234, 6, 10, QChar('0'))
                             .arg(i, 2, 16, QChar('0'))
                             .arg(i % 2));
    rig.standin.exec(R"(ALTER TABLE "staff" ADD CONSTRAINT "fk_dept" FOREIGN KEY ("code", "site") REFERENCES "depts"("code", "site")
        ON DELETE CASCADE)");
    const QStringList tables{"depts", "staff"};
    const QStringList before = iAnywhereCatalogue(rig, tables);
    const Rows staff = iAnywhereRows(rig, "staff");

    send(rig, PushButton4_Click, *rig.List2, tables);
    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    // MySQL's own words for what arrived.
    Connection mysql = openMySql(rig.mysql.connectString());
    EXPECT_EQ(readRows(mysql, "SELECT COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, EXTRA FROM information_schema.COLUMNS "
                              "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'staff' AND COLUMN_NAME IN "
                              "('id', 'level', 'badge', 'serial', 'salary', 'hired', 'touched', 'starts', 'active', 'bio') "
                              "ORDER BY ORDINAL_POSITION"),
              Rows({{"id", "int(11)", "NO", "auto_increment"},
                    {"salary", "decimal(10,2)", "NO", ""},
                    {"level", "tinyint(3) unsigned", "YES", ""},
                    {"badge", "int(10) unsigned", "YES", ""},
                    {"serial", "bigint(20) unsigned", "YES", ""},
                    {"starts", "time", "YES", ""},
                    {"hired", "datetime(6)", "NO", ""},
                    {"touched", "datetime", "YES", "on update current_timestamp()"},
                    {"active", "bit(1)", "NO", ""},
                    {"bio", "longtext", "YES", ""}}));
    EXPECT_EQ(readRows(mysql, "SELECT DELETE_RULE, UPDATE_RULE FROM information_schema.REFERENTIAL_CONSTRAINTS "
                              "WHERE CONSTRAINT_SCHEMA = DATABASE() AND CONSTRAINT_NAME = 'fk_dept'"),
              Rows({{"CASCADE", "RESTRICT"}}));
    EXPECT_EQ(readRows(mysql, "SELECT AUTO_INCREMENT FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() "
                              "AND TABLE_NAME = 'staff'"),
              Rows({{"31"}}));

    rig.standin.exec(R"(DROP TABLE "staff")");
    rig.standin.exec(R"(DROP TABLE "depts")");
    rig.List2->Clear();
    send(rig, PushButton3_Click, *rig.List1, tables);
    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(iAnywhereCatalogue(rig, tables), before);
    EXPECT_EQ(iAnywhereRows(rig, "staff"), staff);
}

TEST_F(KeepStructureTest, WhatCannotBeCarriedIsSaidAndTheRowsStillArrive) {
    rig.mysql.exec("CREATE TABLE elsewhere (id INT PRIMARY KEY)");
    rig.mysql.exec("INSERT INTO elsewhere VALUES (1)");
    rig.mysql.exec("CREATE TABLE docs (id INT NOT NULL PRIMARY KEY, title VARCHAR(100), body TEXT, ref INT, "
                   "token CHAR(36) DEFAULT (uuid()), FULLTEXT KEY ft_body (body), KEY ix_title_start (title(10)), "
                   "KEY ix_ref (ref), CONSTRAINT fk_elsewhere FOREIGN KEY (ref) REFERENCES elsewhere (id))");
    rig.mysql.exec("INSERT INTO docs (id, title, body, ref) VALUES (1, 'a', 'some words', 1), (2, 'b', NULL, NULL)");

    send(rig, PushButton3_Click, *rig.List1, {"docs"});
    const TableAccount& docs = accountOf(rig, "docs");
    EXPECT_EQ(docs.rowsAccepted, 2);
    EXPECT_EQ(docs.verification.result, Verification::Result::Verified);
    EXPECT_EQ(docs.structureLeftOut, QStringList({"the default of token: uuid() has no counterpart",
                                                  "index ft_body: FULLTEXT index",
                                                  "index ix_title_start: an index on the first 10 characters of title",
                                                  "foreign key fk_elsewhere: elsewhere was not copied"}));
    EXPECT_EQ(docs.structureKept, QStringList({"primary key", "1 index"}));
    EXPECT_EQ(docs.typesChanged, QStringList({"body text became LONG NVARCHAR"}));
    EXPECT_TRUE(docs.text().contains("; left out: the default of token: uuid() has no counterpart; index ft_body"));

    // A CREATE INDEX the target refuses is a line of the account, not a lost
    // table: MySQL's names end at 64 characters, iAnywhere's at 128. An index
    // MySQL makes on the start of a long column only is said too.
    const QString longName = "ix_" + QString(80, 'n');
    rig.standin.exec(R"(CREATE TABLE "wide"("id" INTEGER NOT NULL PRIMARY KEY, "name" NVARCHAR(20), "body" NVARCHAR(1000)))");
    rig.standin.exec(R"(CREATE INDEX ")" + longName + R"(" ON "wide"("name"))");
    rig.standin.exec(R"(CREATE INDEX "ix_body" ON "wide"("body"))");
    rig.standin.exec(R"(INSERT INTO "wide" VALUES (1, 'x', 'y'))");
    send(rig, PushButton4_Click, *rig.List2, {"wide"});
    const TableAccount& wide = accountOf(rig, "wide");
    EXPECT_EQ(wide.rowsAccepted, 1);
    EXPECT_EQ(wide.verification.result, Verification::Result::Verified);
    ASSERT_EQ(wide.structureLeftOut.size(), 2) << wide.structureLeftOut.join("; ").toStdString();
    EXPECT_TRUE(wide.structureLeftOut[0].startsWith("index " + longName + ": ")) << wide.structureLeftOut[0].toStdString();
    EXPECT_TRUE(wide.structureLeftOut[0].contains("is too long")) << wide.structureLeftOut[0].toStdString();
    EXPECT_EQ(wide.structureLeftOut[1], "index ix_body: only the first 768 characters of body");
    ASSERT_EQ(rig.prompts.shown.size(), 1u) << "the failed statement has its box";
    EXPECT_TRUE(statementShown(rig.prompts.shown[0]).startsWith("CREATE INDEX `" + longName + "` ON `wide`"));
}

TEST_F(KeepStructureTest, AValueTheMappedTypeCannotHoldIsARejectedRow) {
    rig.mysql.exec("CREATE TABLE spans (id INT PRIMARY KEY, span TIME)");
    rig.mysql.exec("INSERT INTO spans VALUES (1, '23:59:59'), (2, '30:00:00'), (3, '-01:00:00')");
    rig.prompts.answerMsgBox(MsgAnswer::Yes);  // the first box: count the others quietly
    send(rig, PushButton3_Click, *rig.List1, {"spans"});
    const TableAccount& spans = accountOf(rig, "spans");
    EXPECT_EQ(spans.rowsAccepted, 1);
    EXPECT_EQ(spans.rowsFailed, 2);
    EXPECT_EQ(spans.firstFailure, "[Tablewright][SQLite stand-in] Cannot convert '30:00:00' to a time");
    EXPECT_EQ(iAnywhereRows(rig, "spans"), Rows({{"1", "23:59:59"}}));
}

TEST_F(KeepStructureTest, OffTheTablesAreCreatedAsEver) {
    rig.transfer.keep = false;
    rig.mysql.exec("CREATE TABLE keyed (id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY, "
                   "name VARCHAR(20) NOT NULL DEFAULT 'x' COMMENT 'c', UNIQUE KEY uq_name (name)) COMMENT='t'");
    rig.mysql.exec("INSERT INTO keyed (name) VALUES ('a')");
    SentStatements sent;
    rig.List1->AddItem("keyed");
    rig.selectAll(*rig.List1);
    rig.List1->setListIndex(0);
    TableManagerUi ui = rig.ui();
    transferTables(toIAnywhere(), ui, &sent);
    EXPECT_EQ(sent.all(), QStringList({R"(CREATE TABLE "keyed"("id" NUMERIC,"name" TEXT))",
                                       R"(INSERT INTO "keyed" VALUES(1, 'a'))"}));
    EXPECT_TRUE(rig.transfer.accounts.back().tables.at(0).structureKept.isEmpty());
}

}
