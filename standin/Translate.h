#pragma once
#include <string>
#include <string_view>

namespace standin {

// Rewrites the iAnywhere forms SQLite does not accept, leaving everything
// else (quoted names, comments, the rest of string literals) as it stands:
//   ALTER TABLE "o" RENAME "n"   ->  ALTER TABLE "o" RENAME TO "n"
//   0x00ff41                     ->  X'00ff41'   (a binary literal, not a number)
//   'C:\\new' and 'a\nb'          ->  the backslash escapes of a string literal resolved
std::string translateStatement(std::string_view sql);

// An iAnywhere string literal ('…', quotes included) as SQLite reads it:
// its backslash escapes resolved.
std::string sqliteStringLiteral(std::string_view literal);

// True when text holds no statement: only blanks, comments and semicolons.
bool isBlankSql(std::string_view text);

// The statement keyword text starts with ("INSERT", "SELECT", ...), upper case.
std::string firstKeyword(std::string_view text);

}
