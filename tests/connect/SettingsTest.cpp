#include "TestEnv.h"
#include "connect/ProfileBinding.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

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

TEST(ConnectStringTest, DefaultsAndEmptyDataSourceName) {
    twtest::TestProfile p;
    for (ProfileField f : allProfileFields)
        p.setText(f, defaultValue(f));
    EXPECT_EQ(MySQLConnectString(p), "DRIVER={MySQL ODBC 5.1 Driver};SERVER=localhost;USER=;DATABASE=;PASSWORD=;PORT=3306;");
    EXPECT_EQ(SybaseConnectString(p), "Data Source=");
}

}
