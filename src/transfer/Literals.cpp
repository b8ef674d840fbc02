#include "transfer/Literals.h"

namespace tw {

QString quotedName(const QString& name, QChar quote) {
    QString quoted;
    quoted.reserve(name.size() + 2);
    quoted += quote;
    for (QChar c : name) {
        if (c == quote)
            quoted += quote;
        quoted += c;
    }
    quoted += quote;
    return quoted;
}

namespace {
void appendQuoted(QString& statement, const QString& text, bool backslashEscapes) {
    statement += u'\'';
    if (!text.contains(u'\'') && !(backslashEscapes && text.contains(u'\\'))) {
        statement += text;
    } else {
        for (QChar c : text) {
            if (c == u'\'' || (backslashEscapes && c == u'\\'))
                statement += c;
            statement += c;
        }
    }
    statement += u'\'';
}

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
}

void appendLiteral(QString& statement, const Value& value, ValueForm form, const LiteralSyntax& syntax) {
    if (value.isNull())
        statement += QLatin1String("NULL");
    else if (value.kind() == Value::Kind::Bytes)
        appendBytes(statement, value.toBytes(), syntax.bytes);
    else if (form == ValueForm::Bit)
        statement += value.toBool() ? QLatin1String("'1'") : QLatin1String("'0'");
    else if (form == ValueForm::Number && isInteger(value))
        statement += value.toText();
    else
        appendQuoted(statement, value.toText(), syntax.backslashEscapes);
}

}
