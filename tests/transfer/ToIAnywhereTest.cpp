#include "TransferCase.h"

using namespace tw;
using namespace twtest;

namespace {

class ToIAnywhereTest : public ::testing::Test, public TransferTest {
protected:
    ToIAnywhereTest() : TransferTest(toIAnywhereCase, "tw_to_ianywhere") {}
};

TEST_F(ToIAnywhereTest, TheExampleTableIsCreatedAndFilledWithTheseExactStatements) {
    seedSource("t", "id INT, name VARCHAR(20), ok BIT(1)", {"1, 'can''t', 1", "1, NULL, 1"});
    selectInSource({"t"});

    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(sent.all(), QStringList({"CREATE TABLE \"t\"(\"id\" NUMERIC,\"name\" TEXT,\"ok\" BIT NULL)",
                                       "INSERT INTO \"t\" VALUES(1, 'can''t', '1')",
                                       "INSERT INTO \"t\" VALUES(1, NULL, '1')"}));
    EXPECT_EQ(targetRows("t", "name"), Rows({{"1.000000", nullText, "True"}, {"1.000000", "can't", "True"}}));
}

TEST_F(ToIAnywhereTest, BackslashesAreDoubledSinceIAnywhereReadsEscapes) {
    // MySQL reads this literal as C:\new\x41; unescaped, iAnywhere would
    // store a new line and an "A".
    seedSource("paths", "p VARCHAR(20)", {R"('C:\\new\\x41')"});
    selectInSource({"paths"});

    send();

    EXPECT_EQ(sent.startingWith("INSERT"), QStringList({R"(INSERT INTO "paths" VALUES('C:\\new\\x41'))"}));
    EXPECT_EQ(targetRows("paths"), Rows({{R"(C:\new\x41)"}}));
}

TEST_F(ToIAnywhereTest, ABooleanColumnTakesOneAndZeroFromItsValues) {
    seedSource("flags", "n INT, ok BIT(1), word VARCHAR(8)", {"1, 1, 'False'", "2, 0, 'True'", "3, NULL, 'True'"});
    selectInSource({"flags"});

    send();

    EXPECT_EQ(sent.startingWith("INSERT"),
              QStringList({"INSERT INTO \"flags\" VALUES(1, '1', 'False')", "INSERT INTO \"flags\" VALUES(2, '0', 'True')",
                           "INSERT INTO \"flags\" VALUES(3, NULL, 'True')"}));
    EXPECT_EQ(targetRows("flags"), Rows({{"1.000000", "True", "False"}, {"2.000000", "False", "True"}, {"3.000000", nullText, "True"}}));
}

TEST_F(ToIAnywhereTest, IntegersAreUnquotedAndDecimalsDatesAndFloatsAreQuotedText) {
    seedSource("mixed", "n INT, s VARCHAR(5), d DECIMAL(5,2), dt DATE, f DOUBLE",
               {"-5, 'x', 1.50, '2024-02-29', 0.1"});
    selectInSource({"mixed"});

    send();

    EXPECT_EQ(sent.all(), QStringList({"CREATE TABLE \"mixed\"(\"n\" NUMERIC,\"s\" TEXT,\"d\" TEXT,\"dt\" TEXT,\"f\" TEXT)",
                                       "INSERT INTO \"mixed\" VALUES(-5, 'x', '1.50', '2024-02-29', '0.1')"}));
    EXPECT_EQ(targetRows("mixed"), Rows({{"-5.000000", "x", "1.50", "2024-02-29", "0.1"}}));
}

TEST_F(ToIAnywhereTest, ByteStringsBecomeLongBinaryAndArriveByteForByte) {
    seedSource("blobs", "n INT, b BLOB, vb VARBINARY(8), fb BINARY(3)",
               {"1, X'00FF2710', X'', X'414243'", "2, NULL, X'27', NULL"});
    selectInSource({"blobs"});

    send();

    EXPECT_EQ(sent.all(),
              QStringList({"CREATE TABLE \"blobs\"(\"n\" NUMERIC,\"b\" LONG BINARY,\"vb\" LONG BINARY,\"fb\" LONG BINARY)",
                           "INSERT INTO \"blobs\" VALUES(1, 0x00ff2710, 0x, 0x414243)",
                           "INSERT INTO \"blobs\" VALUES(2, NULL, 0x27, NULL)"}));
    EXPECT_EQ(targetRows("blobs"), Rows({{"1.000000", "00ff2710", "", "414243"}, {"2.000000", nullText, "27", nullText}}));
    tw::Connection c = tc.target.open(rig);
    EXPECT_EQ(readRows(c, "SELECT length(vb) FROM blobs WHERE n = 1"), Rows({{"0"}})) << "empty, not NULL";
}

TEST_F(ToIAnywhereTest, OverwritingAMixedCaseEntryLeavesItBesideTheLowerCasedNewOne) {
    seedSource("Orders", "id INT", {"1"});
    createIn(tc.target, "Orders", "id INTEGER", {"9"});
    targetList().AddItem("Orders");
    selectInSource({"Orders"});
    rig.prompts.answerMsgBox(MsgAnswer::Yes);

    send();

    EXPECT_EQ(targetRows("Orders"), Rows({{"1.000000"}}));
    EXPECT_EQ(targetList().entries(), QStringList({"Orders", "orders"}));
}

TEST_F(ToIAnywhereTest, ALostSourceConnectionGivesOneBoxAndEndsTheTransfer) {
    seedSource("a", "id INT", {"1"});
    seedSource("b", "id INT", {"1", "2", "3"});
    seedSource("c", "id INT", {"1"});
    selectInSource({"a", "b", "c"});
    // Once c has been read, the server ends the source's session.
    rig.yield.onYield = [&](long long n) {
        if (n == 5)
            killMySqlSessions(rig);
    };

    send();

    ASSERT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_TRUE(isErrorBoxFor(rig.prompts.shown[0], tc.location, tc.selectLine)) << rig.prompts.shown[0].text.toStdString();
    EXPECT_EQ(targetRows("c"), Rows({{"1.000000"}}));
    EXPECT_EQ(tablesIn(tc.target), QStringList({"c"})) << "nothing after the lost connection";
    EXPECT_EQ(targetList().entries(), QStringList({"c"}));
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

}
