#pragma once
#include "connect/ParameterStatement.h"
#include "connect/Value.h"
#include "schema/SqlText.h"
#include <QString>

namespace tw {

// How a column's values are written into an INSERT.
enum class ValueForm {
    Quoted,  // a string literal; the target converts it
    Number,  // integers unquoted
    Bit,     // 1 or 0 from the value, quoted like the other values
    Single,  // quoted, in a form a single-precision column reads back in range
    BitNumber,  // 1 or 0 unquoted: MySQL's BIT takes a quoted digit for its byte
};

// How the target database reads literals.
struct LiteralSyntax {
    enum class Bytes { ZeroX, XQuoted } bytes = Bytes::ZeroX;  // 0x0a1b or X'0a1b'
    // iAnywhere reads backslash escapes in string literals (\\, \n, \xHH),
    // and so does MySQL unless its sql_mode holds NO_BACKSLASH_ESCAPES;
    // where they are read, each backslash is doubled.
    bool backslashEscapes = false;
};

// The text a value is written as in its column's form (not quoted); what a
// statement with parameters gives for a value that is neither NULL nor bytes.
QString valueText(const Value& value, ValueForm form);

// Appends the literal of a value as a statement's parameter gave it: the
// same as appendLiteral of the value it was made from in that form, an
// integer of a Number column bare, any other text quoted.
void appendBoundLiteral(QString& statement, const BoundValue& value, ValueForm form, const LiteralSyntax& syntax);

// Appends the SQL literal of a value: NULL for Null, a binary literal for a
// byte string, and otherwise the value's exact text in the column's form.
void appendLiteral(QString& statement, const Value& value, ValueForm form, const LiteralSyntax& syntax);

}
