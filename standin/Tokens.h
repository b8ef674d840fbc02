#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// The pieces of SQL text the driver looks at: names, literals, numbers and
// the rest, each with its place in the text.
struct Token {
    enum Kind { Blank, Comment, Word, Quoted, String, Number, HexBinary, Semicolon, Other };
    Kind kind;
    size_t begin;
    size_t end;
};

std::vector<Token> tokenize(std::string_view s);

bool significant(const Token& t);  // not a blank or a comment
// An unquoted word, compared without regard to case with an upper-case word.
bool isWord(std::string_view s, const Token& t, std::string_view word);
bool isName(const Token& t);  // a word or a quoted name
bool isDot(std::string_view s, const Token& t);
bool isPunctuation(std::string_view s, const Token& t, char c);
// A name as the database keeps it: quotes taken off, doubled quotes single.
std::string nameText(std::string_view s, const Token& t);

}
