#include "Translate.h"
#include <cctype>
#include <optional>
#include <vector>

namespace standin {

namespace {

struct Token {
    enum Kind { Blank, Comment, Word, Quoted, String, Number, HexBinary, Semicolon, Other };
    Kind kind;
    size_t begin;
    size_t end;
};

bool isWordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80; }

// Finds the end of a literal or quoted name opened at i by quote, where a
// doubled closing character stands for itself ('can''t', "a""b").
size_t endOfQuoted(std::string_view s, size_t i, char close) {
    size_t j = i + 1;
    while (j < s.size()) {
        if (s[j] == close) {
            if (close != ']' && j + 1 < s.size() && s[j + 1] == close) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return s.size();
}

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const unsigned char next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
        size_t j = i + 1;
        Token::Kind kind = Token::Other;
        if (std::isspace(c)) {
            while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j])))
                ++j;
            kind = Token::Blank;
        } else if (c == '-' && next == '-') {
            while (j < s.size() && s[j] != '\n')
                ++j;
            kind = Token::Comment;
        } else if (c == '/' && next == '*') {
            const size_t close = s.find("*/", i + 2);
            j = close == std::string_view::npos ? s.size() : close + 2;
            kind = Token::Comment;
        } else if (c == '\'') {
            j = endOfQuoted(s, i, '\'');
            kind = Token::String;
        } else if (c == '"' || c == '`' || c == '[') {
            j = endOfQuoted(s, i, c == '[' ? ']' : char(c));
            kind = Token::Quoted;
        } else if (c == '0' && (next == 'x' || next == 'X')) {
            j = i + 2;
            while (j < s.size() && std::isxdigit(static_cast<unsigned char>(s[j])))
                ++j;
            if (j < s.size() && isWordChar(static_cast<unsigned char>(s[j]))) {
                while (j < s.size() && isWordChar(static_cast<unsigned char>(s[j])))
                    ++j;
                kind = Token::Number;
            } else {
                kind = Token::HexBinary;
            }
        } else if (std::isdigit(c) || (c == '.' && std::isdigit(next))) {
            while (j < s.size()) {
                const unsigned char d = static_cast<unsigned char>(s[j]);
                const unsigned char prev = static_cast<unsigned char>(s[j - 1]);
                if (isWordChar(d) || d == '.' || ((d == '+' || d == '-') && (prev == 'e' || prev == 'E')))
                    ++j;
                else
                    break;
            }
            kind = Token::Number;
        } else if (isWordChar(c)) {
            while (j < s.size() && isWordChar(static_cast<unsigned char>(s[j])))
                ++j;
            kind = Token::Word;
        } else if (c == ';') {
            kind = Token::Semicolon;
        }
        tokens.push_back({kind, i, j});
        i = j;
    }
    return tokens;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// iAnywhere reads three escapes in a string literal: \\ is a backslash,
// \n a new line and \xHH the character with that code; any other backslash
// stands for itself. SQLite reads none, so they are resolved here.
void appendStringLiteral(std::string& out, std::string_view literal) {
    for (size_t k = 0; k < literal.size(); ++k) {
        const char c = literal[k];
        const char next = k + 1 < literal.size() ? literal[k + 1] : 0;
        if (c != '\\') {
            out += c;
        } else if (next == '\\') {
            out += '\\';
            ++k;
        } else if (next == 'n') {
            out += '\n';
            ++k;
        } else if (next == 'x' && k + 3 < literal.size() && hexValue(literal[k + 2]) >= 0 &&
                   hexValue(literal[k + 3]) >= 0) {
            const char code = char(hexValue(literal[k + 2]) * 16 + hexValue(literal[k + 3]));
            if (code == '\'')
                out += '\'';  // still inside the literal: keep it doubled
            out += code;
            k += 3;
        } else {
            out += c;
        }
    }
}

bool significant(const Token& t) { return t.kind != Token::Blank && t.kind != Token::Comment; }

bool isWord(std::string_view s, const Token& t, std::string_view word) {
    if (t.kind != Token::Word || t.end - t.begin != word.size())
        return false;
    for (size_t k = 0; k < word.size(); ++k)
        if (std::toupper(static_cast<unsigned char>(s[t.begin + k])) != word[k])
            return false;
    return true;
}

bool isName(const Token& t) { return t.kind == Token::Word || t.kind == Token::Quoted; }

bool isDot(std::string_view s, const Token& t) { return t.kind == Token::Other && s[t.begin] == '.'; }

// In ALTER TABLE name RENAME newname, the token index where SQLite wants a TO.
// Column renames (RENAME [COLUMN] a TO b) and RENAME TO stay as they are.
std::optional<size_t> missingRenameTo(std::string_view s, const std::vector<Token>& all,
                                      const std::vector<size_t>& stmt) {
    auto at = [&](size_t k) -> const Token* { return k < stmt.size() ? &all[stmt[k]] : nullptr; };
    if (!at(1) || !isWord(s, *at(0), "ALTER") || !isWord(s, *at(1), "TABLE"))
        return std::nullopt;
    size_t k = 2;
    if (!at(k) || !isName(*at(k)))
        return std::nullopt;
    ++k;
    while (at(k + 1) && isDot(s, *at(k)) && isName(*at(k + 1)))
        k += 2;
    if (!at(k) || !isWord(s, *at(k), "RENAME"))
        return std::nullopt;
    ++k;
    const Token* target = at(k);
    if (!target || !isName(*target) || isWord(s, *target, "TO") || isWord(s, *target, "COLUMN"))
        return std::nullopt;
    if (const Token* after = at(k + 1); after && isWord(s, *after, "TO"))
        return std::nullopt;
    return stmt[k];
}

}

std::string translateStatement(std::string_view sql) {
    const std::vector<Token> tokens = tokenize(sql);

    std::vector<size_t> insertTo;  // token indexes that get "TO " in front
    std::vector<size_t> statement;
    auto finishStatement = [&] {
        if (auto k = missingRenameTo(sql, tokens, statement))
            insertTo.push_back(*k);
        statement.clear();
    };
    for (size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k].kind == Token::Semicolon)
            finishStatement();
        else if (significant(tokens[k]))
            statement.push_back(k);
    }
    finishStatement();

    std::string out;
    out.reserve(sql.size() + 16);
    size_t nextInsert = 0;
    for (size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        const std::string_view text = sql.substr(t.begin, t.end - t.begin);
        if (nextInsert < insertTo.size() && insertTo[nextInsert] == k) {
            out += "TO ";
            ++nextInsert;
        }
        if (t.kind == Token::HexBinary) {
            const std::string_view digits = text.substr(2);
            out += "X'";
            if (digits.size() % 2)
                out += '0';  // 0xabc is the two bytes 0a bc
            out += digits;
            out += '\'';
        } else if (t.kind == Token::String) {
            appendStringLiteral(out, text);
        } else {
            out += text;
        }
    }
    return out;
}

bool isBlankSql(std::string_view text) {
    for (const Token& t : tokenize(text))
        if (significant(t) && t.kind != Token::Semicolon)
            return false;
    return true;
}

std::string firstKeyword(std::string_view text) {
    for (const Token& t : tokenize(text)) {
        if (!significant(t))
            continue;
        std::string word;
        if (t.kind == Token::Word)
            for (size_t k = t.begin; k < t.end; ++k)
                word += char(std::toupper(static_cast<unsigned char>(text[k])));
        return word;
    }
    return {};
}

}
