#include "schema/TargetTypes.h"

namespace tw {

// The type maps, both ways. A source type goes to the nearest target type
// of the same kind that holds every value of it; text only where the target
// has no typed column for it.
//
//   MySQL                      iAnywhere                  back in MySQL
//   TINYINT UNSIGNED           TINYINT (unsigned there)   TINYINT UNSIGNED
//   TINYINT                    SMALLINT                   SMALLINT
//   SMALLINT [UNSIGNED]        [UNSIGNED] SMALLINT        SMALLINT [UNSIGNED]
//   MEDIUMINT [UNSIGNED]       INTEGER / UNSIGNED INT     INT [UNSIGNED]
//   INT [UNSIGNED]             INTEGER / UNSIGNED INT     INT [UNSIGNED]
//   BIGINT [UNSIGNED]          [UNSIGNED] BIGINT          BIGINT [UNSIGNED]
//   YEAR                       SMALLINT                   SMALLINT
//   DECIMAL(p,s)               NUMERIC(p,s)               DECIMAL(p,s); beyond (65,30) VARCHAR(p+2)
//   FLOAT                      REAL                       FLOAT
//   DOUBLE                     DOUBLE                     DOUBLE
//   DATE                       DATE                       DATE
//   TIME(n)                    TIME                       TIME, or TIME(6) when a value has a fraction
//   DATETIME(n), TIMESTAMP(n)  TIMESTAMP                  DATETIME, or DATETIME(6) likewise
//   CHAR(n), VARCHAR(n)        NCHAR(n), NVARCHAR(n)      CHAR(n), VARCHAR(n) (characters both ways)
//   TINYTEXT … LONGTEXT, JSON  LONG NVARCHAR              LONGTEXT
//   ENUM, SET                  NVARCHAR(longest member, or all members of a SET)   VARCHAR(n)
//   BINARY(n), VARBINARY(n)    BINARY(n), VARBINARY(n)    BINARY(n), VARBINARY(n)
//   TINYBLOB … LONGBLOB        LONG BINARY                LONGBLOB
//   BIT(1)                     BIT (BIT NULL when nullable)  BIT(1)
//   BIT(n), n > 1              BINARY(bytes of n bits)    BINARY(k)
//   iAnywhere's VARCHAR(n) counts bytes: it becomes VARCHAR(n) characters, which hold as much.
//   Character columns longer than iAnywhere's 32,767 become LONG NVARCHAR, and
//   longer than MySQL's VARCHAR can hold in a row become LONGTEXT.
// Anything else (spatial types, uniqueidentifier, xml…) keeps the type the
// transfer gives it without this option.

namespace {
using K = SqlType::Kind;

constexpr qint64 longestIAnywhereString = 32767;
constexpr qint64 longestMySqlVarchar = 16383;  // 65,535 bytes of utf8mb4
constexpr qint64 longestMySqlVarbinary = 65535;
constexpr qint64 longestMySqlChar = 255;

QString unsignedWord(const SqlType& t, const QString& iAnywhere) { return t.isUnsigned ? iAnywhere : QString(); }

TargetType changedFrom(const SqlType& t, const QString& text) { return {text, t.declared + QStringLiteral(" became ") + text}; }
}

TargetType iAnywhereTypeFor(const SqlType& t) {
    switch (t.kind) {
    case K::Integer: {
        QString text;
        if (t.bytes == 1)
            text = t.isUnsigned ? QStringLiteral("TINYINT") : QStringLiteral("SMALLINT");
        else if (t.bytes == 2)
            text = unsignedWord(t, QStringLiteral("UNSIGNED ")) + QStringLiteral("SMALLINT");
        else if (t.bytes <= 4)
            text = t.isUnsigned ? QStringLiteral("UNSIGNED INT") : QStringLiteral("INTEGER");
        else
            text = unsignedWord(t, QStringLiteral("UNSIGNED ")) + QStringLiteral("BIGINT");
        const bool same = t.declared.startsWith(QLatin1String("int")) || t.declared.startsWith(QLatin1String("bigint")) ||
                          t.declared.startsWith(QLatin1String("smallint")) || (t.bytes == 1 && t.isUnsigned);
        return same ? TargetType{text, {}} : changedFrom(t, text);
    }
    case K::Decimal: return {QStringLiteral("NUMERIC(%1,%2)").arg(t.precision).arg(t.scale), {}};
    case K::Real: return {QStringLiteral("REAL"), {}};
    case K::Double: return {QStringLiteral("DOUBLE"), {}};
    case K::Date: return {QStringLiteral("DATE"), {}};
    case K::Time: return {QStringLiteral("TIME"), {}};
    case K::DateTime:
        return t.declared.startsWith(QLatin1String("timestamp"))
                   ? TargetType{QStringLiteral("TIMESTAMP"), t.declared + QStringLiteral(" became TIMESTAMP, without its time zone")}
                   : TargetType{QStringLiteral("TIMESTAMP"), {}};
    case K::Text: {
        const QString text = t.length <= 0 || t.length > longestIAnywhereString
                                 ? QStringLiteral("LONG NVARCHAR")
                                 : QStringLiteral("%1(%2)").arg(t.fixed ? QStringLiteral("NCHAR") : QStringLiteral("NVARCHAR")).arg(t.length);
        const bool same = t.declared.startsWith(QLatin1String("char")) || t.declared.startsWith(QLatin1String("varchar")) ||
                          t.declared.startsWith(QLatin1String("long")) || t.declared.startsWith(QLatin1String("n"));
        return same ? TargetType{text, {}} : changedFrom(t, text);
    }
    case K::Bytes:
        if (t.length <= 0 || t.length > longestIAnywhereString)
            return {QStringLiteral("LONG BINARY"), {}};
        return {QStringLiteral("%1(%2)").arg(t.fixed ? QStringLiteral("BINARY") : QStringLiteral("VARBINARY")).arg(t.length), {}};
    case K::Bit:
        if (t.precision <= 1)
            return {QStringLiteral("BIT"), {}};
        return changedFrom(t, QStringLiteral("BINARY(%1)").arg((t.precision + 7) / 8));
    case K::Other: break;
    }
    return {};
}

TargetType mySqlTypeFor(const SqlType& t) {
    switch (t.kind) {
    case K::Integer: {
        static const char* const names[] = {"TINYINT", "SMALLINT", "MEDIUMINT", "INT", "INT", "BIGINT", "BIGINT", "BIGINT"};
        return {QString::fromLatin1(names[std::clamp(t.bytes, 1, 8) - 1]) + (t.isUnsigned ? QStringLiteral(" UNSIGNED") : QString()), {}};
    }
    case K::Decimal:
        if (t.precision > 65 || t.scale > 30)
            return changedFrom(t, QStringLiteral("VARCHAR(%1)").arg(t.precision + 2));  // a sign and a point besides the digits
        return {QStringLiteral("DECIMAL(%1,%2)").arg(t.precision).arg(t.scale), {}};
    case K::Real: return {QStringLiteral("FLOAT"), {}};
    case K::Double: return {QStringLiteral("DOUBLE"), {}};
    case K::Date: return {QStringLiteral("DATE"), {}};
    case K::Time: return {t.scale > 0 ? QStringLiteral("TIME(%1)").arg(t.scale) : QStringLiteral("TIME"), {}};
    case K::DateTime: return {t.scale > 0 ? QStringLiteral("DATETIME(%1)").arg(t.scale) : QStringLiteral("DATETIME"), {}};
    case K::Text:
        if (t.fixed && t.length > 0 && t.length <= longestMySqlChar)
            return {QStringLiteral("CHAR(%1)").arg(t.length), {}};
        if (t.length > 0 && t.length <= longestMySqlVarchar)
            return {QStringLiteral("VARCHAR(%1)").arg(t.length), {}};
        return {QStringLiteral("LONGTEXT"), {}};
    case K::Bytes:
        if (t.fixed && t.length > 0 && t.length <= longestMySqlChar)
            return {QStringLiteral("BINARY(%1)").arg(t.length), {}};
        if (t.length > 0 && t.length <= longestMySqlVarbinary)
            return {QStringLiteral("VARBINARY(%1)").arg(t.length), {}};
        return {QStringLiteral("LONGBLOB"), {}};
    case K::Bit: return {QStringLiteral("BIT(1)"), {}};
    case K::Other: break;
    }
    return {};
}

bool indexableIAnywhereType(const QString& type) { return !type.startsWith(QLatin1String("LONG ")); }

bool indexableMySqlType(const QString& type) {
    return !type.endsWith(QLatin1String("TEXT")) && !type.endsWith(QLatin1String("BLOB"));
}

}
