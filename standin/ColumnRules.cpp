#include "ColumnRules.h"
#include "Columns.h"
#include "ExactNumbers.h"
#include "Handles.h"
#include <random>

namespace standin {

namespace {
constexpr size_t LongestIdentifier = 128;

bool isConstraintWord(std::string_view s, const Token& t) {
    for (std::string_view w : {"NOT", "NULL", "DEFAULT", "PRIMARY", "UNIQUE", "CHECK", "REFERENCES", "IDENTITY",
                               "COMPUTE", "CONSTRAINT", "AUTOINCREMENT", "COLLATE", "FOREIGN", "INLINE", "PREFIX"})
        if (isWord(s, t, w))
            return true;
    return false;
}

std::string quotedName(const std::string& name) {
    std::string q = "\"";
    for (char c : name)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

// One column definition: its significant tokens (positions in stmt) and the
// token in all that ends it (the comma or the closing parenthesis).
// An exact column of a created table, for its rounding trigger.
struct ExactColumn {
    std::string name;
    std::string precisionScale;  // "p, s"
};

// Rounds what the exact columns were given to their scale once the row is
// stored: SQLite keeps the text as it came, the server keeps the number.
// One trigger a table, since each is compiled into every INSERT.
std::string roundingTriggers(const std::string& table, const std::vector<ExactColumn>& columns) {
    if (columns.empty())
        return {};
    // Unique in the file, also after the table is renamed and its name used again.
    thread_local std::mt19937_64 random{std::random_device{}()};
    const std::string name = "sa_round_" + std::to_string(random());
    std::string unrounded, rounded;
    for (const ExactColumn& c : columns) {
        const std::string q = quotedName(c.name);
        unrounded += (unrounded.empty() ? "" : " OR ") + std::string("sa_exact_unrounded(NEW.") + q + ", " + c.precisionScale + ")";
        rounded += (rounded.empty() ? "" : ", ") + q + " = sa_exact_round(" + q + ", " + c.precisionScale + ")";
    }
    const std::string t = quotedName(table);
    const std::string body = " FOR EACH ROW WHEN " + unrounded + " BEGIN UPDATE " + t + " SET " + rounded +
                             " WHERE rowid = NEW.rowid; END";
    return "; CREATE TRIGGER " + quotedName(name + "_i") + " AFTER INSERT ON " + t + body + "; CREATE TRIGGER " +
           quotedName(name + "_u") + " AFTER UPDATE ON " + t + body;
}

// SQL Anywhere's special defaults, as functions SQLite calls and the
// catalogue reads back: DEFAULT CURRENT TIMESTAMP, CURRENT DATE, TIMESTAMP
// (set again by every UPDATE, by a trigger) and AUTOINCREMENT (the next
// value past the largest, by a trigger after the INSERT; a NOT NULL such
// column takes its NULL until then, and the catalogue keeps its NOT NULL).
void applySpecialDefaults(std::string_view s, const std::vector<Token>& all, const std::vector<size_t>& stmt,
                          const std::vector<size_t>& def, const std::string& table, const std::string& column, Edits& edits) {
    auto word = [&](size_t j, std::string_view w) { return j < def.size() && isWord(s, all[stmt[def[j]]], w); };
    for (size_t j = 1; j < def.size(); ++j) {
        if (!word(j, "DEFAULT"))
            continue;
        std::string function;
        size_t last = j + 1;
        if (word(j + 1, "CURRENT") && word(j + 2, "TIMESTAMP")) {
            function = "sa_current_timestamp()";
            last = j + 2;
        } else if (word(j + 1, "CURRENT") && word(j + 2, "DATE")) {
            function = "sa_current_date()";
            last = j + 2;
        } else if (word(j + 1, "TIMESTAMP")) {
            function = "sa_timestamp()";
            edits.trailing += "; CREATE TRIGGER " + quotedName("sa_ts_" + std::to_string(std::random_device{}()) + "_" + column) +
                              " AFTER UPDATE ON " + quotedName(table) + " FOR EACH ROW WHEN NEW." + quotedName(column) + " IS OLD." +
                              quotedName(column) + " BEGIN UPDATE " + quotedName(table) + " SET " + quotedName(column) +
                              " = sa_timestamp() WHERE rowid = NEW.rowid; END";
        } else if (word(j + 1, "AUTOINCREMENT")) {
            bool notNull = false;
            for (size_t n = 1; n + 1 < def.size(); ++n)
                if (word(n, "NOT") && word(n + 1, "NULL")) {
                    notNull = true;
                    edits.remove.insert(stmt[def[n]]);
                    edits.remove.insert(stmt[def[n + 1]]);
                }
            function = std::string("sa_autoincrement(") + (notNull ? "1" : "0") + ")";
            const std::string c = quotedName(column), t = quotedName(table);
            edits.trailing += "; CREATE TRIGGER " + quotedName("sa_ai_" + std::to_string(std::random_device{}()) + "_" + column) +
                              " AFTER INSERT ON " + t + " FOR EACH ROW WHEN NEW." + c + " IS NULL BEGIN UPDATE " + t + " SET " + c +
                              " = (SELECT coalesce(max(CAST(" + c + " AS INTEGER)), 0) + 1 FROM " + t +
                              ") WHERE rowid = NEW.rowid; END";
        } else {
            continue;
        }
        edits.replace[stmt[def[j + 1]]] = "(" + function + ")";
        for (size_t n = j + 2; n <= last; ++n)
            edits.remove.insert(stmt[def[n]]);
    }
}

void applyColumnRules(std::string_view s, const std::vector<Token>& all, const std::vector<size_t>& stmt,
                      const std::vector<size_t>& def, size_t endToken, const std::string& table, std::vector<ExactColumn>& exact,
                      Edits& edits) {
    const Token& first = all[stmt[def.front()]];
    for (std::string_view w : {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"})
        if (isWord(s, first, w))
            return;  // a table constraint
    const std::string column = nameText(s, first);
    checkIdentifierLength(column);
    applySpecialDefaults(s, all, stmt, def, table, column, edits);

    size_t k = 1;
    const size_t typeStart = k;
    while (k < def.size()) {
        const Token& t = all[stmt[def[k]]];
        if (t.kind == Token::Word && !isConstraintWord(s, t)) {
            ++k;
        } else if (k > typeStart && isPunctuation(s, t, '(')) {
            while (k < def.size() && !isPunctuation(s, all[stmt[def[k]]], ')'))
                ++k;
            ++k;
        } else {
            break;
        }
    }
    if (k == typeStart)
        return;
    const size_t typeFirst = stmt[def[typeStart]], typeLast = stmt[def[k - 1]];
    const std::string declared(s.substr(all[typeFirst].begin, all[typeLast].end - all[typeFirst].begin));
    const std::optional<ColumnInfo> type = fromDeclaredType(declared);
    if (!type)
        return;

    bool saysNull = false, saysNotNull = false;
    for (size_t j = k; j < def.size(); ++j) {
        if (isWord(s, all[stmt[def[j]]], "NULL")) {
            if (j > k && isWord(s, all[stmt[def[j - 1]]], "NOT"))
                saysNotNull = true;
            else
                saysNull = true;
        }
    }

    std::string& after = edits.insertBefore[endToken];
    if (type->sqlType == SQL_BIT) {
        if (!saysNull && !saysNotNull)
            after += " NOT NULL";
        after += " CHECK (sa_bit(" + quotedName(column) + ") = 1)";
    } else if (type->sqlType == SQL_BIGINT && type->isUnsigned) {
        edits.replace[typeFirst] = std::string(UnsignedBigintText) + " COLLATE " + ExactCollation;
        for (size_t j = typeFirst + 1; j <= typeLast; ++j)
            edits.remove.insert(j);
        after += " CHECK (sa_unsigned_bigint(" + quotedName(column) + ") = 1)";
    } else if (type->sqlType == SQL_TINYINT || type->sqlType == SQL_SMALLINT || type->sqlType == SQL_INTEGER ||
               type->sqlType == SQL_BIGINT) {
        const int bits = type->sqlType == SQL_TINYINT ? 8 : type->sqlType == SQL_SMALLINT ? 16
                         : type->sqlType == SQL_INTEGER ? 32 : 64;
        after += " CHECK (sa_integer(" + quotedName(column) + ", " + std::to_string(bits) + ", " +
                 (type->isUnsigned ? "1" : "0") + ") = 1)";
    } else if (type->sqlType == SQL_TYPE_DATE || type->sqlType == SQL_TYPE_TIME || type->sqlType == SQL_TYPE_TIMESTAMP) {
        const char* kind = type->sqlType == SQL_TYPE_DATE ? "date" : type->sqlType == SQL_TYPE_TIME ? "time" : "timestamp";
        after += " CHECK (sa_moment(" + quotedName(column) + ", '" + kind + "') = 1)";
    } else if (type->sqlType == SQL_NUMERIC || type->sqlType == SQL_DECIMAL) {
        std::string upper;
        for (char c : type->typeName)
            upper += char(std::toupper(static_cast<unsigned char>(c)));
        const std::string ps = std::to_string(type->columnSize) + ", " + std::to_string(type->decimalDigits);
        edits.replace[typeFirst] = upper + " " + ExactTextMarker + "(" + ps + ") COLLATE " + ExactCollation;
        for (size_t j = typeFirst + 1; j <= typeLast; ++j)
            edits.remove.insert(j);
        after += " CHECK (sa_exact(" + quotedName(column) + ", " + ps + ") = 1)";
        exact.push_back({column, ps});
    }
}
}

void checkIdentifierLength(const std::string& name) {
    if (name.size() > LongestIdentifier)
        throw Error("42000", "Identifier '" + name + "' too long");
}

void applyCreateTableRules(std::string_view s, const std::vector<Token>& all, const std::vector<size_t>& stmt,
                           Edits& edits) {
    auto at = [&](size_t k) -> const Token* { return k < stmt.size() ? &all[stmt[k]] : nullptr; };
    if (!at(1) || !isWord(s, *at(0), "CREATE"))
        return;
    size_t k = 1;
    if (isWord(s, *at(k), "GLOBAL") || isWord(s, *at(k), "LOCAL"))
        k += 2;  // GLOBAL TEMPORARY, LOCAL TEMPORARY
    if (!at(k) || !isWord(s, *at(k), "TABLE"))
        return;
    ++k;
    if (at(k + 2) && isWord(s, *at(k), "IF") && isWord(s, *at(k + 1), "NOT") && isWord(s, *at(k + 2), "EXISTS"))
        k += 3;
    while (at(k + 2) && isName(*at(k)) && isDot(s, *at(k + 1)))
        k += 2;  // owner.
    if (!at(k) || !isName(*at(k)))
        return;
    const std::string table = nameText(s, *at(k));
    checkIdentifierLength(table);
    ++k;
    if (!at(k) || !isPunctuation(s, *at(k), '('))
        return;
    ++k;
    int depth = 0;
    std::vector<size_t> def;
    std::vector<ExactColumn> exact;
    for (; k < stmt.size(); ++k) {
        const Token& t = all[stmt[k]];
        const bool ends = depth == 0 && (isPunctuation(s, t, ',') || isPunctuation(s, t, ')'));
        if (ends) {
            if (!def.empty())
                applyColumnRules(s, all, stmt, def, stmt[k], table, exact, edits);
            def.clear();
            if (isPunctuation(s, t, ')')) {
                edits.trailing += roundingTriggers(table, exact);
                return;
            }
            continue;
        }
        if (isPunctuation(s, t, '('))
            ++depth;
        else if (isPunctuation(s, t, ')'))
            --depth;
        def.push_back(k);
    }
}

}
