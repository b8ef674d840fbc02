#include "ExactNumbers.h"
#include "Handles.h"
#include <algorithm>
#include <cmath>
#include <cctype>
#include <optional>

namespace standin {

std::string outOfRangeMessage(std::string_view value) {
    return "Value " + std::string(value) + " out of range for destination";
}

namespace {
// An exact number's parts: its sign, its digits before the point without
// leading zeros, and after it without trailing zeros.
struct Decimal {
    bool negative = false;
    std::string_view whole, fraction;
};

bool parseDecimal(std::string_view text, Decimal& d) {
    size_t k = 0;
    d.negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        ++k;
    const size_t point = text.find('.', k);
    d.whole = text.substr(k, point == std::string_view::npos ? std::string_view::npos : point - k);
    d.fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto digits = [](std::string_view s) { return s.find_first_not_of("0123456789") == std::string_view::npos; };
    if ((d.whole.empty() && d.fraction.empty()) || !digits(d.whole) || !digits(d.fraction))
        return false;
    d.whole.remove_prefix(std::min(d.whole.find_first_not_of('0'), d.whole.size()));
    d.fraction.remove_suffix(d.fraction.size() - std::min(d.fraction.find_last_not_of('0') + 1, d.fraction.size()));
    if (d.whole.empty() && d.fraction.empty())
        d.negative = false;
    return true;
}

// Plain digits with at most a sign and a point, that fit the scale without
// rounding and the precision: written as the column keeps them at once.
// Most values are such; the rest take the general way.
std::optional<std::string> plainDecimal(std::string_view text, int precision, int scale) {
    Decimal d;
    if (!parseDecimal(text, d) || long(d.fraction.size()) > scale || long(d.whole.size()) > precision - scale)
        return std::nullopt;
    std::string out;
    out.reserve(d.whole.size() + size_t(std::max(scale, 0)) + 3);
    if (d.negative)
        out += '-';
    out += d.whole.empty() ? std::string_view("0") : d.whole;
    if (scale > 0) {
        out += '.';
        out += d.fraction;
        out.append(size_t(scale) - d.fraction.size(), '0');
    }
    return out;
}
}

std::string exactDecimal(std::string_view text, int precision, int scale) {
    if (std::optional<std::string> plain = plainDecimal(text, precision, scale))
        return *std::move(plain);
    size_t i = 0, end = text.size();
    while (i < end && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    while (end > i && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    const std::string_view t = text.substr(i, end - i);
    auto notANumber = [&] { return Error("22018", "Cannot convert '" + std::string(text) + "' to a numeric"); };

    size_t k = 0;
    const bool negative = k < t.size() && t[k] == '-';
    if (k < t.size() && (t[k] == '-' || t[k] == '+'))
        ++k;
    std::string digits;  // every digit, the point taken out
    long pointAt = -1;   // digits before the point
    for (; k < t.size() && (std::isdigit(static_cast<unsigned char>(t[k])) || t[k] == '.'); ++k) {
        if (t[k] == '.') {
            if (pointAt >= 0)
                throw notANumber();
            pointAt = long(digits.size());
        } else {
            digits += t[k];
        }
    }
    if (digits.empty())
        throw notANumber();
    if (pointAt < 0)
        pointAt = long(digits.size());
    if (k < t.size() && (t[k] == 'e' || t[k] == 'E')) {
        const std::string exponent(t.substr(k + 1));
        size_t used = 0;
        long shift = 0;
        try {
            shift = std::stol(exponent, &used);
        } catch (const std::exception&) {
            throw notANumber();
        }
        if (used != exponent.size() || shift > 10000 || shift < -10000)
            throw notANumber();
        pointAt += shift;
        k = t.size();
    }
    if (k != t.size())
        throw notANumber();

    // Place the point: pad with zeros on either side as the exponent asks.
    if (pointAt < 0) {
        digits.insert(0, size_t(-pointAt), '0');
        pointAt = 0;
    }
    if (pointAt > long(digits.size()))
        digits.append(size_t(pointAt) - digits.size(), '0');
    std::string whole = digits.substr(0, size_t(pointAt));
    std::string fraction = digits.substr(size_t(pointAt));

    const bool roundUp = long(fraction.size()) > scale && fraction[size_t(scale)] >= '5';
    fraction.resize(size_t(scale), '0');
    if (roundUp) {
        std::string all = whole + fraction;
        long at = long(all.size()) - 1;
        while (at >= 0 && all[size_t(at)] == '9')
            all[size_t(at--)] = '0';
        if (at < 0)
            all.insert(0, 1, '1');
        else
            ++all[size_t(at)];
        whole = all.substr(0, all.size() - size_t(scale));
        fraction = all.substr(all.size() - size_t(scale));
    }
    const size_t firstDigit = whole.find_first_not_of('0');
    whole = firstDigit == std::string::npos ? std::string("0") : whole.substr(firstDigit);
    const size_t wholeDigits = whole == "0" ? 0 : whole.size();
    if (long(wholeDigits) > precision - scale)
        throw Error("22003", outOfRangeMessage(t));
    const bool zero = wholeDigits == 0 && fraction.find_first_not_of('0') == std::string::npos;
    return (negative && !zero ? "-" : "") + whole + (scale > 0 ? "." + fraction : "");
}

namespace {
std::string textArgument(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? std::string(p, size_t(sqlite3_value_bytes(v))) : std::string();
}

void saExact(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    try {
        exactDecimal(textArgument(args[0]), sqlite3_value_int(args[1]), sqlite3_value_int(args[2]));
        sqlite3_result_int(context, 1);
    } catch (const Error& e) {
        sqlite3_result_error(context, e.record.message.c_str() + std::char_traits<char>::length(MessagePrefix), -1);
    }
}

// True for a value the column would keep with more decimals than its scale.
void saExactUnrounded(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) != SQLITE_TEXT)
        return sqlite3_result_int(context, sqlite3_value_type(args[0]) == SQLITE_FLOAT);
    const std::string text = textArgument(args[0]);
    const size_t point = text.find('.');
    const bool exponent = text.find_first_of("eE") != std::string::npos;
    sqlite3_result_int(context, exponent || (point != std::string::npos &&
                                             long(text.size() - point - 1) > sqlite3_value_int(args[2])));
}

// The value as an exact column of this precision and scale keeps it; also
// CAST(value AS NUMERIC(p, s)).
void saExactRound(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    try {
        const std::string rounded =
            exactDecimal(textArgument(args[0]), sqlite3_value_int(args[1]), sqlite3_value_int(args[2]));
        sqlite3_result_text(context, rounded.c_str(), int(rounded.size()), SQLITE_TRANSIENT);
    } catch (const Error& e) {
        sqlite3_result_error(context, e.record.message.c_str() + std::char_traits<char>::length(MessagePrefix), -1);
    }
}

// An integer column holds whole numbers of its size: text that is no
// number is refused (SQLite would keep it as text), and so is one out of range.
void saInteger(sqlite3_context* context, int, sqlite3_value** args) {
    const int type = sqlite3_value_type(args[0]);
    if (type == SQLITE_NULL)
        return sqlite3_result_null(context);
    const int bits = sqlite3_value_int(args[1]);
    const bool isUnsigned = sqlite3_value_int(args[2]) != 0;
    const std::string text = textArgument(args[0]);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
        const std::string message = "Cannot convert '" + text + "' to a integer";
        return sqlite3_result_error(context, message.c_str(), -1);
    }
    const double v = sqlite3_value_double(args[0]);
    const double least = isUnsigned ? 0 : -std::ldexp(1.0, bits - 1);
    const double most = isUnsigned ? std::ldexp(1.0, bits) - 1 : std::ldexp(1.0, bits - 1) - 1;
    if (bits < 64 ? (v < least || v > most) : (isUnsigned && v < 0))
        return sqlite3_result_error(context, outOfRangeMessage(text).c_str(), -1);
    sqlite3_result_int(context, 1);
}

void saBit(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const std::string text = textArgument(args[0]);
    if (text == "0" || text == "1") {
        sqlite3_result_int(context, 1);
        return;
    }
    sqlite3_result_error(context, outOfRangeMessage(text).c_str(), -1);
}

void saUnsignedBigint(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const std::string text = textArgument(args[0]);
    static const std::string largest = "18446744073709551615";
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    const std::string trimmed = digitsOnly ? text.substr(std::min(text.find_first_not_of('0'), text.size() - 1)) : text;
    if (digitsOnly && (trimmed.size() < largest.size() || (trimmed.size() == largest.size() && trimmed <= largest))) {
        sqlite3_result_int(context, 1);
        return;
    }
    sqlite3_result_error(context, outOfRangeMessage(text).c_str(), -1);
}

int compareMagnitude(const Decimal& a, const Decimal& b) {
    if (a.whole.size() != b.whole.size())
        return a.whole.size() < b.whole.size() ? -1 : 1;
    if (const int c = a.whole.compare(b.whole); c != 0)
        return c < 0 ? -1 : 1;
    const int c = a.fraction.compare(b.fraction);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// Exact columns keep their values as text; they compare and sort by value.
int compareExact(void*, int lengthA, const void* a, int lengthB, const void* b) {
    const std::string_view textA(static_cast<const char*>(a), size_t(lengthA));
    const std::string_view textB(static_cast<const char*>(b), size_t(lengthB));
    Decimal da, db;
    if (!parseDecimal(textA, da) || !parseDecimal(textB, db)) {
        const int c = textA.compare(textB);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (da.negative != db.negative)
        return da.negative ? -1 : 1;
    const int magnitude = compareMagnitude(da, db);
    return da.negative ? -magnitude : magnitude;
}
}

void registerColumnRuleFunctions(sqlite3* db) {
    sqlite3_create_collation_v2(db, ExactCollation, SQLITE_UTF8, nullptr, compareExact, nullptr);
    sqlite3_create_function(db, "sa_unsigned_bigint", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, saUnsignedBigint,
                            nullptr, nullptr);
    sqlite3_create_function(db, "sa_exact", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, saExact, nullptr, nullptr);
    sqlite3_create_function(db, "sa_exact_unrounded", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            saExactUnrounded, nullptr, nullptr);
    sqlite3_create_function(db, "sa_exact_round", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, saExactRound,
                            nullptr, nullptr);
    sqlite3_create_function(db, "sa_integer", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, saInteger, nullptr,
                            nullptr);
    sqlite3_create_function(db, "sa_bit", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, saBit, nullptr, nullptr);
}

}
