#include "transfer/Literals.h"
#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <limits>

namespace tw {

namespace {
void appendBytes(QString& statement, const QByteArray& bytes, LiteralSyntax::Bytes form) {
    const QByteArray hex = bytes.toHex();
    if (form == LiteralSyntax::Bytes::XQuoted) {
        statement += QLatin1String("X'");
        statement += QLatin1String(hex);
        statement += u'\'';
    } else {
        statement += QLatin1String("0x");
        statement += QLatin1String(hex);
    }
}

bool isInteger(const Value& value) {
    return value.kind() == Value::Kind::Integer || value.kind() == Value::Kind::Unsigned;
}

// Written straight into the statement: one INSERT a row has many of them.
void appendInteger(QString& statement, const Value& value) {
    char digits[24];
    const std::to_chars_result end =
        value.kind() == Value::Kind::Integer
            ? std::to_chars(std::begin(digits), std::end(digits), value.toInteger())
            : std::to_chars(std::begin(digits), std::end(digits), value.toUnsigned());
    statement += QLatin1StringView(digits, end.ptr - digits);
}

// A single-precision value's shortest text can read back, as a double,
// above the largest single (3.4028235e+38 does), which a FLOAT column
// refuses; the double holding the same value exactly is written then.
QString singleText(const Value& value) {
    if (value.kind() == Value::Kind::Single &&
        std::abs(value.toText().toDouble()) > double(std::numeric_limits<float>::max()))
        return Value::real(value.toDouble()).toText();
    return value.toText();
}
}

QString valueText(const Value& value, ValueForm form) {
    if (form == ValueForm::Bit || form == ValueForm::BitNumber)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (form == ValueForm::Single)
        return singleText(value);
    return value.toText();
}

void appendBoundLiteral(QString& statement, const BoundValue& value, ValueForm form, const LiteralSyntax& syntax) {
    static const QRegularExpression integer(QStringLiteral("^-?[0-9]+$"));
    switch (value.kind) {
    case BoundValue::Kind::Null: statement += QLatin1String("NULL"); break;
    case BoundValue::Kind::Bytes: appendBytes(statement, value.bytes, syntax.bytes); break;
    case BoundValue::Kind::Text:
    case BoundValue::Kind::Utf8: {
        const QString text = value.kind == BoundValue::Kind::Utf8 ? QString::fromUtf8(value.bytes) : value.text;
        if ((form == ValueForm::Number || form == ValueForm::BitNumber) && integer.match(text).hasMatch())
            statement += text;
        else
            appendSqlString(statement, text, syntax.backslashEscapes);
        break;
    }
    }
}

void appendLiteral(QString& statement, const Value& value, ValueForm form, const LiteralSyntax& syntax) {
    if (value.isNull())
        statement += QLatin1String("NULL");
    else if (value.kind() == Value::Kind::Bytes)
        appendBytes(statement, value.toBytes(), syntax.bytes);
    else if (form == ValueForm::Number && isInteger(value))
        appendInteger(statement, value);
    else if (form == ValueForm::Bit)
        statement += value.toBool() ? QLatin1String("'1'") : QLatin1String("'0'");
    else if (form == ValueForm::BitNumber)
        statement += value.toBool() ? u'1' : u'0';
    else
        appendSqlString(statement, valueText(value, form), syntax.backslashEscapes);
}

}
