#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <variant>

namespace tw {

// A field value as read from a driver: Null, or a typed value whose text
// form is exact and independent of the locale.
class Value {
public:
    enum class Kind { Null, Integer, Unsigned, Double, Single, Boolean, Text, Bytes };

    Value() = default;  // Null
    static Value integer(std::int64_t v);
    static Value unsignedInteger(std::uint64_t v);
    static Value real(double v);
    static Value single(float v);
    static Value boolean(bool v);
    // Decimals, dates, times and time stamps are kept as their exact text.
    static Value text(QString v);
    // Text a driver gave as UTF-8, kept so until its characters are asked
    // for: a value copied on to a target as UTF-8 is never converted.
    static Value utf8Text(QByteArray v);
    // The same in place: a short value goes into the room this value's own
    // text has, where no other value shares it, so that reading row after
    // row into the same values takes no memory for each.
    void setText(QStringView v);
    void setUtf8Text(QByteArrayView v);
    static Value bytes(QByteArray v);

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::Null; }

    // Integers in full, floating point in the shortest text that reads back
    // to the same number, booleans "True"/"False", text unchanged, bytes as
    // lower-case hexadecimal digits; Null gives the empty string.
    QString toText() const;
    QByteArray toBytes() const;  // the raw bytes of a Bytes value; UTF-8 otherwise
    bool toBool() const;         // Boolean values; numbers other than 0 are true
    double toDouble() const;     // the number as a double (a single exactly); 0 for other kinds
    // An Integer or Unsigned value's number; 0 for other kinds.
    std::int64_t toInteger() const { return m_kind == Kind::Integer ? std::get<std::int64_t>(m_v) : 0; }
    std::uint64_t toUnsigned() const { return m_kind == Kind::Unsigned ? std::get<std::uint64_t>(m_v) : 0; }
    // A Text value's UTF-8 when it was read so; null otherwise.
    const QByteArray* utf8() const {
        const Utf8* u = std::get_if<Utf8>(&m_v);
        return u ? &u->bytes : nullptr;
    }

    // The memory the value keeps beyond its own size, near enough: the size
    // of its text or bytes as kept.
    qsizetype heldBytes() const;
    // What the value takes from the heap: the whole room of its text or bytes,
    // with the allocation's own bytes, however little of it the value fills.
    qsizetype roomBytes() const;
    // Text values are equal when their characters are, however they are kept.
    bool operator==(const Value& o) const;

private:
    struct Utf8 {
        QByteArray bytes;
        bool operator==(const Utf8&) const = default;
    };
    Kind m_kind = Kind::Null;
    std::variant<std::monostate, std::int64_t, std::uint64_t, double, float, bool, QString, QByteArray, Utf8> m_v;
};

}
