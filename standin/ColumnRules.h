#pragma once
#include "Tokens.h"
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// Changes to a statement's tokens, by token index.
struct Edits {
    std::map<size_t, std::string> insertBefore;
    std::map<size_t, std::string> replace;  // the token's text
    std::set<size_t> remove;
    std::map<size_t, std::string> insertAfter;
    std::string trailing;  // statements run after the edited ones
};

// SQL Anywhere refuses names longer than 128 bytes.
void checkIdentifierLength(const std::string& name);

// SQL Anywhere's column rules that SQLite lacks, added to a CREATE TABLE
// (stmt: the indexes of its significant tokens in all):
//   BIT refuses NULL unless declared "BIT NULL", and holds only 0 and 1;
//   NUMERIC, DECIMAL, MONEY and SMALLMONEY keep exactly their precision and
//   scale, and UNSIGNED BIGINT every value up to 2^64 - 1, stored as text so
//   that no digit is lost; a value with more decimals than the scale is
//   stored rounded, as the server stores it;
//   DATE, TIME and TIMESTAMP hold only real dates and times of day;
//   table and column names are at most 128 bytes.
void applyCreateTableRules(std::string_view sql, const std::vector<Token>& all, const std::vector<size_t>& stmt,
                           Edits& edits);

// The word the declared type of an exact column carries, so that SQLite
// stores its values as text; the type's report ignores it.
inline constexpr const char* ExactTextMarker = "EXACT_TEXT";
// The declared type an UNSIGNED BIGINT column gets for the same reason: any
// type name holding "INT" would make SQLite round values above 2^63.
inline constexpr const char* UnsignedBigintText = "UNSIGNED_BIGNUM_TEXT";

}
