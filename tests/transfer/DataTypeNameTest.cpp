#include "transfer/DataTypeName.h"
#include <gtest/gtest.h>

using tw::DataTypeName;

namespace {

TEST(DataTypeNameTest, NamesTheCommonCodes) {
    EXPECT_EQ(DataTypeName(3), "adInteger");
    EXPECT_EQ(DataTypeName(205), "adLongVarBinary");
    EXPECT_EQ(DataTypeName(0), "adEmpty");
    EXPECT_EQ(DataTypeName(202), "adVarWChar");
}

TEST(DataTypeNameTest, HoldsAllThirtyNineNamesSpelledExactly) {
    const std::pair<short, const char*> expected[] = {
        {0, "adEmpty"}, {2, "adSmallInt"}, {3, "adInteger"}, {4, "adSingle"}, {5, "adDouble"},
        {6, "adCurrency"}, {7, "adDate"}, {8, "adBSTR"}, {9, "adIDispatch"}, {10, "adError"},
        {11, "adBoolean"}, {12, "adVariant"}, {13, "adIUnknown"}, {14, "adDecimal"}, {16, "adTinyInt"},
        {17, "adUnsignedTinyInt"}, {18, "adUnsignedSmallInt"}, {19, "adUnsignedInt"}, {20, "adBigInt"},
        {21, "adUnsignedBigInt"}, {64, "adFileTime"}, {72, "adGUID"}, {128, "adBinary"}, {129, "adChar"},
        {130, "adWChar"}, {131, "adNumeric"}, {132, "adUserDefined"}, {133, "adDBDate"}, {134, "adDBTime"},
        {135, "adDBTimeStamp"}, {136, "adChapter"}, {138, "adPropVariant"}, {139, "adVarNumeric"},
        {200, "adVarChar"}, {201, "adLongVarChar"}, {202, "adVarWChar"}, {203, "adLongVarWChar"},
        {204, "adVarBinary"}, {205, "adLongVarBinary"}};
    ASSERT_EQ(std::size(expected), 39u);
    for (const auto& [code, name] : expected)
        EXPECT_EQ(DataTypeName(code), QString::fromLatin1(name)) << code;
    int named = 0;
    for (int code = -300; code <= 9000; ++code)
        named += DataTypeName(short(code)).isNull() ? 0 : 1;
    EXPECT_EQ(named, 39);
}

TEST(DataTypeNameTest, CodesWithoutANameGiveTheEmptyResult) {
    for (int code : {137, 1, 15, 8192, 8192 + 3})
        EXPECT_TRUE(DataTypeName(short(code)).isNull()) << code;
}

TEST(DataTypeNameTest, LowerCasedNamesContainTheSubstringsTheTypeMapsTest) {
    EXPECT_TRUE(DataTypeName(17).toLower().contains("int"));
    EXPECT_FALSE(DataTypeName(136).toLower().contains("char"));
    const QString longWide = DataTypeName(203).toLower();
    EXPECT_TRUE(longWide.contains("varwchar") && longWide.contains("longvar") && longWide.contains("char"));
    EXPECT_TRUE(DataTypeName(135).toLower().contains("timestamp"));
    EXPECT_FALSE(DataTypeName(135).toLower().contains("date"));
}

}
