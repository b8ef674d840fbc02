#pragma once
#include "shell/Prompts.h"
#include <QString>

namespace tw {

// A failure that repeats row after row (a full disk, a dropped table, a
// missing privilege) would need one answer per row. After the same message
// on a few consecutive rows of a table the user is asked once: see each of
// them, count them without showing, or stop the transfer.
class FailureStorm {
public:
    explicit FailureStorm(Prompts& prompts) : m_prompts(prompts) {}

    // Called for each row that failed; true when its box is to be shown.
    // Cancel (or Escape) on the question throws StopRequested.
    bool showBox(const QString& table, const QString& message);
    void rowSucceeded() { m_repeats = 0; }
    void newTable();

    // The rows that share a message before the question comes.
    static constexpr int rowsBeforeAsking = 3;

private:
    Prompts& m_prompts;
    QString m_message;
    int m_repeats = 0;
    enum class Decision { Undecided, ShowEach, CountQuietly } m_decision = Decision::Undecided;
};

}
