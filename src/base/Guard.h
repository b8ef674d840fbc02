#pragma once
#include "base/ErrorReport.h"
#include "base/Prompts.h"
#include "base/Yield.h"
#include <QString>
#include <exception>

namespace tw {

// The error handling of an event procedure: each numbered step that fails
// shows the "Application Error" box with the procedure's location and the
// step's line, and the procedure goes on with its next step.
class Guard {
public:
    Guard(Prompts& prompts, QString location, const QString* statementBuffer = nullptr)
        : m_prompts(prompts), m_location(std::move(location)), m_statement(statementBuffer) {}

    // Runs one step; false when it failed (and was reported).
    template <typename F>
    bool step(int line, F&& body) {
        try {
            body();
            return true;
        } catch (const Interrupted&) {
            throw;
        } catch (const std::exception& e) {
            report(line, e);
            return false;
        }
    }

    // The test of an If block: true when the condition holds, and also when
    // evaluating it failed, since then the block under it runs.
    template <typename F>
    bool test(int line, F&& condition) {
        try {
            return condition();
        } catch (const Interrupted&) {
            throw;
        } catch (const std::exception& e) {
            report(line, e);
            return true;
        }
    }

    void report(int line, const std::exception& e);
    void report(int line, const QString& description);

private:
    Prompts& m_prompts;
    QString m_location;
    const QString* m_statement;
};

}
