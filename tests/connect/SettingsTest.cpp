#include "TestEnv.h"
#include "program/ProfileBinding.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QLockFile>
#include <QSettings>
#include <QTimer>
#include <sys/wait.h>
#include <gtest/gtest.h>
#include <memory>
#include <QProcess>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "settings_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
        ASSERT_FALSE(qEnvironmentVariable("XDG_CONFIG_HOME").isEmpty()) << "tests must not use the real settings";
        QFile::remove(SettingsStore().fileName());
        m_store = std::make_unique<SettingsStore>();
        for (auto& e : edits)
            e = new QLineEdit;
    }
    void TearDown() override { qDeleteAll(edits); }

    // The keys of the Tablewright section as they are on disk now.
    QStringList storedKeys() const {
        QSettings disk(store().fileName(), QSettings::IniFormat);
        disk.beginGroup("Tablewright");
        return disk.childKeys();
    }
    QString stored(const QString& key) const {
        QSettings disk(store().fileName(), QSettings::IniFormat);
        return disk.value("Tablewright/" + key).toString();
    }
    SettingsStore& store() const { return *m_store; }
    // Another program, here a child process, holding the settings' lock for
    // the microseconds given; its process id once it holds it, else -1.
    pid_t holdTheLock(useconds_t microseconds) const {
        int ready[2];
        if (::pipe(ready) != 0)
            return -1;
        const pid_t holder = ::fork();
        if (holder == 0) {
            QLockFile lock(store().fileName() + ".lock");
            const char locked = lock.tryLock(0) ? 'y' : 'n';
            (void)!::write(ready[1], &locked, 1);
            ::usleep(microseconds);
            lock.unlock();
            ::_exit(0);
        }
        char locked = 0;
        return holder > 0 && ::read(ready[0], &locked, 1) == 1 && locked == 'y' ? holder : -1;
    }
    std::unique_ptr<SettingsStore> m_store;
    std::array<QLineEdit*, 6> edits{};
};

TEST_F(SettingsTest, StoreIsTheVeltranoFileInThePrivateConfigFolder) {
    EXPECT_EQ(store().fileName(), QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("Veltrano.ini"));
}

TEST_F(SettingsTest, FirstStartFillsDefaultsAndStoresOnlyServerAndPort) {
    ProfileBinding binding(edits, store());
    binding.load();
    QStringList shown;
    for (auto* e : edits)
        shown << e->text();
    EXPECT_EQ(shown, QStringList({"localhost", "3306", "", "", "", ""}));
    QStringList keys = storedKeys();
    keys.sort();
    EXPECT_EQ(keys, QStringList({"Port", "Server"}));
    EXPECT_EQ(stored("Server"), "localhost");
    EXPECT_EQ(stored("Port"), "3306");
}

TEST_F(SettingsTest, EveryChangeIsOnDiskAtOnceAndLoadsBackNextRun) {
    {
        ProfileBinding binding(edits, store());
        binding.load();
        edits[2]->setText("a");
        EXPECT_EQ(stored("User"), "a");
        edits[2]->setText("ad");
        EXPECT_EQ(stored("User"), "ad");
        edits[3]->setText(" p;w={x} ");
        edits[5]->setText("Sales DSN");
        edits[0]->clear();
        EXPECT_EQ(stored("Server"), "");
    }
    std::array<QLineEdit*, 6> next{};
    for (auto& e : next)
        e = new QLineEdit;
    SettingsStore nextRun;
    ProfileBinding again(next, nextRun);
    again.load();
    EXPECT_EQ(again.text(ProfileField::Server), "");
    EXPECT_EQ(again.text(ProfileField::User), "ad");
    EXPECT_EQ(again.text(ProfileField::Password), " p;w={x} ");
    EXPECT_EQ(again.text(ProfileField::DataSourceName), "Sales DSN");
    EXPECT_EQ(MySQLConnectString(again),
              "DRIVER={MySQL ODBC 5.1 Driver};SERVER=;USER=ad;DATABASE=;PASSWORD={ p;w={x}} };PORT=3306;");
    EXPECT_EQ(SybaseConnectString(again), "Data Source=Sales DSN");
    qDeleteAll(next);
}

TEST_F(SettingsTest, SettingsFileIsReadableByItsOwnerOnly) {
    ProfileBinding binding(edits, store());
    binding.load();
    edits[3]->setText("secret");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(store().fileName()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600);
}

// Settings kept in a folder of the test's own, as a user who cannot write
// there: as root, the test acts as "nobody", since root may write anywhere.
class UnwritableSettingsTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        char pattern[] = "/tmp/tw-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = QString::fromLocal8Bit(pattern);
        if (::geteuid() == 0)
            ASSERT_EQ(::chown(pattern, nobody, nobody), 0);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    }
    void TearDown() override {
        actAsOwner();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, qEnvironmentVariable("XDG_CONFIG_HOME"));
        QProcess::execute("chmod", {"-R", "u+rwx", folder});
        QDir(folder).removeRecursively();
        SettingsTest::TearDown();
    }
    void actAsUser() {
        if (::getuid() == 0 && ::geteuid() == 0) {
            ASSERT_EQ(::setegid(nobody), 0);
            ASSERT_EQ(::seteuid(nobody), 0);
        }
    }
    void actAsOwner() {
        if (::getuid() == 0 && ::geteuid() != 0) {
            ASSERT_EQ(::seteuid(0), 0);
            ASSERT_EQ(::setegid(0), 0);
        }
    }
    QString file() const { return folder + "/Veltrano.ini"; }
    void writeFile(const QByteArray& text, mode_t mode) {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), mode), 0);
    }
    QByteArray fileText() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static mode_t modeOf(const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 07777;
    }

    // Runs a session of typing: the profile loads, then the user types.
    QStringList typeIntoTheFields(SettingsStore& settings) {
        QStringList told;
        ProfileBinding binding(edits, settings);
        binding.onStoreProblem([&](const QString& message) { told << message; });
        binding.tellStoreProblemOnce();
        binding.load();
        edits[2]->setText("a");
        edits[2]->setText("ad");
        edits[3]->setText("secret");
        return told;
    }

    static constexpr uid_t nobody = 65534;
    QString folder;
};

TEST_F(UnwritableSettingsTest, AReadOnlyFileIsToldOnceAndWhatIsTypedStaysForTheRun) {
    const QByteArray before = "[Tablewright]\nServer=db.example\n";
    actAsUser();
    writeFile(before, 0400);
    SettingsStore settings;
    const QStringList told = typeIntoTheFields(settings);
    ASSERT_EQ(told.size(), 1) << told.join(" | ").toStdString();
    EXPECT_EQ(told[0], "Tablewright cannot keep its settings in " + file() +
                           ": Permission denied.\r\rWhat you type is used until the program ends, but it will not be "
                           "there the next time.");
    EXPECT_EQ(edits[0]->text(), "db.example");
    EXPECT_EQ(edits[2]->text(), "ad");
    EXPECT_EQ(settings.GetSetting("User", ""), "ad");
    EXPECT_EQ(fileText(), before);
}

TEST_F(UnwritableSettingsTest, AReadOnlyFolderIsToldOnceNamingTheFolder) {
    actAsUser();
    writeFile("[Tablewright]\nServer=db.example\n", 0600);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0500), 0);
    SettingsStore settings;
    const QStringList told = typeIntoTheFields(settings);
    ASSERT_EQ(told.size(), 1) << told.join(" | ").toStdString();
    EXPECT_TRUE(told[0].contains(file() + ": its folder " + folder + " cannot be written: Permission denied."))
        << told[0].toStdString();
    EXPECT_EQ(settings.GetSetting("Password", ""), "secret");
}

TEST_F(UnwritableSettingsTest, ASettingsPathThatIsAFolderIsToldAtStartUp) {
    ASSERT_TRUE(QDir(folder).mkdir("Veltrano.ini"));
    SettingsStore settings;
    EXPECT_EQ(settings.problem(), "it is a folder");
    const QStringList told = typeIntoTheFields(settings);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith("Tablewright cannot keep its settings in " + file() + ": it is a folder."));
    EXPECT_EQ(edits[3]->text(), "secret");
}

TEST_F(UnwritableSettingsTest, AFileMadeUnwritableWhileTheProgramRunsIsToldAtTheNextWriteFromAnyWindow) {
    actAsUser();
    writeFile("[Tablewright]\nServer=db.example\n", 0600);
    SettingsStore settings;
    QStringList told;
    ProfileBinding binding(edits, settings);
    binding.onStoreProblem([&](const QString& message) { told << message; });
    binding.load();
    EXPECT_TRUE(told.isEmpty());
    ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), 0400), 0);
    // The table manager's own setting, not a field of the connection window.
    EXPECT_FALSE(settings.SaveSetting("FastCopy", "True"));
    EXPECT_FALSE(settings.SaveSetting("FastCopy", "False"));
    ASSERT_EQ(told.size(), 1) << told.join(" | ").toStdString();
    EXPECT_TRUE(told[0].startsWith("Tablewright cannot keep its settings in " + file() + ": Permission denied."));
    EXPECT_EQ(settings.GetSetting("FastCopy", ""), "False");
}

TEST_F(UnwritableSettingsTest, AGarbledFileIsToldAsUnreadAndIsWrittenOver) {
    actAsUser();
    writeFile("[Tablewright\nServer=db.example\n", 0600);
    SettingsStore settings;
    EXPECT_EQ(settings.trouble(), SettingsStore::Trouble::Unreadable);
    const QStringList told = typeIntoTheFields(settings);
    ASSERT_EQ(told.size(), 1) << told.join(" | ").toStdString();
    EXPECT_EQ(told[0], "Tablewright could not read its settings in " + file() +
                           ": its text is not in the form of a settings file.\r\rThe fields start from their "
                           "defaults; what you type from now on is kept.");
    SettingsStore nextRun;
    EXPECT_EQ(nextRun.trouble(), SettingsStore::Trouble::None) << fileText().toStdString();
    EXPECT_EQ(nextRun.GetSetting("User", ""), "ad");
}

TEST_F(UnwritableSettingsTest, FoldersAndFileAreTheOwnersOnlyWhateverTheUmask) {
    const QString deeper = folder + "/config/tablewright";
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, deeper);
    const mode_t before = ::umask(0);
    SettingsStore settings;
    const bool written = settings.SaveSetting("Server", "db.example");
    ::umask(before);
    EXPECT_TRUE(written);
    EXPECT_EQ(settings.problem(), "");
    EXPECT_EQ(modeOf(folder + "/config"), 0700u);
    EXPECT_EQ(modeOf(deeper), 0700u);
    EXPECT_EQ(modeOf(deeper + "/Veltrano.ini"), 0600u);
}

// Another program (here a child process) holds the settings' lock for a
// while: typing neither waits for it nor loses what was typed.
TEST_F(SettingsTest, ALockHeldByAnotherProgramNeitherFreezesTheWindowNorLosesTheValue) {
    ProfileBinding binding(edits, store());
    QStringList told;
    binding.onStoreProblem([&](const QString& message) { told << message; });
    binding.load();
    const pid_t holder = holdTheLock(5000000);
    ASSERT_GT(holder, 0);

    edits[2]->setText("typed while locked");
    int status = 0;
    EXPECT_EQ(::waitpid(holder, &status, WNOHANG), 0) << "the write waited for the lock to be free";
    EXPECT_EQ(binding.text(ProfileField::User), "typed while locked");
    EXPECT_EQ(store().GetSetting("User", ""), "typed while locked");

    // The window's events go on while the lock is held, and then the value is written.
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(20);
    while (::waitpid(holder, &status, WNOHANG) == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QElapsedTimer sinceFree;
    sinceFree.start();
    while (stored("User") != "typed while locked" && sinceFree.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(stored("User"), "typed while locked");
    EXPECT_GT(ticks, 100) << "the window stopped answering while the lock was held";
    ASSERT_EQ(told.size(), 1) << told.join(" | ").toStdString();
    EXPECT_EQ(told[0], "Another program holds the lock of Tablewright's settings in " + store().fileName() +
                           ".\r\rWhat you type is used now, and kept as soon as the lock is free.");
    EXPECT_EQ(store().trouble(), SettingsStore::Trouble::None);
}

TEST_F(SettingsTest, AValueStillWaitingForTheLockIsWrittenWhenTheStoreGoes) {
    const pid_t holder = holdTheLock(500000);
    ASSERT_GT(holder, 0);
    EXPECT_FALSE(store().SaveSetting("Database", "late"));
    int status = 0;
    ASSERT_EQ(::waitpid(holder, &status, 0), holder);  // no events processed meanwhile
    EXPECT_NE(stored("Database"), "late");
    const QString file = store().fileName();
    m_store.reset();
    QSettings disk(file, QSettings::IniFormat);
    EXPECT_EQ(disk.value("Tablewright/Database").toString(), "late");
}

TEST(ConnectStringTest, DefaultsAndEmptyDataSourceName) {
    twtest::TestProfile p;
    for (ProfileField f : allProfileFields)
        p.setText(f, defaultValue(f));
    EXPECT_EQ(MySQLConnectString(p), "DRIVER={MySQL ODBC 5.1 Driver};SERVER=localhost;USER=;DATABASE=;PASSWORD=;PORT=3306;");
    EXPECT_EQ(SybaseConnectString(p), "Data Source=");
}

}
