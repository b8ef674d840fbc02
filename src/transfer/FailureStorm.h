#pragma once
#include "base/Prompts.h"
#include "base/Yield.h"
#include <QString>

namespace tw {

// A failure that repeats row after row (a full disk, a dropped table, a
// missing privilege) would need one answer per row. After the same message
// on a few consecutive rows of a table the user is asked once: see each of
// them, count them without showing, or stop the transfer.
// Cancel (or Escape) on the storm's question: the transfer stops at once,
// sending nothing more, not even rows already gathered for a batch.
class StoppedAtQuestion : public StopRequested {};

class FailureStorm {
public:
    explicit FailureStorm(Prompts& prompts) : m_prompts(prompts) {}

    // Called for each failure, of one row or of a batch of rows that failed
    // together (a COMMIT); true when its box is to be shown. Cancel (or
    // Escape) on the question throws StoppedAtQuestion.
    bool showBox(const QString& table, const QString& message, long long rows = 1);
    void rowSucceeded() { m_repeats = 0; m_rows = 0; }
    void newTable();

    // The rows that share a message before the question comes.
    static constexpr int rowsBeforeAsking = 3;

private:
    Prompts& m_prompts;
    QString m_message;
    int m_repeats = 0;        // failures with this message in a row
    long long m_rows = 0;     // the rows they failed
    enum class Decision { Undecided, ShowEach, CountQuietly } m_decision = Decision::Undecided;
};

}
