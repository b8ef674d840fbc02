#include "connect/ConnectionString.h"

namespace tw {

QString connectionStringValue(const QString& value) {
    const bool needsBraces = value.contains(u';') || value.contains(u'{') || value.contains(u'}') ||
                             value.startsWith(u' ') || value.endsWith(u' ');
    if (!needsBraces)
        return value;
    QString braced = value;
    braced.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return u'{' + braced + u'}';
}

QString connectionStringAttribute(const QString& s, const QString& key) {
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype eq = s.indexOf(u'=', i);
        if (eq < 0)
            break;
        const QString name = s.mid(i, eq - i).trimmed();
        qsizetype j = eq + 1;
        QString value;
        if (j < s.size() && s[j] == u'{') {
            for (++j; j < s.size(); ++j) {
                if (s[j] == u'}') {
                    if (j + 1 < s.size() && s[j + 1] == u'}') {
                        value += u'}';
                        ++j;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += s[j];
            }
            const qsizetype semi = s.indexOf(u';', j);
            j = semi < 0 ? s.size() : semi + 1;
        } else {
            const qsizetype semi = s.indexOf(u';', j);
            value = s.mid(j, semi < 0 ? -1 : semi - j).trimmed();
            j = semi < 0 ? s.size() : semi + 1;
        }
        if (name.compare(key, Qt::CaseInsensitive) == 0)
            return value.isNull() ? QStringLiteral("") : value;
        i = j;
    }
    return {};
}

}
