#pragma once
#include "Odbc.h"
#include <string>
#include <string_view>

namespace standin {

// Text inside the driver is UTF-8, as SQLite keeps it; the W entry points
// speak UTF-16 (2-byte SQLWCHAR under unixODBC).
std::string utf8FromWide(const SQLWCHAR* text, SQLLEN lengthInChars);  // SQL_NTS allowed
std::string utf8FromNarrow(const SQLCHAR* text, SQLLEN lengthInBytes);  // narrow text is UTF-8
std::u16string utf16FromUtf8(std::string_view utf8);

// How many code units of s fit in room units without splitting a UTF-16
// surrogate pair or a UTF-8 sequence; may be 0.
size_t wholeUnits(const std::u16string& s, size_t from, size_t room);
size_t wholeUnits(std::string_view s, size_t from, size_t room);

enum class Unit { Chars, Bytes };

// Copies s NUL-terminated into a caller's SQLWCHAR buffer whose size
// bufferLength is counted in unit; *length gets the full length in that
// unit. Returns true when the text was cut short (the caller reports 01004).
template <class Len>
bool putWide(std::string_view utf8, SQLPOINTER buffer, SQLLEN bufferLength, Unit unit, Len* length);

// The same for a narrow (UTF-8) buffer counted in bytes.
template <class Len>
bool putNarrow(std::string_view utf8, SQLPOINTER buffer, SQLLEN bufferLength, Len* length);

}
