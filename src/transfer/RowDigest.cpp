#include "transfer/RowDigest.h"
#include "connect/Recordset.h"
#include <QHash>
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

// Checked cheaply first: these run for every value of every row.
QString canonicalText(QString text) {
    if (text.isEmpty())
        return text;
    if (text == u"True")
        return QStringLiteral("1");
    if (text == u"False")
        return QStringLiteral("0");
    if (isDecimalNumber(text)) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
        return text == u"-0" ? QStringLiteral("0") : text;
    }
    if (isMoment(text)) {
        // A zero fraction, and a time of midnight that a wider type added to a date.
        if (text.size() > 20 && text[19] == u'.' && digitsOnly(QStringView(text).mid(20)) &&
            QStringView(text).mid(20).count(u'0') == text.size() - 20)
            text.truncate(19);
        if (text.size() == 19 && QStringView(text).mid(10) == u" 00:00:00")
            text.truncate(10);
    }
    return text;
}
}

QString canonicalValue(const Value& value) {
    switch (value.kind()) {
    case Value::Kind::Null: return QStringLiteral("\\0null");
    case Value::Kind::Bytes: return QStringLiteral("\\0bytes ") + value.toText();
    case Value::Kind::Boolean: return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case Value::Kind::Text: return canonicalText(value.toText());
    default: return canonicalText(value.toText());
    }
}

void RowDigests::add(const Recordset& row) {
    std::uint64_t digest = 0x9e3779b97f4a7c15ULL;
    for (int i = 0; i < row.fieldCount(); ++i)
        digest = qHash(canonicalValue(row.Fields(i).Value), size_t(digest)) * 0x100000001b3ULL + std::uint64_t(i);
    m_digests.push_back(digest);
}

long long RowDigests::rowsDifferingFrom(RowDigests& other) {
    std::sort(m_digests.begin(), m_digests.end());
    std::sort(other.m_digests.begin(), other.m_digests.end());
    std::vector<std::uint64_t> onlyHere, onlyThere;
    std::set_difference(m_digests.begin(), m_digests.end(), other.m_digests.begin(), other.m_digests.end(),
                        std::back_inserter(onlyHere));
    std::set_difference(other.m_digests.begin(), other.m_digests.end(), m_digests.begin(), m_digests.end(),
                        std::back_inserter(onlyThere));
    return (long long)std::max(onlyHere.size(), onlyThere.size());
}

}
