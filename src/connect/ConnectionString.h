#pragma once
#include <QString>

namespace tw {

// A field's value as it stands in an ODBC connection string. A value that
// holds ";", "{" or "}", or starts or ends with a blank, is enclosed in
// braces with each "}" doubled, so it stays one value and cannot add a key;
// every other value is passed exactly as typed.
QString connectionStringValue(const QString& value);

// The value of a key in an ODBC connection string (keys compared without
// regard to case, braced values unwrapped), or a null string when absent.
QString connectionStringAttribute(const QString& connectionString, const QString& key);

}
