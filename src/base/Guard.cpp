#include "base/Guard.h"

namespace tw {

// A database's error carries its own message, in UTF-8, as what() says.
void Guard::report(int line, const std::exception& e) { report(line, QString::fromUtf8(e.what())); }

void Guard::report(int line, const QString& description) {
    m_prompts.MsgBox(errorBoxText(description, m_location, line, m_statement), MsgStyle::Exclamation,
                     QStringLiteral("Application Error"));
}

}
