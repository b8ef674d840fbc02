#pragma once
#include <QString>

namespace tw {

inline const QString supportAddress = QStringLiteral("support@veltrano.com");

// The location text that names a guarded procedure in the error box.
QString locationText(const QString& window, const QString& procedure);

// A statement as the error box shows it: whole when short; otherwise its
// start and its end, with the number of characters left out between.
QString statementForBox(const QString& statement);

// The text of the "Application Error" box. The statement line is added only
// for the procedures that build SQL (the transfers).
QString errorBoxText(const QString& description, const QString& location, int line,
                     const QString* statement = nullptr);

}
