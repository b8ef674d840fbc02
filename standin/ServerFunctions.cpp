#include "ServerFunctions.h"
#include "ExactNumbers.h"
#include "Handles.h"
#include <algorithm>
#include <string>

namespace standin {

namespace {

// A number as a count of units of 10^-scale, in 128 bits while it fits
// there, and as a signed magnitude of decimal digits once it does not.
struct ExactSum {
    bool negative = false;
    std::string digits = "0";
    size_t scale = 0;
    __int128 units = 0;
    bool inDigits = false;

    void add(std::string_view text) {
        if (!inDigits && addUnits(text))
            return;
        if (!inDigits)
            spill();
        addDigits(text);
    }

    std::string text() const {
        if (!inDigits) {
            ExactSum written = *this;
            written.spill();
            return written.text();
        }
        std::string whole = digits.size() > scale ? digits.substr(0, digits.size() - scale) : "0";
        std::string fraction = digits.size() > scale ? digits.substr(digits.size() - scale)
                                                     : std::string(scale - digits.size(), '0') + digits;
        const bool zero = digits.find_first_not_of('0') == std::string::npos;
        return (negative && !zero ? "-" : "") + whole + (scale > 0 ? "." + fraction : "");
    }

private:
    static constexpr size_t widestUnits = 36;  // digits a value may have here; 10^38 still fits

    static __int128 tenTo(size_t power) {
        __int128 p = 1;
        while (power-- > 0)
            p *= 10;
        return p;
    }

    // Adds plain digits with a sign and a point; false, and nothing added,
    // for other text or a sum that would not fit.
    bool addUnits(std::string_view text) {
        size_t k = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
        const bool valueNegative = k == 1 && text[0] == '-';
        __int128 value = 0;
        size_t digitCount = 0, valueScale = 0;
        bool point = false;
        for (; k < text.size(); ++k) {
            const char c = text[k];
            if (c == '.' && !point) {
                point = true;
            } else if (c >= '0' && c <= '9') {
                value = value * 10 + (c - '0');
                valueScale += point;
                if (++digitCount > widestUnits)
                    return false;
            } else {
                return false;
            }
        }
        if (digitCount == 0)
            return false;
        const size_t common = std::max(scale, valueScale);
        if (common > widestUnits)
            return false;
        __int128 sum = 0, shifted = 0;
        if (__builtin_mul_overflow(units, tenTo(common - scale), &sum) ||
            __builtin_mul_overflow(value, tenTo(common - valueScale), &shifted) ||
            __builtin_add_overflow(sum, valueNegative ? -shifted : shifted, &sum))
            return false;
        units = sum;
        scale = common;
        return true;
    }

    // The units as digits, for a sum that goes on beyond 128 bits.
    void spill() {
        negative = units < 0;
        unsigned __int128 magnitude = negative ? -static_cast<unsigned __int128>(units) : units;
        digits.clear();
        do {
            digits += char('0' + int(magnitude % 10));
            magnitude /= 10;
        } while (magnitude != 0);
        std::reverse(digits.begin(), digits.end());
        inDigits = true;
    }

    void addDigits(std::string_view text) {
        bool otherNegative = false;
        std::string other;
        size_t otherScale = 0;
        parse(text, otherNegative, other, otherScale);
        align(otherScale);
        other.append(scale - otherScale, '0');
        if (negative == otherNegative) {
            digits = plus(digits, other);
        } else if (lessThan(digits, other)) {
            digits = minus(other, digits);
            negative = otherNegative;
        } else {
            digits = minus(digits, other);
        }
        trim();
    }

    static void parse(std::string_view text, bool& negative, std::string& digits, size_t& scale) {
        // Written as the server writes exact numbers: exactDecimal checks it
        // and gives it back with no exponent.
        const size_t point = text.find('.');
        const std::string canonical =
            exactDecimal(text, 1000, point == std::string_view::npos ? 0 : int(text.size() - point - 1));
        negative = canonical.front() == '-';
        const std::string_view unsignedText = std::string_view(canonical).substr(negative ? 1 : 0);
        const size_t at = unsignedText.find('.');
        scale = at == std::string_view::npos ? 0 : unsignedText.size() - at - 1;
        digits.clear();
        for (char c : unsignedText)
            if (c != '.')
                digits += c;
    }
    void align(size_t otherScale) {
        if (otherScale > scale) {
            digits.append(otherScale - scale, '0');
            scale = otherScale;
        }
    }
    void trim() {
        const size_t first = digits.find_first_not_of('0');
        digits.erase(0, first == std::string::npos ? digits.size() - 1 : first);
    }
    static bool lessThan(const std::string& a, const std::string& b) {
        const size_t fa = std::min(a.find_first_not_of('0'), a.size()), fb = std::min(b.find_first_not_of('0'), b.size());
        const std::string_view x = std::string_view(a).substr(fa), y = std::string_view(b).substr(fb);
        return x.size() != y.size() ? x.size() < y.size() : x < y;
    }
    static std::string plus(const std::string& a, const std::string& b) {
        std::string r;
        int carry = 0;
        for (size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
            const int d = carry + (i < a.size() ? a[a.size() - 1 - i] - '0' : 0) + (i < b.size() ? b[b.size() - 1 - i] - '0' : 0);
            r += char('0' + d % 10);
            carry = d / 10;
        }
        std::reverse(r.begin(), r.end());
        return r;
    }
    static std::string minus(const std::string& a, const std::string& b) {  // a >= b
        std::string r;
        int borrow = 0;
        for (size_t i = 0; i < a.size(); ++i) {
            int d = (a[a.size() - 1 - i] - '0') - borrow - (i < b.size() ? b[b.size() - 1 - i] - '0' : 0);
            borrow = d < 0;
            r += char('0' + (d + 10) % 10);
        }
        std::reverse(r.begin(), r.end());
        return r;
    }
};

// Integers add as 64-bit numbers until one does not fit; then, and for
// exact text, the sum goes on exactly. A floating-point value makes it a
// floating-point sum, as the server's SUM of a DOUBLE is.
struct SumState {
    bool any = false;
    bool approximate = false;
    bool exact = false;
    sqlite3_int64 integer = 0;
    double real = 0;
    ExactSum* digits = nullptr;
};

void sumStep(sqlite3_context* context, int, sqlite3_value** args) {
    auto* s = static_cast<SumState*>(sqlite3_aggregate_context(context, sizeof(SumState)));
    if (!s)
        return sqlite3_result_error_nomem(context);
    const int type = sqlite3_value_type(args[0]);
    if (type == SQLITE_NULL)
        return;
    s->any = true;
    try {
        if (type == SQLITE_FLOAT) {
            s->approximate = true;
            s->real += sqlite3_value_double(args[0]);
            return;
        }
        if (type == SQLITE_INTEGER && !s->exact) {
            const sqlite3_int64 v = sqlite3_value_int64(args[0]);
            s->real += double(v);
            if (!__builtin_add_overflow(s->integer, v, &s->integer))
                return;
            s->digits = new ExactSum;
            s->digits->add(std::to_string(s->integer - v));
            s->digits->add(std::to_string(v));
            s->exact = true;
            return;
        }
        const std::string text(reinterpret_cast<const char*>(sqlite3_value_text(args[0])),
                               size_t(sqlite3_value_bytes(args[0])));
        if (!s->exact) {
            s->digits = new ExactSum;
            s->digits->add(std::to_string(s->integer));
            s->exact = true;
        }
        s->real += std::stod(text);
        s->digits->add(text);
    } catch (const Error& e) {
        sqlite3_result_error(context, e.record.message.c_str() + std::char_traits<char>::length(MessagePrefix), -1);
    } catch (const std::exception&) {
        sqlite3_result_error(context, "Cannot convert the value to a numeric", -1);
    }
}

void sumFinal(sqlite3_context* context) {
    auto* s = static_cast<SumState*>(sqlite3_aggregate_context(context, 0));
    if (!s || !s->any) {
        sqlite3_result_null(context);
    } else if (s->approximate) {
        sqlite3_result_double(context, s->real);
    } else if (s->exact) {
        const std::string text = s->digits->text();
        sqlite3_result_text(context, text.c_str(), int(text.size()), SQLITE_TRANSIENT);
    } else {
        sqlite3_result_int64(context, s->integer);
    }
    if (s)
        delete s->digits;
}

void byteLength(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    sqlite3_result_int64(context, sqlite3_value_bytes(args[0]));
}

}

void registerServerFunctions(sqlite3* db) {
    sqlite3_create_function(db, "sum", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr, sumStep, sumFinal);
    sqlite3_create_function(db, "byte_length", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, byteLength, nullptr,
                            nullptr);
}

}
