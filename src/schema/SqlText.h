#pragma once
#include <QString>

namespace tw {

// The name enclosed in the quote character, any quote character inside it
// doubled, so no name can end the identifier early.
QString quotedName(const QString& name, QChar quote);

// Appends text as a string literal: each apostrophe doubled, and each
// backslash too where the database reads backslash escapes.
void appendSqlString(QString& statement, const QString& text, bool backslashEscapes);
QString sqlString(const QString& text, bool backslashEscapes);

}
