#include "TestEnv.h"
#include "connect/Catalogue.h"
#include "connect/DbError.h"
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tw;

namespace {

// A port on 127.0.0.1 that counts who connects to it, where the driver
// would go for a mistyped port: 3306 for "0" and "abc", 4464 for "70000",
// 59391 for "99999999999".
class CountingPort {
public:
    explicit CountingPort(int port) {
        m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        const int yes = 1;
        ::setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_listening = ::bind(m_socket, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(m_socket, 8) == 0;
    }
    ~CountingPort() { ::close(m_socket); }
    bool listening() const { return m_listening; }
    int connectionsTaken() {
        int taken = 0;
        for (int c; (c = ::accept(m_socket, nullptr, nullptr)) >= 0; ++taken)
            ::close(c);
        return taken;
    }

private:
    int m_socket = -1;
    bool m_listening = false;
};

TEST(PortTest, APortThatIsNoNumberFromOneTo65535IsRefusedBeforeAnyConnection) {
    CountingPort usual(3306), wrapped(4464), farWrapped(59391);
    ASSERT_TRUE(wrapped.listening());
    ASSERT_TRUE(farWrapped.listening());
    twtest::TestProfile profile;
    twtest::MySqlDatabase db("tw_ports");
    db.fillProfile(profile);
    for (const QString port : {"0", "abc", "-1", "65536", "70000", "99999999999", "", " 3306", "3306 ", "+3306", "33061.0"}) {
        SCOPED_TRACE(port.toStdString());
        profile.setText(ProfileField::Port, port);
        QString reason;
        EXPECT_FALSE(MySQLConnects(profile, &reason));
        EXPECT_EQ(reason, "Port must be a number from 1 to 65535");
        try {
            MySQLConnectString(profile);
            ADD_FAILURE() << "a connection string was made";
        } catch (const DbError& e) {
            EXPECT_EQ(e.message(), "Port must be a number from 1 to 65535");
        }
    }
    if (usual.listening())
        EXPECT_EQ(usual.connectionsTaken(), 0);
    EXPECT_EQ(wrapped.connectionsTaken(), 0);
    EXPECT_EQ(farWrapped.connectionsTaken(), 0);

    // The server's own port still opens, also with a leading zero.
    profile.setText(ProfileField::Port, twtest::mysqlPort());
    EXPECT_TRUE(MySQLConnects(profile, nullptr));
    EXPECT_TRUE(portProblem("1").isEmpty());
    EXPECT_TRUE(portProblem("65535").isEmpty());
    EXPECT_TRUE(portProblem("03306").isEmpty());
}

}
