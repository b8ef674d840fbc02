#include "Translate.h"
#include "ColumnRules.h"
#include "Columns.h"
#include "ExactNumbers.h"
#include "Tokens.h"
#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

namespace standin {

namespace {

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
    checkIdentifierLength(nameText(s, *target));
    return stmt[k];
}

// SQLite reads a number literal beyond 64-bit integers, or with more digits
// than a double keeps, as an approximate double; quoted, the column's type
// decides, and an exact column keeps every digit.
bool losesDigits(std::string_view number) {
    size_t digits = 0;
    for (char c : number) {
        if (c == 'e' || c == 'E')
            break;
        digits += std::isdigit(static_cast<unsigned char>(c)) ? 1 : 0;
    }
    return digits > 15;
}

// Appends the number quoted, taking in a minus sign written just before it
// where that sign belongs to the number (after "(", "," or an operator).
void quoteNumber(std::string& out, std::string_view number) {
    const size_t sign = out.find_last_not_of(" \t\r\n");
    bool negative = false;
    if (sign != std::string::npos && out[sign] == '-') {
        const size_t before = out.find_last_not_of(" \t\r\n", sign == 0 ? std::string::npos : sign - 1);
        negative = sign == 0 || (before != std::string::npos && std::string_view("(,=<>+-*/").find(out[before]) !=
                                                                     std::string_view::npos);
        if (negative)
            out.resize(sign);
    }
    out += negative ? "'-" : "'";
    out += number;
    out += '\'';
}

// CAST(x AS NUMERIC(p, s)) keeps the exact number, as the server's does,
// where SQLite would make it a double: it becomes the rounding function
// of exact columns, and compares by value as they do.
void applyExactCasts(std::string_view s, const std::vector<Token>& all, Edits& edits) {
    if (std::none_of(all.begin(), all.end(), [&](const Token& t) { return isWord(s, t, "CAST"); }))
        return;  // the usual INSERT: no second pass
    std::vector<size_t> at;  // significant tokens
    for (size_t k = 0; k < all.size(); ++k)
        if (significant(all[k]))
            at.push_back(k);
    for (size_t i = 0; i + 1 < at.size(); ++i) {
        if (!isWord(s, all[at[i]], "CAST") || !isPunctuation(s, all[at[i + 1]], '('))
            continue;
        int depth = 0;
        size_t as = 0, close = 0;
        for (size_t j = i + 1; j < at.size() && !close; ++j) {
            const Token& t = all[at[j]];
            if (isPunctuation(s, t, '('))
                ++depth;
            else if (isPunctuation(s, t, ')') && --depth == 0)
                close = j;
            else if (depth == 1 && !as && isWord(s, t, "AS"))
                as = j;
        }
        if (!as || !close || as + 1 >= close)
            continue;
        const size_t typeBegin = all[at[as + 1]].begin, typeEnd = all[at[close - 1]].end;
        const std::optional<ColumnInfo> type = fromDeclaredType(std::string(s.substr(typeBegin, typeEnd - typeBegin)));
        if (!type || (type->sqlType != SQL_NUMERIC && type->sqlType != SQL_DECIMAL))
            continue;
        edits.replace[at[i]] = "sa_exact_round";
        edits.replace[at[as]] = ",";
        for (size_t j = at[as + 1]; j < at[close]; ++j)
            edits.remove.insert(j);
        edits.insertBefore[at[close]] +=
            " " + std::to_string(type->columnSize) + ", " + std::to_string(type->decimalDigits);
        edits.replace[at[close]] = std::string(") COLLATE ") + ExactCollation;
    }
}

// SQL Anywhere limits a SELECT's rows with TOP n [START AT m] after SELECT
// [DISTINCT]; SQLite with LIMIT and OFFSET at the end.
void applyRowLimit(std::string_view s, const std::vector<Token>& all, const std::vector<size_t>& stmt, Edits& edits) {
    auto at = [&](size_t k) -> const Token* { return k < stmt.size() ? &all[stmt[k]] : nullptr; };
    auto number = [&](size_t k) { return at(k) && at(k)->kind == Token::Number; };
    auto text = [&](size_t k) { return std::string(s.substr(at(k)->begin, at(k)->end - at(k)->begin)); };
    if (!at(0) || !isWord(s, *at(0), "SELECT"))
        return;
    size_t k = at(1) && isWord(s, *at(1), "DISTINCT") ? 2 : 1;
    if (!at(k) || !isWord(s, *at(k), "TOP") || !number(k + 1))
        return;
    std::string limit = " LIMIT " + text(k + 1);
    edits.remove.insert(stmt[k]);
    edits.remove.insert(stmt[k + 1]);
    if (at(k + 3) && isWord(s, *at(k + 2), "START") && isWord(s, *at(k + 3), "AT") && number(k + 4)) {
        limit += " OFFSET " + std::to_string(std::stoll(text(k + 4)) - 1);
        for (size_t j = k + 2; j <= k + 4; ++j)
            edits.remove.insert(stmt[j]);
    }
    edits.insertAfter[stmt.back()] += limit;
}

}

std::string translateStatement(std::string_view sql) {
    const std::vector<Token> tokens = tokenize(sql);

    Edits edits;
    std::vector<size_t> statement;
    auto finishStatement = [&] {
        if (auto k = missingRenameTo(sql, tokens, statement))
            edits.insertBefore[*k] += "TO ";
        applyCreateTableRules(sql, tokens, statement, edits);
        applyRowLimit(sql, tokens, statement, edits);
        statement.clear();
    };
    for (size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k].kind == Token::Semicolon)
            finishStatement();
        else if (significant(tokens[k]))
            statement.push_back(k);
    }
    finishStatement();
    applyExactCasts(sql, tokens, edits);

    std::string out;
    out.reserve(sql.size() + 16);
    for (size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        const std::string_view text = sql.substr(t.begin, t.end - t.begin);
        if (auto before = edits.insertBefore.find(k); before != edits.insertBefore.end())
            out += before->second;
        if (edits.remove.count(k))
            continue;
        if (auto replacement = edits.replace.find(k); replacement != edits.replace.end()) {
            out += replacement->second;
        } else if (t.kind == Token::Number && losesDigits(text)) {
            quoteNumber(out, text);
        } else if (t.kind == Token::HexBinary) {
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
        if (auto after = edits.insertAfter.find(k); after != edits.insertAfter.end())
            out += after->second;
    }
    return out + edits.trailing;
}

std::string sqliteStringLiteral(std::string_view literal) {
    std::string out;
    appendStringLiteral(out, literal);
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
