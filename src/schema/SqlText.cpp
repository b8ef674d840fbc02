#include "schema/SqlText.h"

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

void appendSqlString(QString& statement, const QString& text, bool backslashEscapes) {
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

QString sqlString(const QString& text, bool backslashEscapes) {
    QString literal;
    appendSqlString(literal, text, backslashEscapes);
    return literal;
}

}
