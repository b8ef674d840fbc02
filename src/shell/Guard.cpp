#include "shell/Guard.h"
#include "connect/DbError.h"

namespace tw {

void Guard::report(int line, const std::exception& e) {
    if (auto db = dynamic_cast<const DbError*>(&e))
        report(line, db->message());
    else
        report(line, QString::fromUtf8(e.what()));
}

void Guard::report(int line, const QString& description) {
    m_prompts.MsgBox(errorBoxText(description, m_location, line, m_statement), MsgStyle::Exclamation,
                     QStringLiteral("Application Error"));
}

}
