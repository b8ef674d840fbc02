#include "transfer/TypeMaps.h"
#include "transfer/DataTypeName.h"
#include <QRegularExpression>
#include <algorithm>

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

// MySQL's DECIMAL takes at most 65 digits, 30 of them after the point;
// wider numbers keep every digit as text.
constexpr int mySqlDecimalDigits = 65, mySqlDecimalScale = 30;

ColumnType mySqlDecimal(const Field& f) {
    if (f.NumericScale == 0 && f.Precision <= 9)
        return {QStringLiteral("INT")};
    if (f.Precision > mySqlDecimalDigits || f.NumericScale > mySqlDecimalScale)
        return {QStringLiteral("VARCHAR(%1)").arg(f.Precision + 2)};  // a sign and a point besides the digits
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

namespace {
// What a column of this type takes of an InnoDB row at most; long kinds
// keep only a pointer in the row.
int rowBytes(const QString& type) {
    static const QRegularExpression sized(QStringLiteral("^(VARBINARY|VARCHAR)\\((\\d+)\\)$"));
    const QRegularExpressionMatch m = sized.match(type);
    if (m.hasMatch())
        return m.captured(2).toInt() * (m.captured(1) == u"VARCHAR" ? 4 : 1) + 2;
    if (type.startsWith(QLatin1String("DECIMAL")))
        return 30;
    return 20;
}

// The most an InnoDB row holds of its columns that are not stored apart.
constexpr int innoDbRowLimit = 8126;
}

void fitMySqlRow(std::vector<ColumnType>& types) {
    auto total = [&types] {
        int bytes = 0;
        for (const ColumnType& t : types)
            bytes += rowBytes(t.text);
        return bytes;
    };
    // The widest byte strings first go to BLOB, which holds them all apart from the row.
    while (total() > innoDbRowLimit) {
        auto widest = std::max_element(types.begin(), types.end(), [](const ColumnType& a, const ColumnType& b) {
            return (a.text.startsWith(QLatin1String("VARBINARY")) ? rowBytes(a.text) : 0) <
                   (b.text.startsWith(QLatin1String("VARBINARY")) ? rowBytes(b.text) : 0);
        });
        if (widest == types.end() || !widest->text.startsWith(QLatin1String("VARBINARY")))
            return;
        widest->text = QStringLiteral("BLOB");
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
    // iAnywhere's BIT refuses NULL unless declared otherwise.
    if (key.contains(QLatin1String("bool")))
        return {f.Nullable ? QStringLiteral("BIT NULL") : QStringLiteral("BIT"), ValueForm::Bit};
    return textOrLongBinary(f);
}

ColumnType mySqlColumnType(const QString& key, const Field& f) {
    if (key.contains(QLatin1String("char")))
        return f.DefinedSize > 0 && f.DefinedSize <= charactersTextHolds ? text() : ColumnType{QStringLiteral("LONGTEXT")};
    if (key.contains(QLatin1String("decimal")))
        return mySqlDecimal(f);
    if (key.contains(QLatin1String("single")))
        return {QStringLiteral("FLOAT"), ValueForm::Single};
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
