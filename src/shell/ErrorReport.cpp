#include "shell/ErrorReport.h"

namespace tw {

QString locationText(const QString& window, const QString& procedure) {
    return QStringLiteral("in Tabferry2017/04/05.") + window + u'.' + procedure + u' ';
}

QString errorBoxText(const QString& description, const QString& location, int line, const QString* statement) {
    QString text = description + "\r\n" + location + "at line " + QString::number(line) + "\r\r" +
                   "Please email screenshot of this message to " + supportAddress;
    if (statement)
        text += "\r\rsql: " + *statement;
    return text;
}

}
