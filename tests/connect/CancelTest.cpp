#include "TestEnv.h"
#include "connect/Recordset.h"
#include "base/Yield.h"
#include <QThread>
#include <gtest/gtest.h>

using namespace tw;
using twtest::MySqlDatabase;

namespace {

// The server's own list of what its sessions run: whether the given
// statement still runs. The text is split so that this query is not itself
// found.
bool serverRuns(Connection& admin, const QString& head, const QString& tail) {
    return twtest::readRows(admin, "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE INFO LIKE CONCAT('" +
                                       head + "', '" + tail + "%')")
               .at(0)
               .at(0) != "0";
}

// The user closes the program while the statement runs: the yield ends the
// wait, and the program gives the statement up.
class CloseOnceRunning : public Yield {
public:
    explicit CloseOnceRunning(std::function<bool()> running) : m_running(std::move(running)) {}
    void DoEvents() override {
        if (m_running())
            throw ProgramEnding();
    }

private:
    std::function<bool()> m_running;
};

TEST(CancelTest, AStatementGivenUpIsCancelledAtTheServer) {
    MySqlDatabase db("tw_cancel");
    Connection admin = twtest::openMySql(db.connectString());
    // No timeout of the driver's own ends the statement for it.
    Connection c;
    c.CommandTimeout = 0;
    c.Open(db.connectString());
    CloseOnceRunning closing([&] { return serverRuns(admin, "SELECT SLEEP", "(600)"); });

    Recordset rs;
    EXPECT_THROW(rs.Open("SELECT SLEEP(600)", c, -1, -1, &closing), ProgramEnding);

    // Without SQLCancel the abandoned call would sleep on for ten minutes.
    bool running = true;
    for (int i = 0; i < 3000 && running; ++i) {
        QThread::msleep(20);
        running = serverRuns(admin, "SELECT SLEEP", "(600)");
    }
    EXPECT_FALSE(running) << "the server still runs the statement the program gave up";
}

}
