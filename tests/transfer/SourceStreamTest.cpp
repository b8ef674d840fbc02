#include "TransferCase.h"
#include "transfer/ReadAhead.h"

using namespace tw;
using namespace twtest;

namespace {

// A MySQL source is read in key order a chunk at a time; these tables span
// several chunks, and rows come and go between the count and the read.
class MySqlSourceStreamTest : public ::testing::Test, public TransferTest {
protected:
    MySqlSourceStreamTest() : TransferTest(toIAnywhereCase, "tw_stream_mysql") {}

    static constexpr int rows = 2 * SourceStream::maxChunkRows + 500;

    void seedKeyed(const QString& keyColumns) {
        rig.mysql.exec("CREATE TABLE big (n INT NOT NULL, w VARCHAR(20) NOT NULL, " + keyColumns + ")");
        rig.mysql.exec("INSERT INTO big SELECT seq, CONCAT('o''k\\\\', seq % 7) FROM seq_1_to_" + QString::number(rows));
        sourceList().AddItem("big");
        selectInSource({"big"});
    }
    // Runs once, on the first row's yield: after the count and the first chunk.
    void onFirstRow(std::function<void()> change) {
        rig.yield.onYield = [this, change, done = false](long long) mutable {
            if (!done && rig.progress.value() > 0) {
                done = true;
                change();
            }
        };
    }
    const TableAccount& table() { return rig.transfer.accounts.at(0).tables.at(0); }
};

TEST_F(MySqlSourceStreamTest, RowsAddedAfterTheCountAreReadToTheEnd) {
    seedKeyed("PRIMARY KEY (n)");
    onFirstRow([&] {
        rig.mysql.exec("INSERT INTO big VALUES (" + QString::number(rows + 1) + ", 'late'), (" +
                       QString::number(rows + 2) + ", 'later')");
    });

    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(table().rowsRead, rows + 2);
    EXPECT_EQ(table().rowsAccepted, rows + 2);
    EXPECT_EQ(table().readPath, "in key order, up to 10,000 rows or 1 MB a chunk");
    EXPECT_EQ(table().verification.result, Verification::Result::Verified);
    const Rows arrived = targetRows("big", "\"n\"");
    ASSERT_EQ(arrived.size(), size_t(rows + 2));
    EXPECT_EQ(arrived.back(), QStringList({QString::number(rows + 2) + ".000000", "later"}));  // INT arrives as NUMERIC
    EXPECT_EQ(rig.progress.value(), 0);
}

TEST_F(MySqlSourceStreamTest, RowsDeletedAfterTheCountEndTheReadEarlyWithoutABox) {
    seedKeyed("PRIMARY KEY (n)");
    onFirstRow([&] { rig.mysql.exec("DELETE FROM big WHERE n > " + QString::number(rows - 700)); });

    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(table().rowsRead, rows - 700);
    EXPECT_EQ(targetRows("big", "\"n\"").size(), size_t(rows - 700));
}

TEST_F(MySqlSourceStreamTest, AUniqueKeyOfSeveralColumnsWithQuotesAndBackslashesReadsEveryRowOnce) {
    seedKeyed("UNIQUE KEY (w, n)");

    send();

    EXPECT_EQ(table().readPath, "in key order, up to 10,000 rows or 1 MB a chunk");
    EXPECT_EQ(table().rowsRead, rows);
    const Rows arrived = targetRows("big", "\"n\"");
    ASSERT_EQ(arrived.size(), size_t(rows));
    for (int i = 0; i < rows; ++i)
        ASSERT_EQ(arrived[size_t(i)], QStringList({QString::number(i + 1) + ".000000", "o'k\\" + QString::number((i + 1) % 7)}));
}

TEST_F(MySqlSourceStreamTest, ATableWithoutAKeyIsReadAsOneResult) {
    seedKeyed("KEY (n)");

    send();

    EXPECT_EQ(table().readPath, "as one result");
    EXPECT_EQ(table().rowsAccepted, rows);
    EXPECT_TRUE(rig.transfer.accounts.at(0).details().contains("read as one result"));
}

}

// MariaDB's driver holds a chunk whole: rows of 20,000 characters go about a
// hundred to a chunk, so that none holds more than a few megabytes, and
// every row still comes once, in order. The server counts the SELECTs.
TEST_F(MySqlSourceStreamTest, WideRowsAreReadInChunksOfAFewMegabytes) {
    rig.mysql.exec("CREATE TABLE wide (n INT PRIMARY KEY, w MEDIUMTEXT NOT NULL)");
    rig.mysql.exec("INSERT INTO wide SELECT seq, REPEAT(CHAR(97 + seq % 26), 20000) FROM seq_1_to_1000");
    Connection c = mysqlDatabase.open(rig);
    auto selects = [&] { return readRows(c, "SHOW SESSION STATUS LIKE 'Com_select'").at(0).at(1).toLongLong(); };
    const long long before = selects();

    SourceStream stream;
    stream.Open(SourceRead{.table = "wide", .quote = u'`', .keyedChunks = true}, c, nullptr);
    int n = 0;
    for (; !stream.isEOF(); stream.MoveNext()) {
        ++n;
        ASSERT_EQ(stream.Fields(0).Value.toText(), QString::number(n));
        ASSERT_EQ(stream.Fields(1).Value.toText(), QString(20000, QChar(u'a' + n % 26)));
    }
    stream.Close();

    EXPECT_EQ(n, 1000);
    EXPECT_EQ(stream.path(), "in key order, up to 10,000 rows or 1 MB a chunk");
    // 20 MB: a first chunk of 100 rows, then eighteen or so of about 1 MB.
    // One more SELECT learnt the key's type.
    const long long chunks = selects() - before - 1;
    EXPECT_GE(chunks, 19);
    EXPECT_LE(chunks, 21);
}

// Read ahead, each row's values are read into the room of rows the transfer
// is done with. Text grows and shrinks across the room kept, NULLs come
// between, and time stamps are trimmed or padded where they lie: every row
// comes as the server writes it, and values kept from earlier rows stay as
// they were.
TEST_F(MySqlSourceStreamTest, RowsReadAheadIntoTheRoomOfRowsBeforeComeAsTheServerHoldsThem) {
    constexpr int count = 6000;  // several chunks, and more rows than the read-ahead holds
    rig.mysql.exec("CREATE TABLE reuse (n INT PRIMARY KEY, t VARCHAR(1000) NULL, ts DATETIME(6) NULL, "
                   "ms DATETIME(3) NULL, j TEXT NULL) CHARACTER SET utf8mb4");
    rig.mysql.exec("INSERT INTO reuse SELECT seq, IF(seq % 7 = 0, NULL, CONCAT(REPEAT('\u00e9', seq % 600), seq)), "
                   "IF(seq % 11 = 0, NULL, TIMESTAMP('2024-02-29 23:59:58') + INTERVAL (seq % 4) * 250000 MICROSECOND), "
                   "TIMESTAMP('1999-12-31 01:02:03') + INTERVAL (seq % 3) * 120000 MICROSECOND, "
                   "IF(seq % 5 = 0, NULL, REPEAT(CHAR(97 + seq % 26), (seq * 37) % 900)) FROM seq_1_to_" +
                   QString::number(count));
    Connection c = mysqlDatabase.open(rig);
    auto stamp = [](const QString& column) {
        return "IFNULL(IF(MICROSECOND(" + column + ") = 0, DATE_FORMAT(" + column + ", '%Y-%m-%d %H:%i:%s'), " +
               "DATE_FORMAT(" + column + ", '%Y-%m-%d %H:%i:%s.%f')), 'null')";
    };
    const Rows expected = readRows(c, "SELECT n, IFNULL(HEX(t), 'null'), " + stamp("ts") + ", " + stamp("ms") +
                                          ", IFNULL(HEX(j), 'null') FROM reuse ORDER BY n");
    ASSERT_EQ(expected.size(), size_t(count));
    auto asServerWrites = [](const Value& v, int column) {
        if (v.isNull())
            return QString("null");
        const bool stamp = column == 2 || column == 3;
        return stamp ? v.toText() : QString::fromLatin1(v.toBytes().toHex().toUpper());
    };

    ReadAhead reader;
    reader.Open(SourceRead{.table = "reuse", .quote = u'`', .keyedChunks = true}, c, nullptr);
    std::vector<std::pair<int, std::vector<Value>>> kept;
    int n = 0;
    for (; !reader.isEOF(); reader.MoveNext()) {
        const QStringList& want = expected[size_t(n)];
        ++n;
        ASSERT_EQ(reader.Fields(0).Value.toText(), want[0]);
        for (int i = 1; i < 5; ++i)
            ASSERT_EQ(asServerWrites(reader.Fields(i).Value, i).toStdString(), want[i].toStdString())
                << "row " << n << ", column " << i;
        if (n % 97 == 0) {
            std::vector<Value> row;
            for (int i = 0; i < 5; ++i)
                row.push_back(reader.Fields(i).Value);
            kept.emplace_back(n, std::move(row));
        }
    }
    reader.Close();

    EXPECT_EQ(n, count);
    ASSERT_FALSE(kept.empty());
    for (const auto& [row, values] : kept)
        for (int i = 1; i < 5; ++i)
            EXPECT_EQ(asServerWrites(values[size_t(i)], i).toStdString(), expected[size_t(row - 1)][i].toStdString())
                << "kept row " << row << ", column " << i;
}

// The same from iAnywhere, whose text comes as UTF-16: a time stamp's
// fraction is padded or dropped in the driver's buffer.
TEST_F(MySqlSourceStreamTest, RowsReadAheadFromIAnywhereIntoTheRoomOfRowsBeforeComeAsWritten) {
    constexpr int count = 5000;
    rig.standin.exec(R"(CREATE TABLE "reuse" ("n" INTEGER PRIMARY KEY, "t" VARCHAR(1000) NULL, "ts" TIMESTAMP NULL))");
    const QStringList fractions = {".5", ".250000", ".000000", ""};
    std::vector<QStringList> written;
    QString inserts = "BEGIN;";
    for (int n = 1; n <= count; ++n) {
        const QString t = n % 7 == 0 ? QString() : QString(n % 600, QChar(0x00e9)) + QString::number(n);
        const QString ts = n % 11 == 0 ? QString() : "2024-02-29 23:59:58" + fractions[n % 4];
        inserts += QString("INSERT INTO \"reuse\" VALUES(%1, %2, %3);")
                       .arg(n)
                       .arg(t.isNull() ? "NULL" : "'" + t + "'")
                       .arg(ts.isNull() ? "NULL" : "'" + ts + "'");
        const QString shown = ts.isNull()    ? "null"
                              : n % 4 == 0 ? "2024-02-29 23:59:58.500000"
                              : n % 4 == 1 ? "2024-02-29 23:59:58.250000"
                                           : "2024-02-29 23:59:58";
        written.push_back({t.isNull() ? "null" : t, shown});
    }
    rig.standin.execPastTheRules(inserts + "COMMIT;");
    Connection c = standinDatabase.open(rig);
    auto asRead = [](const Value& v) { return v.isNull() ? QString("null") : v.toText(); };

    ReadAhead reader;
    reader.Open(SourceRead{.table = "reuse", .quote = u'"'}, c, nullptr);
    std::vector<std::pair<int, std::vector<Value>>> kept;
    int n = 0;
    for (; !reader.isEOF(); reader.MoveNext()) {
        ++n;
        ASSERT_EQ(reader.Fields(0).Value.toText(), QString::number(n));
        ASSERT_EQ(asRead(reader.Fields(1).Value).toStdString(), written[size_t(n - 1)][0].toStdString()) << "row " << n;
        ASSERT_EQ(asRead(reader.Fields(2).Value).toStdString(), written[size_t(n - 1)][1].toStdString()) << "row " << n;
        if (n % 97 == 0)
            kept.emplace_back(n, std::vector<Value>{reader.Fields(1).Value, reader.Fields(2).Value});
    }
    reader.Close();

    EXPECT_EQ(n, count);
    for (const auto& [row, values] : kept)
        for (size_t i = 0; i < 2; ++i)
            EXPECT_EQ(asRead(values[i]).toStdString(), written[size_t(row - 1)][i].toStdString()) << "kept row " << row;
}
