#include "transfer/FailureStorm.h"

namespace tw {

void FailureStorm::newTable() {
    m_message.clear();
    m_repeats = 0;
    m_rows = 0;
    m_decision = Decision::Undecided;
}

bool FailureStorm::showBox(const QString& table, const QString& message, long long rows) {
    if (message != m_message) {
        m_message = message;
        m_repeats = 0;
        m_rows = 0;
        m_decision = Decision::Undecided;
    }
    ++m_repeats;
    m_rows += rows;
    if (m_decision == Decision::Undecided && m_repeats == rowsBeforeAsking) {
        const int answer = m_prompts.MsgBox(
            QStringLiteral("The same error repeated on %1 rows of %2:\r\r%3\r\r"
                           "Yes: show each of them\rNo: count them without showing\rCancel: stop the transfer")
                .arg(m_rows)
                .arg(table, message),
            MsgStyle::YesNoCancel | MsgStyle::Exclamation, QStringLiteral("Repeated error"));
        if (answer == MsgAnswer::Cancel)
            throw StoppedAtQuestion();
        m_decision = answer == MsgAnswer::No ? Decision::CountQuietly : Decision::ShowEach;
    }
    return m_decision != Decision::CountQuietly;
}

}
