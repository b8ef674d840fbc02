#include "connect/Value.h"
#include <charconv>
#include <algorithm>

namespace tw {

namespace {
template <typename T>
QString shortestText(T v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, res.ptr - buf);
}
}

namespace {
// Only short room is kept from value to value: a long value once read does
// not stay held by the values after it.
constexpr qsizetype keptRoom = 512;

// Into the room the text held has, where no other value shares it; false
// where it takes new room.
template <typename Text, typename View>
bool copiedIntoRoom(Text* held, View v) {
    if (!held || !held->isDetached() || held->capacity() > keptRoom || v.size() > keptRoom)
        return false;
    held->resize(v.size());
    std::copy(v.begin(), v.end(), held->data());
    return true;
}

// New room, a little more than the text takes, so that the slightly longer
// values after it fit as well.
template <typename Text, typename View>
Text withRoom(View v) {
    Text text;
    if (v.size() <= keptRoom)
        text.reserve(std::min(keptRoom, v.size() + 16));
    text.append(v);
    return text;
}
}

Value Value::integer(std::int64_t v) { Value x; x.m_kind = Kind::Integer; x.m_v = v; return x; }
Value Value::unsignedInteger(std::uint64_t v) { Value x; x.m_kind = Kind::Unsigned; x.m_v = v; return x; }
Value Value::real(double v) { Value x; x.m_kind = Kind::Double; x.m_v = v; return x; }
Value Value::single(float v) { Value x; x.m_kind = Kind::Single; x.m_v = v; return x; }
Value Value::boolean(bool v) { Value x; x.m_kind = Kind::Boolean; x.m_v = v; return x; }
Value Value::text(QString v) { Value x; x.m_kind = Kind::Text; x.m_v = std::move(v); return x; }
Value Value::utf8Text(QByteArray v) { Value x; x.m_kind = Kind::Text; x.m_v = Utf8{std::move(v)}; return x; }
void Value::setUtf8Text(QByteArrayView v) {
    Utf8* held = std::get_if<Utf8>(&m_v);
    if (!copiedIntoRoom(held ? &held->bytes : nullptr, v))
        m_v = Utf8{withRoom<QByteArray>(v)};
    m_kind = Kind::Text;
}
void Value::setText(QStringView v) {
    if (!copiedIntoRoom(std::get_if<QString>(&m_v), v))
        m_v = withRoom<QString>(v);
    m_kind = Kind::Text;
}
Value Value::bytes(QByteArray v) { Value x; x.m_kind = Kind::Bytes; x.m_v = std::move(v); return x; }

double Value::toDouble() const {
    switch (m_kind) {
    case Kind::Integer: return double(std::get<std::int64_t>(m_v));
    case Kind::Unsigned: return double(std::get<std::uint64_t>(m_v));
    case Kind::Double: return std::get<double>(m_v);
    case Kind::Single: return double(std::get<float>(m_v));
    default: return 0;
    }
}

QString Value::toText() const {
    switch (m_kind) {
    case Kind::Null: return {};
    case Kind::Integer: return QString::number(std::get<std::int64_t>(m_v));
    case Kind::Unsigned: return QString::number(std::get<std::uint64_t>(m_v));
    case Kind::Double: return shortestText(std::get<double>(m_v));
    case Kind::Single: return shortestText(std::get<float>(m_v));
    case Kind::Boolean: return std::get<bool>(m_v) ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Text: {
        const QByteArray* bytes = utf8();
        return bytes ? QString::fromUtf8(*bytes) : std::get<QString>(m_v);
    }
    case Kind::Bytes: return QString::fromLatin1(std::get<QByteArray>(m_v).toHex());
    }
    return {};
}

QByteArray Value::toBytes() const {
    if (m_kind == Kind::Bytes)
        return std::get<QByteArray>(m_v);
    if (const QByteArray* bytes = utf8())
        return *bytes;
    return toText().toUtf8();
}

qsizetype Value::heldBytes() const {
    if (const QString* text = std::get_if<QString>(&m_v))
        return text->size() * qsizetype(sizeof(QChar));
    if (const QByteArray* bytes = std::get_if<QByteArray>(&m_v))
        return bytes->size();
    if (const QByteArray* bytes = utf8())
        return bytes->size();
    return 0;
}

qsizetype Value::roomBytes() const {
    // The array's header and the allocator's own, near enough.
    constexpr qsizetype perAllocation = 32;
    auto room = [](qsizetype capacity, qsizetype unit) { return capacity > 0 ? capacity * unit + perAllocation : 0; };
    if (const QString* text = std::get_if<QString>(&m_v))
        return room(text->capacity(), qsizetype(sizeof(QChar)));
    if (const QByteArray* bytes = std::get_if<QByteArray>(&m_v))
        return room(bytes->capacity(), 1);
    if (const QByteArray* bytes = utf8())
        return room(bytes->capacity(), 1);
    return 0;
}

bool Value::operator==(const Value& o) const {
    if (m_kind == Kind::Text && o.m_kind == Kind::Text && m_v.index() != o.m_v.index())
        return toText() == o.toText();
    return m_kind == o.m_kind && m_v == o.m_v;
}

bool Value::toBool() const {
    switch (m_kind) {
    case Kind::Boolean: return std::get<bool>(m_v);
    case Kind::Integer: return std::get<std::int64_t>(m_v) != 0;
    case Kind::Unsigned: return std::get<std::uint64_t>(m_v) != 0;
    case Kind::Double: return std::get<double>(m_v) != 0;
    case Kind::Single: return std::get<float>(m_v) != 0;
    case Kind::Text: {
        const QString t = toText();
        return !(t.isEmpty() || t == u"0" || t.compare(u"false", Qt::CaseInsensitive) == 0);
    }
    case Kind::Bytes: return !std::get<QByteArray>(m_v).isEmpty() && std::get<QByteArray>(m_v) != QByteArray(1, '\0');
    case Kind::Null: return false;
    }
    return false;
}

}
