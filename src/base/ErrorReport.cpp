#include "base/ErrorReport.h"

namespace tw {

QString locationText(const QString& window, const QString& procedure) {
    return QStringLiteral("in Tabferry2017/04/05.") + window + u'.' + procedure + u' ';
}

namespace {
// A statement of megabytes would make a box taller than any screen and slow
// to draw: the box keeps its start and its end, in lines a box can wrap.
constexpr qsizetype shownHead = 2000, shownTail = 1000, shownLine = 100;

QString inLines(QStringView text) {
    QString lines;
    for (qsizetype at = 0; at < text.size(); at += shownLine)
        lines += (at ? QStringLiteral("\r") : QString()) + text.mid(at, shownLine).toString();
    return lines;
}
}

QString statementForBox(const QString& statement) {
    if (statement.size() <= shownHead + shownTail)
        return statement;
    const qsizetype left = statement.size() - shownHead - shownTail;
    return inLines(QStringView(statement).left(shownHead)) + QStringLiteral("\r… %1 characters left out …\r").arg(left) +
           inLines(QStringView(statement).right(shownTail));
}

QString errorBoxText(const QString& description, const QString& location, int line, const QString* statement) {
    QString text = description + "\r\n" + location + "at line " + QString::number(line) + "\r\r" +
                   "Please email screenshot of this message to " + supportAddress;
    if (statement)
        text += "\r\rsql: " + statementForBox(*statement);
    return text;
}

}
