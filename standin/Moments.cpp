#include "Moments.h"
#include <cctype>
#include <string>

namespace standin {

namespace {

// Reads n digits at text[at], moving at past them.
bool digits(const std::string& text, size_t& at, size_t n, int& value) {
    value = 0;
    for (size_t k = 0; k < n; ++k, ++at) {
        if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at])))
            return false;
        value = value * 10 + (text[at] - '0');
    }
    return true;
}

bool date(const std::string& t, size_t& at) {
    int year, month, day;
    if (!digits(t, at, 4, year) || at >= t.size() || t[at++] != '-' || !digits(t, at, 2, month) || at >= t.size() ||
        t[at++] != '-' || !digits(t, at, 2, day))
        return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= days[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool time(const std::string& t, size_t& at) {
    int hour, minute, second, ignored;
    if (!digits(t, at, 2, hour) || at >= t.size() || t[at++] != ':' || !digits(t, at, 2, minute) || at >= t.size() ||
        t[at++] != ':' || !digits(t, at, 2, second))
        return false;
    if (at < t.size() && t[at] == '.') {
        ++at;
        size_t fraction = 0;
        while (at < t.size() && std::isdigit(static_cast<unsigned char>(t[at])) && digits(t, at, 1, ignored))
            ++fraction;
        if (fraction == 0 || fraction > 6)
            return false;
    }
    return hour <= 23 && minute <= 59 && second <= 59;
}

bool holds(const std::string& kind, const std::string& t) {
    size_t at = 0;
    if (kind == "time")
        return time(t, at) && at == t.size();
    if (!date(t, at))
        return false;
    if (at == t.size())
        return true;
    return t[at++] == ' ' && time(t, at) && at == t.size();
}

void saMoment(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const std::string value = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    const std::string kind = reinterpret_cast<const char*>(sqlite3_value_text(args[1]));
    if (holds(kind, value))
        return sqlite3_result_int(context, 1);
    const std::string message = "Cannot convert '" + value + "' to a " + kind;
    sqlite3_result_error(context, message.c_str(), -1);
}

}

void registerMomentFunction(sqlite3* db) {
    sqlite3_create_function(db, "sa_moment", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, saMoment, nullptr, nullptr);
}

}
