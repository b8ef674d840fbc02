#include "Text.h"
#include <algorithm>
#include <cstring>

namespace standin {

namespace {

constexpr char32_t Replacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool isHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}

std::string utf8FromWide(const SQLWCHAR* text, SQLLEN length) {
    std::string out;
    if (!text)
        return out;
    if (length == SQL_NTS) {
        length = 0;
        while (text[length])
            ++length;
    }
    if (length < 0)
        return out;
    out.reserve(size_t(length));
    for (SQLLEN i = 0; i < length; ++i) {
        char16_t u = char16_t(text[i]);
        if (isHigh(u) && i + 1 < length && isLow(char16_t(text[i + 1]))) {
            char32_t c = 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            appendUtf8(out, c);
            ++i;
        } else if (isHigh(u) || isLow(u)) {
            appendUtf8(out, Replacement);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

std::string utf8FromNarrow(const SQLCHAR* text, SQLLEN length) {
    if (!text)
        return {};
    if (length == SQL_NTS)
        return std::string(reinterpret_cast<const char*>(text));
    if (length < 0)
        return {};
    return std::string(reinterpret_cast<const char*>(text), size_t(length));
}

std::u16string utf16FromUtf8(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        // A run of ASCII widens byte for byte, in one append: most text is.
        size_t ascii = i;
        while (ascii < n && static_cast<unsigned char>(s[ascii]) < 0x80)
            ++ascii;
        if (ascii > i) {
            const size_t at = out.size();
            out.resize(at + (ascii - i));
            std::copy(s.begin() + std::ptrdiff_t(i), s.begin() + std::ptrdiff_t(ascii), out.begin() + std::ptrdiff_t(at));
            i = ascii;
            continue;
        }
        unsigned char b = static_cast<unsigned char>(s[i]);
        char32_t c;
        size_t extra;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += char16_t(Replacement);
            ++i;
            continue;
        }
        bool ok = true;
        for (size_t k = 1; k <= extra; ++k) {
            if (i + k >= n || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        if (!ok) {
            out += char16_t(Replacement);
            ++i;
            continue;
        }
        i += extra + 1;
        const bool overlong = (extra == 1 && c < 0x80) || (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
        if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += char16_t(Replacement);
        } else if (c >= 0x10000) {
            c -= 0x10000;
            out += char16_t(0xD800 + (c >> 10));
            out += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

size_t wholeUnits(const std::u16string& s, size_t from, size_t room) {
    size_t n = std::min(room, s.size() - from);
    if (n > 0 && from + n < s.size() && isHigh(s[from + n - 1]) && isLow(s[from + n]))
        --n;
    return n;
}

size_t wholeUnits(std::string_view s, size_t from, size_t room) {
    size_t n = std::min(room, s.size() - from);
    if (from + n < s.size()) {
        size_t k = n;
        while (k > 0 && (static_cast<unsigned char>(s[from + k]) & 0xC0) == 0x80)
            --k;
        if (k > 0)
            n = k;
    }
    return n;
}

template <class Len>
bool putWide(std::string_view utf8, SQLPOINTER buffer, SQLLEN bufferLength, Unit unit, Len* length) {
    const std::u16string w = utf16FromUtf8(utf8);
    const SQLLEN scale = unit == Unit::Bytes ? SQLLEN(sizeof(SQLWCHAR)) : 1;
    if (length)
        *length = Len(SQLLEN(w.size()) * scale);
    if (!buffer)
        return false;
    const SQLLEN capacity = bufferLength / scale;  // in characters, with the NUL
    if (capacity <= 0)
        return !w.empty();
    const size_t n = wholeUnits(w, 0, size_t(capacity - 1));
    auto* out = static_cast<SQLWCHAR*>(buffer);
    std::memcpy(out, w.data(), n * sizeof(SQLWCHAR));
    out[n] = 0;
    return n < w.size();
}

template <class Len>
bool putNarrow(std::string_view utf8, SQLPOINTER buffer, SQLLEN bufferLength, Len* length) {
    if (length)
        *length = Len(utf8.size());
    if (!buffer)
        return false;
    if (bufferLength <= 0)
        return !utf8.empty();
    const size_t n = wholeUnits(utf8, 0, size_t(bufferLength - 1));
    auto* out = static_cast<char*>(buffer);
    std::memcpy(out, utf8.data(), n);
    out[n] = 0;
    return n < utf8.size();
}

template bool putWide<SQLSMALLINT>(std::string_view, SQLPOINTER, SQLLEN, Unit, SQLSMALLINT*);
template bool putWide<SQLINTEGER>(std::string_view, SQLPOINTER, SQLLEN, Unit, SQLINTEGER*);
template bool putNarrow<SQLSMALLINT>(std::string_view, SQLPOINTER, SQLLEN, SQLSMALLINT*);
template bool putNarrow<SQLINTEGER>(std::string_view, SQLPOINTER, SQLLEN, SQLINTEGER*);

}
