#include "transfer/Literals.h"
#include <gtest/gtest.h>
#include <limits>

using namespace tw;

namespace {

QString literal(const Value& v, ValueForm form = ValueForm::Quoted, LiteralSyntax syntax = {}) {
    QString s;
    appendLiteral(s, v, form, syntax);
    return s;
}

const LiteralSyntax mysqlDefaultMode{LiteralSyntax::Bytes::XQuoted, true};

TEST(LiteralsTest, QuoteCharactersInsideNamesAreDoubled) {
    EXPECT_EQ(quotedName("t", u'"'), "\"t\"");
    EXPECT_EQ(quotedName("a\"b", u'"'), "\"a\"\"b\"");
    EXPECT_EQ(quotedName("a`b`", u'`'), "`a``b```");
    EXPECT_EQ(quotedName("a`b", u'"'), "\"a`b\"");
}

TEST(LiteralsTest, NullIsNullAndAnEmptyStringStaysAnEmptyString) {
    EXPECT_EQ(literal(Value()), "NULL");
    EXPECT_EQ(literal(Value(), ValueForm::Number), "NULL");
    EXPECT_EQ(literal(Value::text("")), "''");
}

TEST(LiteralsTest, ApostrophesAreDoubledAndBackslashesOnlyWhereTheTargetReadsEscapes) {
    EXPECT_EQ(literal(Value::text("can't")), "'can''t'");
    EXPECT_EQ(literal(Value::text("C:\\new")), "'C:\\new'");
    EXPECT_EQ(literal(Value::text("C:\\new'")), "'C:\\new'''");
    EXPECT_EQ(literal(Value::text("C:\\new'"), ValueForm::Quoted, mysqlDefaultMode), "'C:\\\\new'''");
}

TEST(LiteralsTest, IntegersAreUnquotedOnlyInNumberColumns) {
    EXPECT_EQ(literal(Value::integer(-9223372036854775807LL - 1), ValueForm::Number), "-9223372036854775808");
    EXPECT_EQ(literal(Value::unsignedInteger(18446744073709551615ULL), ValueForm::Number), "18446744073709551615");
    EXPECT_EQ(literal(Value::integer(1)), "'1'");
    EXPECT_EQ(literal(Value::text("12.50"), ValueForm::Number), "'12.50'");
}

TEST(LiteralsTest, BitColumnsTakeOneOrZeroFromTheValueAndTextTrueStaysText) {
    EXPECT_EQ(literal(Value::boolean(true), ValueForm::Bit), "'1'");
    EXPECT_EQ(literal(Value::boolean(false), ValueForm::Bit), "'0'");
    EXPECT_EQ(literal(Value::text("True")), "'True'");
    EXPECT_EQ(literal(Value::boolean(true)), "'True'");
}

TEST(LiteralsTest, ByteStringsAreHexadecimalBinaryLiteralsInTheTargetsForm) {
    const Value bytes = Value::bytes(QByteArray("\x00\xff'A", 4));
    EXPECT_EQ(literal(bytes), "0x00ff2741");
    EXPECT_EQ(literal(bytes, ValueForm::Quoted, mysqlDefaultMode), "X'00ff2741'");
    EXPECT_EQ(literal(Value::bytes({})), "0x");
    EXPECT_EQ(literal(Value::bytes({}), ValueForm::Quoted, mysqlDefaultMode), "X''");
}

TEST(LiteralsTest, FloatingPointUsesTheExactShortestText) {
    EXPECT_EQ(literal(Value::real(0.1)), "'0.1'");
    EXPECT_EQ(literal(Value::real(1e300)), "'1e+300'");
    EXPECT_EQ(literal(Value::single(16777217.0f)), "'16777216'");
}

}

namespace {

TEST(LiteralsTest, TheLargestSingleGoesToAFloatColumnInRangeAndElsewhereAsItReads) {
    const Value largest = Value::single(std::numeric_limits<float>::max());
    EXPECT_EQ(literal(largest, ValueForm::Single), "'3.4028234663852886e+38'");
    EXPECT_EQ(literal(Value::single(-std::numeric_limits<float>::max()), ValueForm::Single), "'-3.4028234663852886e+38'");
    EXPECT_EQ(literal(Value::single(0.1f), ValueForm::Single), "'0.1'") << "values in range keep their shortest text";
    EXPECT_EQ(literal(largest), "'3.4028235e+38'");
}

}
