#include "TransferCase.h"
#include <QRegularExpression>

using namespace tw;
using namespace twtest;

namespace {

// A MySQL string literal in the server's default mode, which reads
// backslash escapes.
QString mysqlString(const QString& text) {
    return "'" + QString(text).replace("\\", "\\\\").replace("'", "''") + "'";
}

QString everyByteTwice() {
    QByteArray bytes;
    for (int round = 0; round < 2; ++round)
        for (int b = 0; b < 256; ++b)
            bytes += char(b);
    return "X'" + QString::fromLatin1(bytes.toHex()) + "'";
}

QString megabyteOfText() {
    const QString piece = QStringLiteral("line 'quoted' \\back\\ café 漢字 😀 ") + QChar(u'\n');
    QString text;
    while (text.toUtf8().size() < (1 << 20))
        text += piece.repeated(1000);
    return text;
}

// Integer columns arrive in iAnywhere as NUMERIC and come back as DECIMAL:
// the number stays, its text may gain a fraction of zeros.
QString normalNumber(QString text) {
    static const QRegularExpression decimal(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    if (!decimal.match(text).hasMatch())
        return "not a number: " + text;
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    return text == "-0" ? "0" : text;
}

const QStringList integerColumns{"n", "ti", "tiu", "si", "siu", "mi", "miu", "i", "iu", "bi", "biu"};

class TortureRoundTripTest : public ::testing::Test {
protected:
    TortureRoundTripTest() : toIAnywhere(toIAnywhereCase, "tw_torture"), rig(toIAnywhere.rig) {}

    void seedTorture() {
        rig.mysql.exec(
            "CREATE TABLE torture(c_first VARCHAR(20), n INT, ti TINYINT, tiu TINYINT UNSIGNED, si SMALLINT, "
            "siu SMALLINT UNSIGNED, mi MEDIUMINT, miu MEDIUMINT UNSIGNED, i INT, iu INT UNSIGNED, bi BIGINT, "
            "biu BIGINT UNSIGNED, dec20 DECIMAL(20,6), f FLOAT, d DOUBLE, dt DATE, dtm DATETIME(6), tm TIME, "
            "ch CHAR(10), vc VARCHAR(255), tx MEDIUMTEXT, bl LONGBLOB, bt BIT(1), c_last VARCHAR(20))");
        const QString insert = "INSERT INTO torture VALUES(";
        rig.mysql.exec(insert +
                       "NULL, 1, -128, 0, -32768, 0, -8388608, 0, -2147483648, 0, -9223372036854775808, 0, "
                       "-99999999999999.999999, -3.40282e38, -1.7976931348623157e308, '1000-01-01', "
                       "'1000-01-01 00:00:00.000000', '-838:59:59', '', '', '', X'', b'0', NULL)");
        rig.mysql.exec(insert +
                       "'x', 2, 127, 255, 32767, 65535, 8388607, 16777215, 2147483647, 4294967295, "
                       "9223372036854775807, 18446744073709551615, 99999999999999.999999, 3.40282e38, "
                       "1.7976931348623157e308, '9999-12-31', '9999-12-31 23:59:59.999999', '838:59:59', 'True', " +
                       mysqlString("'") + ", " + mysqlString(megabyteOfText()) + ", " + everyByteTwice() +
                       ", b'1', 'y')");
        rig.mysql.exec(insert + "'', 3, 0, 1, -1, 1, 0, 1, 0, 1, -1, 1, 0.000001, 0.1, 0.1, '2024-02-29', "
                                "'2024-02-29 12:34:56.000001', '00:00:00', " +
                       mysqlString("\\") + ", " + mysqlString("False") + ", " + mysqlString("C:\\new\\t'x'") +
                       ", X'00', b'1', '')");
        rig.mysql.exec(insert + mysqlString("Ünïcödé") + ", 4, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, -0.5, 16777217, "
                                "2.5e-308, '2000-01-01', '2000-01-01 00:00:00', '12:00:00', " +
                       mysqlString("漢字😀") + ", " + mysqlString("àéîõü ß 日本語 🎉👍🏽 𝄞") + ", " +
                       mysqlString("\r\n\t{fn now()} ? -- ; /*") + ", X'5C27', b'0', " + mysqlString("終わり") + ")");
        rig.mysql.exec(insert + "NULL, 5, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
                                "NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
    }

    Rows read(const TransferDatabase& db) { return toIAnywhere.rowsIn(db, "torture", "n"); }
    QStringList columnNames(const TransferDatabase& db) {
        tw::Connection c = db.open(rig);
        Recordset rs = c.Execute("SELECT * FROM " + quoted(db.quote, "torture") + " WHERE 1 = 0");
        QStringList names;
        for (int i = 0; i < rs.fieldCount(); ++i)
            names << rs.Fields(i).Name;
        return names;
    }

    // Every value of every row, by value for the integer columns and by
    // exact text for all others.
    void expectSameValues(const Rows& original, const Rows& arrived, const QStringList& columns, const char* hop) {
        ASSERT_EQ(arrived.size(), original.size()) << hop;
        for (size_t r = 0; r < original.size(); ++r) {
            ASSERT_EQ(arrived[r].size(), original[r].size()) << hop;
            for (int c = 0; c < original[r].size(); ++c) {
                const QString& was = original[r][c];
                const QString& is = arrived[r][c];
                const bool byValue = integerColumns.contains(columns[c]) && was != nullText;
                if (byValue)
                    EXPECT_EQ(normalNumber(is), normalNumber(was)) << hop << " row " << r << " " << columns[c].toStdString();
                else
                    EXPECT_TRUE(is == was) << hop << " row " << r << " " << columns[c].toStdString() << ": "
                                           << is.left(80).toStdString() << " instead of " << was.left(80).toStdString();
            }
        }
    }

    // To iAnywhere and back, each copy compared value by value with the original.
    void roundTrip();

    TransferTest toIAnywhere;
    TableManagerRig& rig;
    QStringList sentBack;  // what the way back sent
};

TEST_F(TortureRoundTripTest, EveryValueArrivesUnchangedOnTheWayToIAnywhereAndBack) { roundTrip(); }

TEST_F(TortureRoundTripTest, FastCopyGivesTheSameValuesBothWays) {
    rig.transfer.fast = true;
    roundTrip();
    // Into iAnywhere through one prepared INSERT, as into MariaDB: the row
    // with a megabyte of text went by itself between the others, as the
    // per-row method sends it.
    QStringList markers;
    for (int i = 0; i < 24; ++i)
        markers << "?";
    const QString prepared = "INSERT INTO \"torture\" VALUES(" + markers.join(", ") + ")";
    const QStringList inserts = toIAnywhere.sent.all().filter(QRegularExpression("^INSERT"));
    ASSERT_EQ(inserts.size(), 3) << inserts.join("\n").left(500).toStdString();
    EXPECT_EQ(inserts[0], prepared);
    EXPECT_TRUE(inserts[1].startsWith("INSERT INTO \"torture\" VALUES('") && inserts[1].toUtf8().size() > (1 << 20))
        << inserts[1].left(200).toStdString() << " (" << inserts[1].size() << " characters)";
    EXPECT_EQ(inserts[2], prepared);
    EXPECT_TRUE(rig.transfer.accounts.at(1).details().startsWith("Transfer iAnywhere to MySQL (fast copy): "));
    // Back into MariaDB as parameter arrays: the rows before the megabyte of
    // text and those after it; that row, too large for them, by itself.
    EXPECT_EQ(sentBack.filter("INSERT INTO `tw_new_torture` VALUES(" + markers.join(", ") + ")").size(), 2);
    // Neither batch was refused and sent again row by row: the one literal
    // INSERT is the row too large for them. The row before it went alone in
    // its batch, and the driver must not take the next batch's values for
    // the buffers of that one.
    const QStringList literals = sentBack.filter(QRegularExpression("^INSERT INTO `tw_new_torture` VALUES\\((?!\\?)"));
    EXPECT_EQ(literals.size(), 1) << literals.join("\n").left(500).toStdString();
}

TEST_F(TortureRoundTripTest, FastCopyAsRowTextsGivesTheSameValuesAsParameterArrays) {
    rig.transfer.fast = true;
    rig.transfer.arrays = false;
    roundTrip();
    EXPECT_TRUE(sentBack.filter("INSERT INTO `tw_new_torture` VALUES(?").isEmpty());
    EXPECT_FALSE(sentBack.filter(QRegularExpression("^INSERT INTO `tw_new_torture` VALUES\\(.*\\),\\(")).isEmpty());
}

void TortureRoundTripTest::roundTrip() {
    seedTorture();
    const QStringList columns = columnNames(mysqlDatabase);
    const Rows original = read(mysqlDatabase);
    ASSERT_EQ(original.size(), 5u);
    ASSERT_EQ(original[1][columns.indexOf("tx")].toUtf8().size() >= (1 << 20), true);

    toIAnywhere.sourceList().AddItem("torture");
    toIAnywhere.selectInSource({"torture"});
    toIAnywhere.send();
    ASSERT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").left(2000).toStdString();
    EXPECT_EQ(toIAnywhere.sent.all().at(0),
              "CREATE TABLE \"torture\"(\"c_first\" TEXT,\"n\" NUMERIC,\"ti\" NUMERIC,\"tiu\" NUMERIC,\"si\" NUMERIC,"
              "\"siu\" NUMERIC,\"mi\" NUMERIC,\"miu\" NUMERIC,\"i\" NUMERIC,\"iu\" NUMERIC,\"bi\" NUMERIC,"
              "\"biu\" NUMERIC,\"dec20\" TEXT,\"f\" TEXT,\"d\" TEXT,\"dt\" TEXT,\"dtm\" TEXT,\"tm\" TEXT,"
              "\"ch\" TEXT,\"vc\" TEXT,\"tx\" TEXT,\"bl\" LONG BINARY,\"bt\" BIT NULL,\"c_last\" TEXT)");
    expectSameValues(original, read(standinDatabase), columns, "in iAnywhere");
    ASSERT_EQ(rig.transfer.accounts.size(), 1u);
    EXPECT_EQ(rig.transfer.accounts[0].tables.at(0).verification.result, Verification::Result::Verified)
        << rig.transfer.accounts[0].details().toStdString();

    SentStatements back;
    rig.prompts.answerMsgBox(MsgAnswer::Yes);  // the original table is replaced
    rig.List2->setListIndex(0);
    rig.List2->setSelected(0, true);
    tw::TableManagerUi ui = rig.ui();
    tw::transferTables(toMySql(), ui, &back);
    sentBack = back.all();

    ASSERT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").left(2000).toStdString();
    EXPECT_EQ(rig.prompts.shown[0].text, "Would you like to overwrite torture?");
    ASSERT_GE(sentBack.size(), 2);
    EXPECT_TRUE(sentBack.contains("DROP TABLE `torture`"));
    EXPECT_EQ(sentBack.last(), "RENAME TABLE `tw_new_torture` TO `torture`");
    EXPECT_EQ(sentBack.at(0),
              "CREATE TABLE `tw_new_torture`(`c_first` LONGTEXT,`n` DECIMAL(30,6),`ti` DECIMAL(30,6),`tiu` DECIMAL(30,6),"
              "`si` DECIMAL(30,6),`siu` DECIMAL(30,6),`mi` DECIMAL(30,6),`miu` DECIMAL(30,6),`i` DECIMAL(30,6),"
              "`iu` DECIMAL(30,6),`bi` DECIMAL(30,6),`biu` DECIMAL(30,6),`dec20` LONGTEXT,`f` LONGTEXT,`d` LONGTEXT,"
              "`dt` LONGTEXT,`dtm` LONGTEXT,`tm` LONGTEXT,`ch` LONGTEXT,`vc` LONGTEXT,`tx` LONGTEXT,`bl` LONGBLOB,"
              "`bt` TEXT,`c_last` LONGTEXT) CHARACTER SET utf8mb4;");
    expectSameValues(original, read(mysqlDatabase), columns, "back in MySQL");
    ASSERT_EQ(rig.transfer.accounts.size(), 2u);
    EXPECT_TRUE(rig.transfer.accounts[1].summary().startsWith("1 table, 5 rows copied and verified in "))
        << rig.transfer.accounts[1].details().toStdString();
}

}
