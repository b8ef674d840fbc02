#include "WindowTestSupport.h"
#include "shell/AppTitle.h"
#include "shell/CursorFile.h"
#include "shell/FileExists.h"
#include "shell/LookAndFeel.h"
#include "shell/SkinFramework.h"
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tw;

namespace {

TEST(AppTitleTest, OneWordNameStaysWhole) { EXPECT_EQ(appTitleFrom("Tablewright"), "Tablewright"); }

TEST(AppTitleTest, ThirtyCharacterThreeWordNameStillLosesItsLastWord) {
    const QString name = "Veltrano Table Copier Standard";
    ASSERT_EQ(name.size(), 30);
    EXPECT_EQ(appTitleFrom(name), "Veltrano Table Copier");
}

TEST(AppTitleTest, FiftySixCharacterNameIsCutBackWordByWordToFortyOrFewer) {
    const QString name = "Veltrano Tablewright Copier for MySQL and SQL Anywhere 9";
    ASSERT_EQ(name.size(), 56);
    // "... MySQL and" would be 41 characters: one word more has to go.
    EXPECT_EQ(appTitleFrom(name), "Veltrano Tablewright Copier for MySQL");
}

TEST(AppTitleTest, TheProgramsTitleIsItsProductName) {
    SetAppTitle();
    EXPECT_EQ(applicationTitle(), "Tablewright");
}

TEST(FileExistsTest, MissingFileAndEmptyPathAreFalse) {
    QTemporaryDir dir;
    EXPECT_FALSE(FileExists(dir.filePath("HAND-M.CUR")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(dir.filePath("no-such-folder/HAND-M.CUR")));
}

TEST(FileExistsTest, ExistingFileIsTrue) {
    QTemporaryDir dir;
    QFile f(dir.filePath("HAND-M.CUR"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(FileExists(f.fileName()));
}

// A skin component that notes every call the program makes on it.
class RecordingSkin : public SkinFramework {
public:
    QVariant invokeMethod(int member, const QVariantList& arguments) override {
        calls << QString("call %1 %2").arg(member).arg(describe(arguments));
        if (member == LoadSkin && failToLoad)
            throw std::runtime_error("the skin is damaged");
        return SkinFramework::invokeMethod(member, arguments);
    }
    QVariant property(int member) const override {
        calls << QString("get %1").arg(member);
        return SkinFramework::property(member);
    }
    void setProperty(int member, const QVariant& value) override {
        calls << QString("put %1 %2").arg(member).arg(value.toString());
        SkinFramework::setProperty(member, value);
    }
    static QString describe(const QVariantList& arguments) {
        QStringList parts;
        for (const QVariant& a : arguments)
            parts << QString("%1:'%2'").arg(a.typeName(), a.toString());
        return parts.join(", ");
    }
    mutable QStringList calls;
    bool failToLoad = false;
};

QColor background(const QWidget* w) { return w->palette().color(w->backgroundRole()); }

class SkinTest : public twtest::WithApplication {
protected:
    void SetUp() override {
        window.setObjectName("Form1");
        frame = new QGroupBox("MySQL Login", &window);
        label = new QLabel("Server:", frame);
        text = new QLineEdit(frame);
        button = new QPushButton("Help", frame);
        for (QWidget* w : {static_cast<QWidget*>(&window), static_cast<QWidget*>(frame), static_cast<QWidget*>(label)}) {
            QPalette p = w->palette();
            p.setColor(QPalette::Window, Qt::white);
            w->setPalette(p);
        }
        ASSERT_NE(buttonFace(), QColor(Qt::white)) << "the test cannot tell the colours apart";
    }
    void writeSkin(const QByteArray& sheet) {
        QDir(folder.path()).mkpath("x");
        QFile f(folder.filePath("x/o.cjs"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(sheet);
    }
    QTemporaryDir folder;
    QWidget window;
    QGroupBox* frame;
    QLabel* label;
    QLineEdit* text;
    QPushButton* button;
    RecordingSkin skin;
};

TEST_F(SkinTest, WithoutTheSkinFileNothingChanges) {
    ApplySkin(window, skin, folder.path());
    EXPECT_TRUE(skin.calls.isEmpty());
    EXPECT_EQ(background(&window), QColor(Qt::white));
    EXPECT_EQ(background(frame), QColor(Qt::white));
    EXPECT_EQ(background(label), QColor(Qt::white));
    EXPECT_TRUE(window.styleSheet().isEmpty());
}

TEST_F(SkinTest, SkinFileGivesButtonFaceThenTheComponentCallsInOrder) {
    const QByteArray sheet = "QPushButton { color: navy; }";
    writeSkin(sheet);
    ApplySkin(window, skin, folder.path());

    const QString handle = QString::number(qint32(quint32(window.winId())));
    EXPECT_EQ(skin.calls, QStringList({"call 2 QString:'" + folder.filePath("x/o.cjs") + "', QString:''", "get 1",
                                       "put 1 1", "put 5 true", "put 10 true", "call 3 int:'" + handle + "'"}));
    EXPECT_EQ(background(&window), buttonFace());
    EXPECT_EQ(background(frame), buttonFace());
    EXPECT_EQ(background(label), buttonFace());
    EXPECT_EQ(window.styleSheet(), QString(sheet));
}

TEST_F(SkinTest, OptionsReadBackKeepTheirOtherBits) {
    writeSkin("");
    skin.setProperty(SkinFramework::ApplyOptions, 6);
    skin.calls.clear();
    ApplySkin(window, skin, folder.path());
    ASSERT_GE(skin.calls.size(), 3);
    EXPECT_EQ(skin.calls[2], "put 1 7");
}

TEST_F(SkinTest, SkinThatFailsToLoadLeavesButtonFaceWithoutSkin) {
    writeSkin("QWidget { color: red; }");
    skin.failToLoad = true;
    EXPECT_THROW(ApplySkin(window, skin, folder.path()), std::runtime_error);
    EXPECT_EQ(skin.calls.size(), 1);
    EXPECT_EQ(background(&window), buttonFace());
    EXPECT_TRUE(window.styleSheet().isEmpty());
}

TEST_F(SkinTest, SkinNameThatIsNoPlainFileCountsAsAbsent) {
    QDir(folder.path()).mkpath("x/o.cjs");
    ApplySkin(window, skin, folder.path());
    EXPECT_TRUE(skin.calls.isEmpty());

    QDir(folder.path()).rmdir("x/o.cjs");
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath("x/o.cjs")).constData(), 0600), 0);
    ApplySkin(window, skin, folder.path());
    EXPECT_TRUE(skin.calls.isEmpty());
    EXPECT_EQ(background(&window), QColor(Qt::white));
}

TEST_F(SkinTest, UnknownMemberFailsLikeADispatchCall) {
    EXPECT_THROW(skin.invokeMethod(7, {}), std::runtime_error);
    EXPECT_THROW(skin.property(4), std::runtime_error);
}

TEST(WindowColorsTest, WindowAndItsFramesLabelsCheckAndOptionButtonsTakeButtonFace) {
    twtest::ensureApplication();
    QWidget window;
    auto* frame = new QGroupBox("Sybase iAnywhere Tables", &window);
    auto* label = new QLabel("x", frame);
    auto* check = new QCheckBox("x", &window);
    auto* option = new QRadioButton("x", &window);
    auto* list = new QListWidget(frame);
    auto* text = new QLineEdit(&window);
    const QColor listBefore = background(list), textBefore = background(text);
    ApplyWindowColors(window);
    for (QWidget* w : {static_cast<QWidget*>(&window), static_cast<QWidget*>(frame), static_cast<QWidget*>(label),
                       static_cast<QWidget*>(check), static_cast<QWidget*>(option)}) {
        EXPECT_EQ(w->palette().color(QPalette::Window), buttonFace());
        EXPECT_TRUE(w->autoFillBackground());
    }
    EXPECT_EQ(background(list), listBefore);
    EXPECT_EQ(background(text), textBefore);
}

// A cursor file as Windows writes one: header, one directory entry, then a
// 32-bit picture with its AND mask. Opaque red, except a transparent column 0.
QByteArray cursorFile(int size, QPoint hotSpot, quint16 type = 2) {
    QByteArray picture;
    auto put32 = [&](quint32 v) { char b[4]; qToLittleEndian(v, b); picture.append(b, 4); };
    auto put16 = [&](quint16 v) { char b[2]; qToLittleEndian(v, b); picture.append(b, 2); };
    put32(40), put32(size), put32(2 * size), put16(1), put16(32);
    for (int i = 0; i < 6; ++i)
        put32(0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            put32(x == 0 ? 0 : 0xFFFF0000u);
    const int maskRow = ((size + 31) / 32) * 4;
    for (int y = 0; y < size; ++y) {
        QByteArray row(maskRow, 0);
        row[0] = char(0x80);
        picture += row;
    }
    QByteArray file;
    auto f16 = [&](quint16 v) { char b[2]; qToLittleEndian(v, b); file.append(b, 2); };
    auto f32 = [&](quint32 v) { char b[4]; qToLittleEndian(v, b); file.append(b, 4); };
    f16(0), f16(type), f16(1);
    file.append(char(size)).append(char(size)).append(char(0)).append(char(0));
    f16(quint16(hotSpot.x())), f16(quint16(hotSpot.y())), f32(quint32(picture.size())), f32(22);
    return file + picture;
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    QFile f(dir.filePath("HAND-M.CUR"));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

TEST(CursorFileTest, HotSpotComesFromTheDirectoryEntry) {
    twtest::ensureApplication();
    QTemporaryDir dir;
    const CursorPicture cursor = readCursorFile(writeFile(dir, cursorFile(16, QPoint(3, 7))));
    EXPECT_EQ(cursor.hotSpot, QPoint(3, 7));
    EXPECT_EQ(cursor.image.size(), QSize(16, 16));
    EXPECT_EQ(cursor.image.pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(cursor.image.pixelColor(0, 5).alpha(), 0);
    const QCursor pointer = loadCursor(dir.filePath("HAND-M.CUR"));
    EXPECT_EQ(pointer.shape(), Qt::BitmapCursor);
    EXPECT_EQ(pointer.hotSpot(), QPoint(3, 7));
}

TEST(CursorFileTest, ShippedHandPointsWithTheTipOfItsFinger) {
    twtest::ensureApplication();
    const CursorPicture hand = readCursorFile(QDir(twtest::buildFolder()).filePath("HAND-M.CUR"));
    EXPECT_EQ(hand.image.size(), QSize(32, 32));
    EXPECT_EQ(hand.hotSpot, QPoint(6, 0));
    EXPECT_EQ(hand.image.pixelColor(hand.hotSpot).alpha(), 255);
    // Nothing of the hand above or left of the fingertip's row and column.
    for (int x = 0; x < 32; ++x)
        if (x != 6 && x != 7)
            EXPECT_EQ(hand.image.pixelColor(x, 0).alpha(), 0) << x;
}

TEST(CursorFileTest, FilesThatAreNoReadableCursorAreAnInvalidPicture) {
    twtest::ensureApplication();
    QTemporaryDir dir;
    const QByteArray good = cursorFile(16, QPoint(1, 1));
    for (const QByteArray& bad : {cursorFile(16, QPoint(1, 1), 1), good.left(40), cursorFile(16, QPoint(16, 2)),
                                  QByteArray("not a cursor at all")}) {
        try {
            readCursorFile(writeFile(dir, bad));
            ADD_FAILURE() << "read a damaged cursor of " << bad.size() << " bytes";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Invalid picture");
        }
    }
}

}
