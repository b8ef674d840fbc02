#include "TransferCase.h"
#include <QRegularExpression>

using namespace tw;
using namespace twtest;

namespace {

// A table as a SQL Anywhere user makes it: every type of theirs, with values
// at their limits, and a row of NULLs where the column takes them.
struct SqlAnywhereColumn {
    const char* name;
    const char* type;
    const char* low;
    const char* high;
    const char* empty;  // the third row: NULL, or what a NOT NULL column holds
};

const SqlAnywhereColumn columns[] = {
    {"k", "INTEGER", "1", "2", "3"},
    {"i", "INTEGER", "-2147483648", "2147483647", "NULL"},
    {"si", "SMALLINT", "-32768", "32767", "NULL"},
    {"ti", "TINYINT", "0", "255", "NULL"},
    {"bi", "BIGINT", "-9223372036854775808", "9223372036854775807", "NULL"},
    {"ui", "UNSIGNED INT", "0", "4294967295", "NULL"},
    {"usi", "UNSIGNED SMALLINT", "0", "65535", "NULL"},
    {"ubi", "UNSIGNED BIGINT", "0", "18446744073709551615", "NULL"},
    {"n", "NUMERIC", "-999999999999999999999999.999999", "123456789012345678901234.000001", "NULL"},
    {"n102", "NUMERIC(10,2)", "-12345678.99", "0.01", "NULL"},
    {"wide", "NUMERIC(70,10)", "-1234567890123456789012345678901234567890123456789012345678901234567890e-10",
     "0.0000000001", "NULL"},
    {"fine", "DECIMAL(40,35)", "12345.12345678901234567890123456789012345", "-0.00000000000000000000000000000000001",
     "NULL"},
    {"m", "MONEY", "-922337203685477.5808", "12.5", "NULL"},
    {"sm", "SMALLMONEY", "-214748.3648", "214748.3647", "NULL"},
    {"r", "REAL", "-3.4028234663852886e38", "1.5", "NULL"},
    {"f", "FLOAT", "0.25", "16777216", "NULL"},
    {"d", "DOUBLE", "-1.7976931348623157e308", "2.5e-308", "NULL"},
    {"b", "BIT", "0", "1", "1"},
    {"bn", "BIT NULL", "1", "0", "NULL"},
    {"c", "CHAR(10)", "'abc'", "''''", "NULL"},
    {"vc", "VARCHAR(40)", "'C:\\\\new\\\\x41'", "'Grüße 日本'", "''"},
    {"lvc", "LONG VARCHAR", "'line 1\\nline 2'", "'😀 𝄞'", "NULL"},
    {"tx", "TEXT", "'True'", "'False'", "NULL"},
    {"nc", "NCHAR(4)", "'ÀÉÎÕ'", "'x'", "NULL"},
    {"nvc", "NVARCHAR(30)", "'日本語のテキスト'", "'{fn now()} ? --'", "NULL"},
    {"lnvc", "LONG NVARCHAR", "'àéîõü ß 🎉👍🏽'", "'NULL'", "NULL"},
    {"x", "XML", "'<a b=\"1\">&amp;</a>'", "'<empty/>'", "NULL"},
    {"bin", "BINARY(4)", "0x00ff2710", "0x27", "NULL"},
    {"vb", "VARBINARY(16)", "0x", "0x5c27", "NULL"},
    {"lb", "LONG BINARY", "0x000102030405060708090a0b0c0d0e0f", "0xffff", "NULL"},
    {"img", "IMAGE", "0x89504e47", "0x00", "NULL"},
    {"dt", "DATE", "'0001-01-01'", "'9999-12-31'", "NULL"},
    {"tm", "TIME", "'00:00:00'", "'23:59:59'", "NULL"},
    {"ts", "TIMESTAMP", "'1900-01-01 00:00:00.000001'", "'2024-02-29 23:59:59.999999'", "NULL"},
    {"dtm", "DATETIME", "'2000-01-01 12:00:00'", "'2038-01-19 03:14:08'", "NULL"},
    {"sdt", "SMALLDATETIME", "'1999-12-31 23:59:00'", "'2024-06-01 00:00:00'", "NULL"},
    {"g", "UNIQUEIDENTIFIER", "'0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0'", "'00000000-0000-0000-0000-000000000000'",
     "NULL"},
};

// How two readings of one value are compared: numbers by value, moments
// without the parts a wider type adds (a time of midnight, zero fractions).
QString canonical(const QString& text, const QString& type) {
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    const bool numeric = !type.contains("BINARY") && !type.contains("IMAGE") && !type.contains("CHAR") &&
                         !type.contains("TEXT") && !type.contains("XML") && number.match(text).hasMatch();
    QString t = text;
    if (numeric && t.contains('.')) {
        while (t.endsWith('0'))
            t.chop(1);
        if (t.endsWith('.'))
            t.chop(1);
    }
    if (type.contains("DATE") || type.contains("TIMESTAMP")) {
        if (t.endsWith(".000000"))
            t.chop(7);
        if (t.endsWith(" 00:00:00") && type == "DATE")
            t.chop(9);
    }
    return numeric && t == "-0" ? "0" : t;
}

class SqlAnywhereRoundTripTest : public ::testing::Test, public TransferTest {
protected:
    SqlAnywhereRoundTripTest() : TransferTest(toMySqlCase, "tw_sa_round_trip") {}

    void seed() {
        QStringList definitions, rows[3];
        for (const SqlAnywhereColumn& c : columns) {
            definitions << QString("\"%1\" %2").arg(c.name, c.type);
            rows[0] << c.low;
            rows[1] << c.high;
            rows[2] << c.empty;
        }
        seedSource("sa_types", definitions.join(", "), {rows[0].join(", "), rows[1].join(", "), rows[2].join(", ")});
    }

    Rows canonicalRows(const TransferDatabase& db) {
        Rows rows = rowsIn(db, "sa_types", quoted(db.quote, "k"));
        for (QStringList& row : rows)
            for (int i = 0; i < row.size(); ++i)
                row[i] = canonical(row[i], QString::fromUtf8(columns[i].type));
        return rows;
    }
};

TEST_F(SqlAnywhereRoundTripTest, EveryTypeOfSqlAnywhereGoesToMySqlAndBackWithEveryValue) {
    seed();
    const Rows original = canonicalRows(standinDatabase);
    ASSERT_EQ(original.size(), 3u);
    EXPECT_EQ(original[1][7], "18446744073709551615");

    selectInSource({"sa_types"});
    send();
    ASSERT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").left(2000).toStdString();
    EXPECT_EQ(canonicalRows(mysqlDatabase), original) << "in MySQL";

    // And back, over the original.
    rig.prompts.answerMsgBox(MsgAnswer::Yes);
    rig.List1->setListIndex(0);
    rig.List1->setSelected(0, true);
    tw::TableManagerUi ui = rig.ui();
    SentStatements sentBack;
    tw::transferTables(toIAnywhere(), ui, &sentBack);
    ASSERT_EQ(rig.prompts.texts(), QStringList({"Would you like to overwrite sa_types?"}));
    EXPECT_EQ(canonicalRows(standinDatabase), original) << "back in iAnywhere";
    ASSERT_EQ(rig.transfer.accounts.size(), 2u);
    for (const TransferAccount& account : rig.transfer.accounts)
        EXPECT_TRUE(account.summary().startsWith("1 table, 3 rows copied and verified in ")) << account.details().toStdString();
}

}
