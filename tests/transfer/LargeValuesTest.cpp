#include "TransferCase.h"

using namespace tw;
using namespace twtest;

namespace {

constexpr long long packetLimit = 18 * 1024 * 1024;

// The server's max_allowed_packet is set for the test and put back after it.
class LargeValues {
public:
    explicit LargeValues(TableManagerRig& rig) : m_rig(rig) {
        Connection c = openMySql(rig.mysql.connectString());
        m_previous = readRows(c, "SELECT @@GLOBAL.max_allowed_packet").at(0).at(0);
        c.Execute("SET GLOBAL max_allowed_packet = " + QString::number(packetLimit));
    }
    ~LargeValues() { m_rig.mysql.exec("SET GLOBAL max_allowed_packet = " + m_previous); }

private:
    TableManagerRig& m_rig;
    QString m_previous;
};

QString text(qsizetype megabytes, QChar fill) { return QString(megabytes * 1024 * 1024, fill); }

class ToMySqlLargeValuesTest : public ::testing::Test, public TransferTest {
protected:
    ToMySqlLargeValuesTest() : TransferTest(toMySqlCase, "tw_large_to_mysql") {}
    LargeValues limit{rig};
};

TEST_F(ToMySqlLargeValuesTest, ValuesTheServerHoldsArriveAndARowLargerThanItTakesGivesOneBox) {
    createIn(standinDatabase, "big", "\"n\" INTEGER, \"t\" LONG VARCHAR, \"b\" LONG BINARY");
    QByteArray bytes(9 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 % 256);
    const QString seventeen(17 * 1024 * 1024 / 2, u'é');  // 17 MiB of UTF-8
    rig.standin.exec("INSERT INTO \"big\" VALUES(1, '" + seventeen + "', NULL)");
    rig.standin.exec("INSERT INTO \"big\" VALUES(2, 'small', 0x" + QString::fromLatin1(bytes.toHex()) + ")");
    rig.standin.exec("INSERT INTO \"big\" VALUES(3, '" + text(19, u'y') + "', NULL)");
    rig.standin.exec("INSERT INTO \"big\" VALUES(4, 'after', 0x00)");
    sourceList().AddItem("big");
    selectInSource({"big"});

    send();

    ASSERT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").left(500).toStdString();
    EXPECT_TRUE(rig.prompts.shown[0].text.startsWith("The row is larger than the server accepts: a value of 19922944 bytes"))
        << rig.prompts.shown[0].text.left(300).toStdString();
    Connection c = openMySql(rig.mysql.connectString());
    Recordset rs = c.Execute("SELECT n, t, b FROM big ORDER BY n");
    ASSERT_FALSE(rs.isEOF());
    EXPECT_EQ(rs.Fields("n").Value.toText(), "1");
    EXPECT_TRUE(rs.Fields("t").Value.toText() == seventeen) << "the 17 MB text arrives whole";
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("n").Value.toText(), "2");
    EXPECT_TRUE(rs.Fields("b").Value.toBytes() == bytes) << "the 9 MB byte string arrives whole";
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("n").Value.toText(), "4") << "the row after the one too large arrives";
    EXPECT_EQ(rs.Fields("t").Value.toText(), "after");
    rs.MoveNext();
    EXPECT_TRUE(rs.isEOF());

    EXPECT_EQ(sent.startingWith("INSERT INTO `big` VALUES(?, ?, ?)").size(), 1)
        << "only the byte string, doubled into hexadecimal digits, goes as parameters";
    const TableAccount& t = rig.transfer.accounts.at(0).tables.at(0);
    EXPECT_EQ(t.rowsAccepted, 3);
    EXPECT_EQ(t.rowsFailed, 1);
    EXPECT_EQ(t.verification.result, Verification::Result::Verified) << rig.transfer.accounts[0].details().toStdString();
}

class ToIAnywhereLargeValuesTest : public ::testing::Test, public TransferTest {
protected:
    ToIAnywhereLargeValuesTest() : TransferTest(toIAnywhereCase, "tw_large_to_iany") {}
    LargeValues limit{rig};
};

TEST_F(ToIAnywhereLargeValuesTest, SeventeenMegabytesOfTextAndNineOfBytesArriveWhole) {
    rig.mysql.exec("CREATE TABLE big (n INT, t LONGTEXT, b LONGBLOB)");
    rig.mysql.exec("INSERT INTO big VALUES(1, REPEAT('ab\\\\c''', 17 * 1024 * 1024 / 5), NULL)");
    rig.mysql.exec("INSERT INTO big VALUES(2, 'small', REPEAT(UNHEX('00FF27'), 3 * 1024 * 1024))");
    sourceList().AddItem("big");
    selectInSource({"big"});

    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").left(500).toStdString();
    Connection c = openStandin(rig.standin.connectString());
    Recordset rs = c.Execute("SELECT \"t\", \"b\" FROM \"big\" ORDER BY \"n\"");
    ASSERT_FALSE(rs.isEOF());
    EXPECT_TRUE(rs.Fields("t").Value.toText() == QString("ab\\c'").repeated(17 * 1024 * 1024 / 5));
    rs.MoveNext();
    ASSERT_FALSE(rs.isEOF());
    EXPECT_TRUE(rs.Fields("b").Value.toBytes() == QByteArray::fromHex("00FF27").repeated(3 * 1024 * 1024));
    EXPECT_EQ(rig.transfer.accounts.at(0).tables.at(0).verification.result, Verification::Result::Verified);
}

}
