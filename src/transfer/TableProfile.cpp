#include "transfer/TableProfile.h"
#include "connect/ColumnReader.h"
#include "transfer/Literals.h"
#include <QLocale>
#include <cmath>
#include <sqlext.h>

namespace tw {

namespace {

// What a column's values are, whichever server holds them.
enum class Kind { Integer, Decimal, Double, Single, Bit, Date, Time, Timestamp, Text, Bytes, Other };

Kind kindOf(const Field& f) {
    switch (f.sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT: return Kind::Integer;
    case SQL_DECIMAL:
    case SQL_NUMERIC: return Kind::Decimal;
    case SQL_REAL: return Kind::Single;
    case SQL_FLOAT:
    case SQL_DOUBLE: return Kind::Double;
    case SQL_BIT: return Kind::Bit;
    case SQL_TYPE_DATE:
    case SQL_DATE: return Kind::Date;
    case SQL_TYPE_TIME:
    case SQL_TIME: return Kind::Time;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: return Kind::Timestamp;
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR: return Kind::Text;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: return Kind::Bytes;
    default: return Kind::Other;
    }
}

bool isNumber(Kind k) { return k == Kind::Integer || k == Kind::Decimal || k == Kind::Double || k == Kind::Single; }
bool isMoment(Kind k) { return k == Kind::Date || k == Kind::Time || k == Kind::Timestamp; }

// An exact number's text without a plus sign, leading zeros or trailing
// zeros after the point: "007.50" and "7.5" read alike.
QString exactForm(const Value& v) {
    QString t = v.toText().trimmed();
    if (t.startsWith(u'+'))
        t.remove(0, 1);
    const bool negative = t.startsWith(u'-');
    if (negative)
        t.remove(0, 1);
    if (t.contains(u'.')) {
        while (t.endsWith(u'0'))
            t.chop(1);
        if (t.endsWith(u'.'))
            t.chop(1);
    }
    while (t.size() > 1 && t.startsWith(u'0') && t.at(1) != u'.')
        t.remove(0, 1);
    if (t.isEmpty() || t == u"0")
        return QStringLiteral("0");
    return negative ? u'-' + t : t;
}

double numberOf(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Double:
    case Value::Kind::Single: return v.toDouble();
    default: return v.toText().toDouble();
    }
}

// A moment's text with no zero fraction, and a midnight left off, so a DATE
// and the DATETIME it became read alike.
QString momentForm(const Value& v) {
    QString t = normalizedTimestamp(v.toText());
    if (t.size() == 19 && t.endsWith(QLatin1String(" 00:00:00")))
        t.chop(9);
    return t;
}

QString count(long long n) { return QLocale(QLocale::English).toString(n); }

QString plural(long long n, const QString& one, const QString& many) { return count(n) + u' ' + (n == 1 ? one : many); }

}

TableProfile::TableProfile(const std::vector<Field>& source, const ProfileDialect& sourceDialect,
                           const std::vector<Field>& target, const ProfileDialect& targetDialect, long long rowsRejected)
    : m_sourceDialect(sourceDialect), m_targetDialect(targetDialect), m_rowsRejected(rowsRejected) {
    m_figures.push_back({QString(), ProfileFigure::What::Rows, ProfileFigure::Compare::Exact,
                         QStringLiteral("COUNT(*)"), QStringLiteral("COUNT(*)"), {}, {}});
    if (rowsRejected > 0) {
        m_notCompared = QStringLiteral("with rows rejected, only the row count of the two servers was compared, "
                                       "not their NULLs, sums, lengths or extremes");
        return;
    }
    for (const Field& s : source)
        for (const Field& t : target)
            if (s.Name.compare(t.Name, Qt::CaseInsensitive) == 0) {
                addColumn(s, t);
                break;
            }
}

void TableProfile::addColumn(const Field& source, const Field& target) {
    const Kind kind = kindOf(source);
    const Kind sourceHolds = kind, targetHolds = kindOf(target);
    using W = ProfileFigure::What;
    using C = ProfileFigure::Compare;
    auto add = [&](W what, C how, auto expression) {
        ProfileFigure f{source.Name, what, how, expression(m_sourceDialect, quotedName(source.Name, m_sourceDialect.quote), sourceHolds),
                        expression(m_targetDialect, quotedName(target.Name, m_targetDialect.quote), targetHolds), {}, {}};
        m_figures.push_back(std::move(f));
        return &m_figures.back();
    };
    add(W::Nulls, C::Exact, [](const ProfileDialect&, const QString& c, Kind) { return QStringLiteral("COUNT(%1)").arg(c); });

    if (kind == Kind::Integer || kind == Kind::Decimal) {
        const int precision = kind == Kind::Integer ? 20 : std::max(source.Precision, 1);
        const int scale = kind == Kind::Integer ? 0 : source.NumericScale;
        if (precision > std::min(m_sourceDialect.widestExact, m_targetDialect.widestExact) ||
            scale > std::min(m_sourceDialect.widestScale, m_targetDialect.widestScale))
            return;  // a number wider than a server's arithmetic: its NULLs only
        auto exact = [precision, scale](const QString& aggregate) {
            return [=](const ProfileDialect& d, const QString& c, Kind holds) {
                return aggregate.arg(isNumber(holds) ? c : d.exactCast.arg(c).arg(precision).arg(scale));
            };
        };
        add(W::Sum, C::Exact, exact(QStringLiteral("SUM(%1)")));
        add(W::Least, C::Exact, exact(QStringLiteral("MIN(%1)")));
        add(W::Greatest, C::Exact, exact(QStringLiteral("MAX(%1)")));
    } else if (kind == Kind::Double || kind == Kind::Single) {
        const C how = kind == Kind::Single ? C::Single : C::Approximate;
        auto approximate = [](const QString& aggregate) {
            return [=](const ProfileDialect& d, const QString& c, Kind holds) {
                return aggregate.arg(isNumber(holds) ? c : d.doubleCast.arg(c));
            };
        };
        ProfileFigure* sum = add(W::Sum, how, approximate(QStringLiteral("SUM(%1)")));
        sum->magnitudeSourceSql = approximate(QStringLiteral("SUM(ABS(%1))"))(m_sourceDialect, quotedName(source.Name, m_sourceDialect.quote), sourceHolds);
        sum->magnitudeTargetSql = approximate(QStringLiteral("SUM(ABS(%1))"))(m_targetDialect, quotedName(target.Name, m_targetDialect.quote), targetHolds);
        add(W::Least, how, approximate(QStringLiteral("MIN(%1)")));
        add(W::Greatest, how, approximate(QStringLiteral("MAX(%1)")));
    } else if (kind == Kind::Bit) {
        add(W::TrueValues, C::Exact, [](const ProfileDialect& d, const QString& c, Kind holds) {
            if (holds == Kind::Text)  // the words True and False, or the digits
                return QStringLiteral("SUM(CASE WHEN %1 IN ('1', 'True', 'true') THEN 1 ELSE 0 END)").arg(c);
            return QStringLiteral("SUM(%1)").arg(d.integerCast.arg(c));
        });
    } else if (kind == Kind::Text && targetHolds == Kind::Text) {
        add(W::Characters, C::Exact, [](const ProfileDialect& d, const QString& c, Kind) {
            return QStringLiteral("SUM(%1)").arg(d.characters.arg(c));
        });
    } else if (kind == Kind::Bytes && targetHolds == Kind::Bytes) {
        add(W::Bytes, C::Exact, [](const ProfileDialect& d, const QString& c, Kind) {
            return QStringLiteral("SUM(%1)").arg(d.bytes.arg(c));
        });
    } else if ((kind == Kind::Date || kind == Kind::Timestamp) && (isMoment(targetHolds) || targetHolds == Kind::Text)) {
        // ISO dates and time stamps held as text sort as the moments do.
        auto moment = [](const QString& aggregate) {
            return [=](const ProfileDialect&, const QString& c, Kind) { return aggregate.arg(c); };
        };
        add(W::Least, C::Moment, moment(QStringLiteral("MIN(%1)")));
        add(W::Greatest, C::Moment, moment(QStringLiteral("MAX(%1)")));
    } else if (kind == Kind::Time && targetHolds == Kind::Time) {
        add(W::Least, C::Moment, [](const ProfileDialect&, const QString& c, Kind) { return QStringLiteral("MIN(%1)").arg(c); });
        add(W::Greatest, C::Moment, [](const ProfileDialect&, const QString& c, Kind) { return QStringLiteral("MAX(%1)").arg(c); });
    }
}

QString TableProfile::query(const QString& table, const ProfileDialect& dialect, bool source) const {
    QStringList columns;
    for (const ProfileFigure& f : m_figures) {
        columns << (source ? f.sourceSql : f.targetSql);
        if (!f.magnitudeSourceSql.isEmpty())
            columns << (source ? f.magnitudeSourceSql : f.magnitudeTargetSql);
    }
    return QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") +
           quotedName(table, dialect.quote);
}

QStringList TableProfile::differences(const std::vector<Value>& source, const std::vector<Value>& target) const {
    QStringList found;
    size_t at = 0;
    long long rows = 0;
    for (const ProfileFigure& f : m_figures) {
        const Value& s = source.at(at);
        const Value& t = target.at(at);
        ++at;
        double magnitude = 0;
        if (!f.magnitudeSourceSql.isEmpty()) {
            magnitude = std::max(std::abs(numberOf(source.at(at))), std::abs(numberOf(target.at(at))));
            ++at;
        }
        if (f.what == ProfileFigure::What::Rows)
            rows = s.toText().toLongLong();
        const QString d = difference(f, s, t, magnitude, rows);
        if (!d.isEmpty())
            found << d;
    }
    return found;
}

QString TableProfile::difference(const ProfileFigure& f, const Value& s, const Value& t, double magnitude,
                                 long long rows) const {
    using W = ProfileFigure::What;
    if (f.what == W::Rows) {
        const long long source = s.toText().toLongLong(), target = t.toText().toLongLong();
        if (source - m_rowsRejected == target)
            return {};
        return plural(source, QStringLiteral("row"), QStringLiteral("rows")) + QStringLiteral(" in the source") +
               (m_rowsRejected > 0 ? QStringLiteral(" (%1 of them rejected)").arg(count(m_rowsRejected)) : QString()) +
               QStringLiteral(", ") + count(target) + QStringLiteral(" in the target");
    }
    bool same = s.isNull() == t.isNull();
    if (same && !s.isNull()) {
        switch (f.how) {
        case ProfileFigure::Compare::Exact: same = exactForm(s) == exactForm(t); break;
        case ProfileFigure::Compare::Moment: same = momentForm(s) == momentForm(t); break;
        case ProfileFigure::Compare::Single:
        case ProfileFigure::Compare::Approximate: {
            const double a = numberOf(s), b = numberOf(t);
            if (f.what != W::Sum) {
                same = f.how == ProfileFigure::Compare::Single ? float(a) == float(b) : a == b;
                break;
            }
            // Two servers add in their own order, and a single read back
            // from its text is the nearest double, not the single itself.
            const double rounding = f.how == ProfileFigure::Compare::Single ? 1e-6 : 1e-15 * double(rows + 16);
            same = std::abs(a - b) <= rounding * magnitude || a == b;
            break;
        }
        }
    }
    if (same)
        return {};
    const QString column = QStringLiteral("column ") + f.column + QStringLiteral(": ");
    auto text = [&f](const Value& v) {
        return v.isNull() ? QStringLiteral("NULL") : f.how == ProfileFigure::Compare::Exact ? exactForm(v) : v.toText();
    };
    switch (f.what) {
    case W::Nulls: {
        // The profile counts values; the account tells NULLs, as the user thinks of them.
        const long long sourceNulls = rows - s.toText().toLongLong();
        const long long targetNulls = rows - m_rowsRejected - t.toText().toLongLong();
        return column + plural(sourceNulls, QStringLiteral("NULL"), QStringLiteral("NULLs")) +
               QStringLiteral(" in the source, ") + count(targetNulls) + QStringLiteral(" in the target");
    }
    case W::Sum: return column + QStringLiteral("sum ") + text(s) + QStringLiteral(" in the source, ") + text(t) + QStringLiteral(" in the target");
    case W::Least: return column + QStringLiteral("least ") + text(s) + QStringLiteral(" in the source, ") + text(t) + QStringLiteral(" in the target");
    case W::Greatest: return column + QStringLiteral("greatest ") + text(s) + QStringLiteral(" in the source, ") + text(t) + QStringLiteral(" in the target");
    case W::Characters: return column + plural(s.toText().toLongLong(), QStringLiteral("character"), QStringLiteral("characters")) + QStringLiteral(" in the source, ") + count(t.toText().toLongLong()) + QStringLiteral(" in the target");
    case W::Bytes: return column + plural(s.toText().toLongLong(), QStringLiteral("byte"), QStringLiteral("bytes")) + QStringLiteral(" in the source, ") + count(t.toText().toLongLong()) + QStringLiteral(" in the target");
    case W::TrueValues: return column + count(s.toText().toLongLong()) + QStringLiteral(" true in the source, ") + count(t.toText().toLongLong()) + QStringLiteral(" in the target");
    case W::Rows: break;
    }
    return {};
}

}
