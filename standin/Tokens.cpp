#include "Tokens.h"
#include <cctype>

namespace standin {

namespace {

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

bool isPunctuation(std::string_view s, const Token& t, char c) { return t.kind == Token::Other && s[t.begin] == c; }

std::string nameText(std::string_view s, const Token& t) {
    const std::string_view text = s.substr(t.begin, t.end - t.begin);
    if (t.kind != Token::Quoted || text.size() < 2)
        return std::string(text);
    const char close = text.front() == '[' ? ']' : text.front();
    std::string name;
    for (size_t k = 1; k + 1 < text.size(); ++k) {
        name += text[k];
        if (text[k] == close && close != ']' && k + 2 < text.size() && text[k + 1] == close)
            ++k;
    }
    return name;
}

}
