#pragma once
#include <QString>
#include <functional>

namespace tw {

class Yield;

// A driver call that the program waits for at most a given time, also where
// the driver ignores its own timeouts (MariaDB Connector/ODBC waits for ever
// on a server that accepts and stays silent).
struct BoundedCall {
    std::function<void()> work;  // runs on a thread of its own; owns all it touches
    int seconds = 0;             // 0 waits for ever
    Yield* yield = nullptr;      // run while waiting, so the window repaints and can close
    QString timeoutText;         // the error raised when the bound runs out
    // Called on the waiting thread when it stops waiting before the call has
    // returned (the bound ran out, or the yield threw): the call goes on
    // with what it owns and cleans up when the driver lets it go.
    std::function<void()> onAbandon;
};

// Runs the call and waits for it. The call's own failure is raised here; a
// bound that runs out raises DbError with the timeout text (SQLSTATE HYT00);
// an exception of the yield goes on at once, without waiting for the driver.
void waitBounded(BoundedCall call);

// "The MySQL server at 127.0.0.1:3306 did not answer within 15 seconds".
QString didNotAnswer(const QString& serverDescription, int seconds);

}
