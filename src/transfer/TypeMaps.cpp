#include "transfer/TypeMaps.h"
#include "transfer/DataTypeName.h"

namespace tw {

namespace {
constexpr int adUnsignedInt = 19;
constexpr int adBigInt = 20;
constexpr int adUnsignedBigInt = 21;

// TEXT holds 65,535 bytes, and utf8mb4 takes up to four bytes a character.
constexpr qint64 charactersTextHolds = 65535 / 4;
// Longer byte strings would crowd MySQL's 65,535-byte row limit.
constexpr qint64 longestVarbinary = 255;

ColumnType text() { return {QStringLiteral("TEXT")}; }

ColumnType textOrLongBinary(const Field& f) {
    return isByteStringType(f.Type) ? ColumnType{QStringLiteral("LONG BINARY")} : text();
}

ColumnType mySqlDecimal(const Field& f) {
    if (f.NumericScale == 0 && f.Precision <= 9)
        return {QStringLiteral("INT")};
    return {QStringLiteral("DECIMAL(%1,%2)").arg(f.Precision).arg(f.NumericScale)};
}

ColumnType mySqlInteger(const Field& f) {
    if (f.Type == adUnsignedBigInt)
        return {QStringLiteral("BIGINT UNSIGNED")};
    if (f.Type == adBigInt || f.Type == adUnsignedInt)
        return {QStringLiteral("BIGINT")};
    return {QStringLiteral("INT")};
}

ColumnType mySqlBytes(const Field& f) {
    if (f.DefinedSize > 0 && f.DefinedSize <= longestVarbinary)
        return {QStringLiteral("VARBINARY(%1)").arg(f.DefinedSize)};
    return {QStringLiteral("LONGBLOB")};
}
}

QString typeKeyOf(const Field& field) { return DataTypeName(short(field.Type)).toLower(); }

ColumnType iAnywhereColumnType(const QString& key, const Field& f) {
    if (key.contains(QLatin1String("varwchar")))
        return text();
    if (key.contains(QLatin1String("longvar")))
        return textOrLongBinary(f);
    if (key.contains(QLatin1String("int")) || key.contains(QLatin1String("currency")))
        return {QStringLiteral("NUMERIC"), ValueForm::Number};
    if (key.contains(QLatin1String("date")))
        return text();
    if (key.contains(QLatin1String("bool")))
        return {QStringLiteral("BIT"), ValueForm::Bit};
    return textOrLongBinary(f);
}

ColumnType mySqlColumnType(const QString& key, const Field& f) {
    if (key.contains(QLatin1String("char")))
        return f.DefinedSize > 0 && f.DefinedSize <= charactersTextHolds ? text() : ColumnType{QStringLiteral("LONGTEXT")};
    if (key.contains(QLatin1String("decimal")))
        return mySqlDecimal(f);
    if (key.contains(QLatin1String("single")))
        return {QStringLiteral("FLOAT")};
    if (key.contains(QLatin1String("int")))
        return mySqlInteger(f);
    if (key.contains(QLatin1String("adlongvarbinary")))
        return {QStringLiteral("LONGBLOB")};
    if (key.contains(QLatin1String("numeric")))
        return mySqlDecimal(f);
    if (key.contains(QLatin1String("date")))
        return {QStringLiteral("DATETIME")};
    if (key.contains(QLatin1String("timestamp")))
        return {f.NumericScale > 0 ? QStringLiteral("DATETIME(6)") : QStringLiteral("DATETIME")};
    if (key.contains(QLatin1String("double")))
        return {QStringLiteral("DOUBLE")};
    return isByteStringType(f.Type) ? mySqlBytes(f) : text();
}

}
