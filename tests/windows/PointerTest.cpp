#include "WindowTestSupport.h"
#include "shell/CursorFile.h"
#include "shell/HoverPointer.h"
#include "shell/WindowPointer.h"
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace tw;

namespace {

class PointerTest : public twtest::WithApplication {
protected:
    void SetUp() override {
        frame = new QGroupBox("MySQL Login", &window);
        frame->setGeometry(10, 10, 300, 200);
        button = new QPushButton("Help", frame);
        button->setGeometry(10, 20, 100, 25);
        label = new QLabel("Password:", frame);
        label->setGeometry(10, 60, 100, 20);
        listed = new QLineEdit(frame);
        listed->setGeometry(120, 60, 100, 20);
        unlisted = new QLineEdit(frame);
        unlisted->setGeometry(120, 90, 100, 20);
        list = new QListWidget(&window);
        list->setGeometry(10, 220, 200, 100);
        bar = new QProgressBar(&window);
        bar->setGeometry(10, 330, 200, 20);
        window.resize(400, 400);
        hover.handOver(button);
        for (QWidget* w : {static_cast<QWidget*>(&window), static_cast<QWidget*>(frame),
                           static_cast<QWidget*>(listed), static_cast<QWidget*>(list)})
            hover.arrowOver(w);
        window.show();
    }
    QCursor hand() const { return QCursor(QPixmap(32, 32), 6, 0); }

    QWidget window;
    WindowPointer pointer{window};
    HoverPointer hover{pointer, &window};
    QGroupBox* frame;
    QPushButton* button;
    QLabel* label;
    QLineEdit *listed, *unlisted;
    QListWidget* list;
    QProgressBar* bar;
};

TEST_F(PointerTest, CodesShowArrowHourglassAndTheCustomHand) {
    pointer.setMouseIcon(hand());
    pointer.setMousePointer(PointerCode::Hourglass);
    EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(unlisted->cursor().shape(), Qt::WaitCursor) << "the hourglass shows over text boxes too";
    pointer.setMousePointer(PointerCode::Hand);
    EXPECT_EQ(window.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(window.cursor().hotSpot(), QPoint(6, 0));
    pointer.setMousePointer(PointerCode::Arrow);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(unlisted->cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(pointer.mousePointer(), PointerCode::Arrow);
}

TEST_F(PointerTest, HandWithoutACursorFileShowsTheArrow) {
    pointer.setMousePointer(PointerCode::Hand);
    EXPECT_FALSE(pointer.hasMouseIcon());
    EXPECT_EQ(pointer.mousePointer(), PointerCode::Hand);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(PointerTest, HandOverButtonsStaysOverLabelsAndUnlistedControlsUntilTheArrowsPlace) {
    twtest::moveMouseOver(button);
    EXPECT_EQ(pointer.mousePointer(), PointerCode::Hand);
    twtest::moveMouseOver(label);
    twtest::moveMouseOver(unlisted);
    twtest::moveMouseOver(bar);
    EXPECT_EQ(pointer.mousePointer(), PointerCode::Hand);
    twtest::moveMouseOver(listed);
    EXPECT_EQ(pointer.mousePointer(), PointerCode::Arrow);

    for (QWidget* arrowPlace : {static_cast<QWidget*>(&window), static_cast<QWidget*>(frame),
                                static_cast<QWidget*>(list->viewport())}) {
        twtest::moveMouseOver(button);
        ASSERT_EQ(pointer.mousePointer(), PointerCode::Hand);
        twtest::moveMouseOver(arrowPlace);
        EXPECT_EQ(pointer.mousePointer(), PointerCode::Arrow) << arrowPlace->metaObject()->className();
    }
}

TEST_F(PointerTest, NeitherHandlerTouchesTheHourglass) {
    pointer.setMousePointer(PointerCode::Hourglass);
    for (QWidget* w : {static_cast<QWidget*>(button), static_cast<QWidget*>(frame), static_cast<QWidget*>(listed),
                       static_cast<QWidget*>(list->viewport()), static_cast<QWidget*>(&window)}) {
        twtest::moveMouseOver(w);
        EXPECT_EQ(pointer.mousePointer(), PointerCode::Hourglass) << w->metaObject()->className();
    }
}

}
