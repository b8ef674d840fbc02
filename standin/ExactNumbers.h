#pragma once
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace standin {

// SQL Anywhere's NUMERIC and DECIMAL keep exactly their precision and
// scale (NUMERIC without them is NUMERIC(30,6)): the value rounded half away
// from zero to the scale, written with exactly that many decimals. Throws
// 22003 when the digits before the point do not fit, 22018 for text that is
// no number.
std::string exactDecimal(std::string_view text, int precision, int scale);

// The functions the column rules of created tables call: sa_exact(value,
// precision, scale), sa_bit(value) and sa_unsigned_bigint(value) give 1 for
// a value the column holds, NULL for NULL, and fail with SQL Anywhere's
// message otherwise; sa_exact_unrounded(value, precision, scale) tells a
// value with more decimals than the scale, and sa_exact_round(value,
// precision, scale) gives the value as the column keeps it.
void registerColumnRuleFunctions(sqlite3* db);

// The collation of exact columns, which keep their values as text: they
// compare and sort by value, as the server's numbers do.
inline constexpr const char* ExactCollation = "sa_exact";

// SQL Anywhere's message for a value out of range for its column.
std::string outOfRangeMessage(std::string_view value);

}
