#include "transfer/RowDigest.h"
#include "connect/Recordset.h"
#include <QHash>
#include <QRegularExpression>
#include <algorithm>

namespace tw {

namespace {
// Text that is a plain decimal number, and moments with parts a wider type adds.
const QRegularExpression decimalNumber(QStringLiteral("^-?[0-9]+\\.[0-9]+$"));
const QRegularExpression midnight(QStringLiteral("^([0-9]{4}-[0-9]{2}-[0-9]{2}) 00:00:00(\\.0+)?$"));
const QRegularExpression zeroFraction(QStringLiteral("^([0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2})\\.0+$"));

QString canonicalText(QString text) {
    if (text == u"True")
        return QStringLiteral("1");
    if (text == u"False")
        return QStringLiteral("0");
    if (decimalNumber.match(text).hasMatch()) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
        return text == u"-0" ? QStringLiteral("0") : text;
    }
    if (const QRegularExpressionMatch m = midnight.match(text); m.hasMatch())
        return m.captured(1);
    if (const QRegularExpressionMatch m = zeroFraction.match(text); m.hasMatch())
        return m.captured(1);
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
