#include "transfer/RowDigest.h"
#include "connect/Recordset.h"
#include <algorithm>

namespace tw {

namespace {
bool digitsOnly(QStringView s) {
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// -123.4500: digits, one point, digits.
bool isDecimalNumber(QStringView s) {
    const QStringView unsignedPart = s.startsWith(u'-') ? s.mid(1) : s;
    const qsizetype point = unsignedPart.indexOf(u'.');
    return point > 0 && digitsOnly(unsignedPart.left(point)) && digitsOnly(unsignedPart.mid(point + 1));
}

// 2024-02-29 12:34:56, the shape of a date and time.
bool isMoment(QStringView s) {
    return s.size() >= 19 && s[4] == u'-' && s[7] == u'-' && s[10] == u' ' && s[13] == u':' && s[16] == u':' &&
           digitsOnly(s.left(4));
}

// Checked cheaply first, and without copying: this runs for every value of
// every row, on both sides.
QStringView canonicalText(QStringView text) {
    if (text.isEmpty())
        return text;
    if (text == u"True")
        return u"1";
    if (text == u"False")
        return u"0";
    if (isDecimalNumber(text)) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
        return text == u"-0" ? QStringView(u"0") : text;
    }
    if (isMoment(text)) {
        // A zero fraction, and a time of midnight that a wider type added to a date.
        if (text.size() > 20 && text[19] == u'.' && text.mid(20).count(u'0') == text.size() - 20)
            text.truncate(19);
        if (text.size() == 19 && text.mid(10) == u" 00:00:00")
            text.truncate(10);
    }
    return text;
}

// FNV-1a, 64 bits: plenty for telling rows apart, and cheap on short values.
std::uint64_t mix(std::uint64_t digest, const void* data, qsizetype bytes) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (qsizetype i = 0; i < bytes; ++i)
        digest = (digest ^ p[i]) * 0x100000001b3ULL;
    return digest;
}

std::uint64_t mix(std::uint64_t digest, QStringView text) {
    return mix(digest, text.utf16(), text.size() * qsizetype(sizeof(char16_t)));
}

std::uint64_t digestOf(const Value& value, std::uint64_t digest) {
    switch (value.kind()) {
    case Value::Kind::Null: return mix(digest, u"\0null");
    case Value::Kind::Bytes: {
        const QByteArray bytes = value.toBytes();
        return mix(mix(digest, u"\0bytes"), bytes.constData(), bytes.size());
    }
    case Value::Kind::Boolean: return mix(digest, value.toBool() ? u"1" : u"0");
    default: {
        const QString text = value.toText();
        return mix(digest, canonicalText(QStringView(text)));
    }
    }
}
}

std::uint64_t RowDigests::withValue(std::uint64_t digest, const Value& value) {
    return mix(tw::digestOf(value, digest), u"\x1f");  // a separator after each value
}

void RowDigests::add(std::uint64_t digest) {
    if (!m_buckets)
        m_buckets = std::make_unique<std::array<Bucket, 1 << bucketBits>>();
    // A second, independent sum, so two different sets of rows in one
    // bucket do not pass for equal by chance.
    std::uint64_t mixed = (digest ^ (digest >> 31)) * 0x9e3779b97f4a7c15ULL;
    mixed ^= mixed >> 29;
    Bucket& b = (*m_buckets)[digest >> (64 - bucketBits)];
    ++b.rows;
    b.sum += digest;
    b.mixedSum += mixed;
}

long long RowDigests::rowsDifferingFrom(const RowDigests& other) const {
    static const Bucket empty;
    long long onlyHere = 0, onlyThere = 0;
    for (size_t i = 0; i < size_t(1) << bucketBits; ++i) {
        const Bucket& here = m_buckets ? (*m_buckets)[i] : empty;
        const Bucket& there = other.m_buckets ? (*other.m_buckets)[i] : empty;
        if (here == there)
            continue;
        if (here.rows > there.rows) {
            onlyHere += (long long)(here.rows - there.rows);
        } else if (there.rows > here.rows) {
            onlyThere += (long long)(there.rows - here.rows);
        } else {  // as many rows, not the same ones
            ++onlyHere;
            ++onlyThere;
        }
    }
    return std::max(onlyHere, onlyThere);
}

}