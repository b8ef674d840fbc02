#include "WindowTestSupport.h"
#include "program/Form1.h"
#include "connect/SettingsStore.h"
#include "shell/LookAndFeel.h"
#include "tables/Form2.h"
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <gtest/gtest.h>
#include <optional>

using namespace tw;

namespace {

// Both windows drawn as the user sees them, over a few sample tables.
// scripts/screenshots runs this on a real X display and keeps the pictures
// (TW_SCREENSHOT_DIR).
class ScreenshotTest : public twtest::WithStoredProfile {
protected:
    ScreenshotTest() : WithStoredProfile("windows_screens") {
        for (const char* t : {"customers", "orders", "products", "order_items"})
            mysql.exec(QString("CREATE TABLE %1 (id INT)").arg(t));
        mysql.exec("INSERT INTO orders VALUES (1), (2), (3)");
        for (const char* t : {"Accounts", "Invoices", "stock"})
            standin.exec(QString("CREATE TABLE \"%1\" (id INTEGER)").arg(t));
        storeWorkingProfile();
    }
    static QImage shot(QWidget& window, const char* name) {
        QApplication::processEvents();
        const QImage image = window.grab().toImage();
        const QString folder = qEnvironmentVariable("TW_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            EXPECT_TRUE(image.save(QDir(folder).filePath(name))) << name;
        return image;
    }
};

TEST_F(ScreenshotTest, TableManagerAndConnectionWindowAsShown) {
    Form1 form1(program.services(), *store);
    form1.start();
    ASSERT_NE(form1.tableManagerIfLoaded(), nullptr);
    Form2& form2 = *form1.tableManagerIfLoaded();
    // After a transfer, so the picture shows its account under the bar.
    form2.List1->setListIndex(2);
    form2.List1->setSelected(2, true);
    form2.PushButton3->click();
    EXPECT_TRUE(form2.TransferResult->Line->text().startsWith("1 table, 3 rows copied and verified in "));
    const QImage manager = shot(form2, "form2.png");
    EXPECT_EQ(manager.size() / manager.devicePixelRatio(), form2.size());
    EXPECT_EQ(manager.pixelColor(3, 3), buttonFace());

    form2.PushButton2->click();
    form1.Text4->deselect();
    const QImage connection = shot(form1, "form1.png");
    EXPECT_EQ(connection.size() / connection.devicePixelRatio(), QSize(536, 342));
    EXPECT_EQ(connection.pixelColor(3, 3), QColor(Qt::white));
    EXPECT_TRUE(program.prompts.shown.empty());
}

}
