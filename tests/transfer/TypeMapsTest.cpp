#include "transfer/TypeMaps.h"
#include <gtest/gtest.h>

using namespace tw;

namespace {

Field field(int adoType, qint64 size = 0, int precision = 0, int scale = 0) {
    Field f;
    f.Type = adoType;
    f.DefinedSize = size;
    f.Precision = precision;
    f.NumericScale = scale;
    return f;
}

QString toIAnywhere(const Field& f) { return iAnywhereColumnType(typeKeyOf(f), f).text; }
QString toMySql(const Field& f) { return mySqlColumnType(typeKeyOf(f), f).text; }

TEST(TypeMapsTest, ToIAnywhereIntegersAndCurrencyAreNumericAndBooleansBit) {
    for (int code : {2, 3, 16, 17, 18, 19, 20, 21, 6}) {
        const Field f = field(code);
        EXPECT_EQ(toIAnywhere(f), "NUMERIC") << code;
        EXPECT_EQ(iAnywhereColumnType(typeKeyOf(f), f).form, ValueForm::Number) << code;
    }
    EXPECT_EQ(iAnywhereColumnType("adboolean", field(11)).form, ValueForm::Bit);
}

TEST(TypeMapsTest, ABooleanColumnThatMayHoldNullIsBitNullSinceIAnywheresBitRefusesNull) {
    Field mayBeNull = field(11);
    EXPECT_EQ(toIAnywhere(mayBeNull), "BIT NULL");
    Field neverNull = field(11);
    neverNull.Nullable = false;
    EXPECT_EQ(toIAnywhere(neverNull), "BIT");
}

TEST(TypeMapsTest, ToIAnywhereEverythingElseIsTextButByteStringsAreLongBinary) {
    for (int code : {4, 5, 7, 14, 72, 129, 130, 131, 133, 134, 135, 200, 201, 202, 203, 137})
        EXPECT_EQ(toIAnywhere(field(code, 10)), "TEXT") << code;
    for (int code : {128, 204, 205})
        EXPECT_EQ(toIAnywhere(field(code, 10)), "LONG BINARY") << code;
}

TEST(TypeMapsTest, ToMySqlIntegersThatDoNotFitIntAreWidened) {
    EXPECT_EQ(toMySql(field(3)), "INT");
    EXPECT_EQ(toMySql(field(2)), "INT");
    EXPECT_EQ(toMySql(field(17)), "INT");
    EXPECT_EQ(toMySql(field(18)), "INT");
    EXPECT_EQ(toMySql(field(19)), "BIGINT");
    EXPECT_EQ(toMySql(field(20)), "BIGINT");
    EXPECT_EQ(toMySql(field(21)), "BIGINT UNSIGNED");
}

TEST(TypeMapsTest, ToMySqlDecimalsKeepPrecisionAndScale) {
    EXPECT_EQ(toMySql(field(131, 30, 30, 6)), "DECIMAL(30,6)");
    EXPECT_EQ(toMySql(field(14, 20, 20, 6)), "DECIMAL(20,6)");
    EXPECT_EQ(toMySql(field(139, 12, 12, 0)), "DECIMAL(12,0)");
    EXPECT_EQ(toMySql(field(131, 9, 9, 0)), "INT");
    EXPECT_EQ(toMySql(field(131, 9, 9, 2)), "DECIMAL(9,2)");
    EXPECT_EQ(toMySql(field(131, 65, 65, 30)), "DECIMAL(65,30)");
}

TEST(TypeMapsTest, ToMySqlDecimalsBeyondWhatDecimalHoldsKeepEveryDigitAsText) {
    EXPECT_EQ(toMySql(field(131, 70, 70, 10)), "VARCHAR(72)");
    EXPECT_EQ(toMySql(field(14, 40, 40, 35)), "VARCHAR(42)");
    EXPECT_EQ(mySqlColumnType("adnumeric", field(131, 70, 70, 10)).form, ValueForm::Quoted);
}

TEST(TypeMapsTest, AMySqlRowTooWideForInnoDbMovesItsWidestByteStringsToBlobs) {
    std::vector<ColumnType> types(40, ColumnType{"VARBINARY(255)"});
    types.push_back({"INT"});
    types[3] = {"VARBINARY(16)"};
    fitMySqlRow(types);
    int blobs = 0, row = 0;
    for (const ColumnType& t : types) {
        blobs += t.text == "BLOB";
        row += t.text == "VARBINARY(255)" ? 257 : t.text == "VARBINARY(16)" ? 18 : 20;
    }
    EXPECT_GT(blobs, 0);
    EXPECT_LE(row, 8126);
    EXPECT_EQ(types[3].text, "VARBINARY(16)") << "the narrow ones stay";
    EXPECT_EQ(types.back().text, "INT");

    std::vector<ColumnType> narrow(10, ColumnType{"VARBINARY(255)"});
    fitMySqlRow(narrow);
    EXPECT_EQ(narrow, std::vector<ColumnType>(10, ColumnType{"VARBINARY(255)"})) << "a row that fits is left alone";
}

TEST(TypeMapsTest, ToMySqlFloatingPointTimeStampsAndDates) {
    EXPECT_EQ(toMySql(field(4)), "FLOAT");
    EXPECT_EQ(toMySql(field(5)), "DOUBLE");
    EXPECT_EQ(toMySql(field(135, 26, 26, 6)), "DATETIME(6)");
    EXPECT_EQ(toMySql(field(135, 19, 19, 0)), "DATETIME");
    EXPECT_EQ(toMySql(field(133)), "DATETIME");
    EXPECT_EQ(toMySql(field(7)), "DATETIME");
}

TEST(TypeMapsTest, ToMySqlLongCharacterColumnsAreLongText) {
    EXPECT_EQ(toMySql(field(200, 40)), "TEXT");
    EXPECT_EQ(toMySql(field(202, 16383)), "TEXT");
    EXPECT_EQ(toMySql(field(202, 16384)), "LONGTEXT");
    EXPECT_EQ(toMySql(field(201, 2147483647)), "LONGTEXT");
}

TEST(TypeMapsTest, ToMySqlByteStringsAreVarbinaryOrLongblob) {
    EXPECT_EQ(toMySql(field(205, 2147483647)), "LONGBLOB");
    EXPECT_EQ(toMySql(field(204, 16)), "VARBINARY(16)");
    EXPECT_EQ(toMySql(field(128, 4)), "VARBINARY(4)");
    EXPECT_EQ(toMySql(field(204, 32767)), "LONGBLOB");
}

TEST(TypeMapsTest, ToMySqlEveryOtherTypeAndValueIsTextAndQuoted) {
    for (int code : {6, 11, 72, 134, 0, 137})
        EXPECT_EQ(toMySql(field(code)), "TEXT") << code;
    for (int code : {3, 5, 11, 131, 202, 205})
        EXPECT_EQ(mySqlColumnType(typeKeyOf(field(code, 10, 10, 2)), field(code, 10, 10, 2)).form, ValueForm::Quoted);
}

}
