#include "StandinTest.h"
#include <QDate>

// Keys, defaults, indexes, foreign keys and comments as SQL Anywhere keeps
// and enforces them, and as its catalogue functions report them.
class StructureTest : public StandinTest {
protected:
    void SetUp() override {
        StandinTest::SetUp();
        run(R"(CREATE TABLE "p"("a" INTEGER NOT NULL, "b" NCHAR(2) NOT NULL, "name" NVARCHAR(20), PRIMARY KEY ("a", "b")))");
        run(R"(CREATE TABLE "c"("id" INTEGER NOT NULL DEFAULT AUTOINCREMENT, "pa" INTEGER, "pb" NCHAR(2),
               "mail" NVARCHAR(40), "at" TIMESTAMP DEFAULT CURRENT TIMESTAMP, "touched" TIMESTAMP DEFAULT TIMESTAMP,
               "n" NUMERIC(8,2) NOT NULL DEFAULT 1.50, PRIMARY KEY ("id")))");
        run(R"(CREATE UNIQUE INDEX "ux_mail" ON "c"("mail"))");
        run(R"(INSERT INTO "p" VALUES (1, 'aa', 'one'), (2, 'bb', 'two'))");
    }

    // Each row of a catalogue result, its fields from the third on.
    QStringList catalogue(int schema, const QString& table) {
        QStringList rows;
        for (tw::Recordset rs = conn.OpenSchema(schema, table); rs.isOpen() && !rs.isEOF(); rs.MoveNext()) {
            QStringList fields;
            for (int i = 2; i < rs.fieldCount(); ++i)
                fields << rs.Fields(i).Value.toText();
            rows << fields.join("|");
        }
        return rows;
    }
    QString text(const QString& sql) { return valueOf(sql).toText(); }
};

TEST_F(StructureTest, KeysRefuseWhatSqlAnywhereRefusesInItsWords) {
    tw::DbError key = errorOf(R"(INSERT INTO "p" VALUES (1, 'aa', 'again'))");
    EXPECT_EQ(key.sqlState(), "23000");
    EXPECT_EQ(key.message(), "[Tablewright][SQLite stand-in] Primary key for table 'p' is not unique");

    run(R"(INSERT INTO "c"("mail") VALUES ('x@y'))");
    tw::DbError unique = errorOf(R"(INSERT INTO "c"("mail") VALUES ('x@y'))");
    EXPECT_EQ(unique.sqlState(), "23000");
    EXPECT_EQ(unique.message(), "[Tablewright][SQLite stand-in] Index 'ux_mail' for table 'c' would not be unique");

    // The foreign key checks the rows already there before it is added.
    run(R"(INSERT INTO "c"("pa", "pb") VALUES (9, 'zz'))");
    tw::DbError existing = errorOf(R"(ALTER TABLE "c" ADD CONSTRAINT "fk_p" FOREIGN KEY ("pa", "pb") REFERENCES "p"("a", "b"))");
    EXPECT_EQ(existing.message(), "[Tablewright][SQLite stand-in] No primary key value for foreign key 'fk_p' in table 'c'");
    run(R"(DELETE FROM "c" WHERE "pa" = 9)");
    run(R"(ALTER TABLE "c" ADD CONSTRAINT "fk_p" FOREIGN KEY ("pa", "pb") REFERENCES "p"("a", "b") ON DELETE CASCADE ON UPDATE SET NULL)");
    tw::DbError orphan = errorOf(R"(INSERT INTO "c"("pa", "pb") VALUES (3, 'cc'))");
    EXPECT_EQ(orphan.sqlState(), "23000");
    EXPECT_EQ(orphan.message(), "[Tablewright][SQLite stand-in] No primary key value for foreign key 'fk_p' in table 'c'");
    run(R"(INSERT INTO "c"("pa", "pb") VALUES (1, 'aa'), (2, 'bb'), (NULL, 'zz'))");  // a NULL part is never checked

    run(R"(DELETE FROM "p" WHERE "a" = 1)");
    EXPECT_EQ(text(R"(SELECT COUNT(*) FROM "c" WHERE "pa" = 1)"), "0") << "the delete cascades";
    run(R"(UPDATE "p" SET "a" = 20 WHERE "a" = 2)");
    EXPECT_EQ(text(R"(SELECT COUNT(*) FROM "c" WHERE "pa" IS NULL AND "pb" IS NULL)"), "2") << "the update sets the key NULL";

    run(R"(CREATE TABLE "r"("k" INTEGER PRIMARY KEY))");
    run(R"(CREATE TABLE "rc"("k" INTEGER))");
    run(R"(ALTER TABLE "rc" ADD FOREIGN KEY ("k") REFERENCES "r")");
    run(R"(INSERT INTO "r" VALUES (1))");
    run(R"(INSERT INTO "rc" VALUES (1))");
    tw::DbError restricted = errorOf(R"(DELETE FROM "r")");
    EXPECT_EQ(restricted.message(), "[Tablewright][SQLite stand-in] Primary key for row in table 'r' is referenced in another table");
    // Dropping the referencing table takes its key along: the row can go.
    run(R"(DROP TABLE "rc")");
    run(R"(DELETE FROM "r")");
}

TEST_F(StructureTest, DefaultsAreSqlAnywheresOwn) {
    run(R"(INSERT INTO "c"("id", "mail") VALUES (41, 'a'))");
    run(R"(INSERT INTO "c"("mail") VALUES ('b'))");
    EXPECT_EQ(text(R"(SELECT "id" FROM "c" WHERE "mail" = 'b')"), "42") << "past the largest value";
    EXPECT_EQ(text(R"(SELECT "n" FROM "c" WHERE "mail" = 'b')"), "1.50");
    const QString at = text(R"(SELECT "at" FROM "c" WHERE "mail" = 'b')");
    EXPECT_EQ(at.left(10), QDate::currentDate().toString(Qt::ISODate)) << "local time, as the server gives it";
    run(R"(UPDATE "c" SET "touched" = '2000-01-01 00:00:00' WHERE "mail" = 'b')");
    EXPECT_EQ(text(R"(SELECT "touched" FROM "c" WHERE "mail" = 'b')"), "2000-01-01 00:00:00") << "a value given stays";
    run(R"(UPDATE "c" SET "mail" = 'bb' WHERE "mail" = 'b')");
    EXPECT_NE(text(R"(SELECT "touched" FROM "c" WHERE "mail" = 'bb')"), "2000-01-01 00:00:00") << "any other update sets it";
}

TEST_F(StructureTest, TheCatalogueReportsKeysIndexesDefaultsAndComments) {
    run(R"(ALTER TABLE "c" ADD CONSTRAINT "fk_p" FOREIGN KEY ("pa", "pb") REFERENCES "p" ON DELETE CASCADE)");
    run(R"(CREATE INDEX "ix_at" ON "c"("at", "n"))");
    run(R"(CREATE INDEX "ix_at" ON "p"("name"))");  // an index name is its table's alone
    run(R"(COMMENT ON TABLE "c" IS 'children')");
    run(R"(COMMENT ON COLUMN "c"."mail" IS 'where to write')");

    const QStringList columns = catalogue(tw::adSchemaColumns, "c");
    ASSERT_EQ(columns.size(), 7);
    // TABLE_NAME|COLUMN_NAME|DATA_TYPE|TYPE_NAME|COLUMN_SIZE|BUFFER_LENGTH|DECIMAL_DIGITS|NUM_PREC_RADIX|NULLABLE|REMARKS|COLUMN_DEF|…
    EXPECT_TRUE(columns[0].startsWith("c|id|4|integer|10|4|0|10|0||autoincrement|")) << columns[0];
    EXPECT_TRUE(columns[3].startsWith("c|mail|-9|nvarchar|40|80|0|10|1|where to write||")) << columns[3];
    EXPECT_TRUE(columns[4].startsWith("c|at|93|timestamp|26|16|6|10|1||current timestamp|")) << columns[4];
    EXPECT_TRUE(columns[5].contains("|timestamp|")) << columns[5];
    EXPECT_TRUE(columns[6].startsWith("c|n|2|numeric|8|10|2|10|0||1.50|")) << columns[6];

    EXPECT_EQ(catalogue(tw::adSchemaIndexes, "c"),
              QStringList({"c|0||c|3|1|id|A|||", "c|0||ux_mail|3|1|mail|A|||", "c|1||ix_at|3|1|at|A|||",
                           "c|1||ix_at|3|2|n|A|||"}));
    EXPECT_EQ(catalogue(tw::adSchemaForeignKeys, "c"),
              QStringList({"p|a|||c|pa|1|1|0|fk_p|p|7", "p|b|||c|pb|2|1|0|fk_p|p|7"}));

    // A rename takes the keys and comments along; a drop takes them away.
    run(R"(ALTER TABLE "c" RENAME "kids")");
    EXPECT_EQ(catalogue(tw::adSchemaForeignKeys, "kids").size(), 2);
    EXPECT_EQ(text(R"(SELECT remarks FROM sa_remark WHERE table_name = 'kids' AND column_name = '')"), "children");
    tw::Recordset tables = conn.OpenSchema(tw::adSchemaTables);
    QStringList listed;
    for (; !tables.isEOF(); tables.MoveNext())
        listed << tables.Fields("TABLE_NAME").Value.toText() + ":" + tables.Fields("TABLE_TYPE").Value.toText() + ":" +
                      tables.Fields("DESCRIPTION").Value.toText();
    EXPECT_TRUE(listed.contains("kids:TABLE:children")) << listed.join(", ");
    EXPECT_TRUE(listed.contains("sa_remark:SYSTEM TABLE:")) << listed.join(", ");
    run(R"(DROP TABLE "kids")");
    EXPECT_EQ(text(R"(SELECT COUNT(*) FROM sa_remark)"), "0");
    EXPECT_EQ(text(R"(SELECT COUNT(*) FROM sa_foreign_key)"), "0");
}
