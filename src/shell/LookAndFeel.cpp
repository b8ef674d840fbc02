#include "shell/LookAndFeel.h"
#include "shell/SkinFramework.h"
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QWidget>
#include <stdexcept>

namespace tw {

namespace {

void paintBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

bool takesWindowColour(const QWidget* control) {
    return qobject_cast<const QRadioButton*>(control) || qobject_cast<const QCheckBox*>(control) ||
           qobject_cast<const QGroupBox*>(control) || qobject_cast<const QLabel*>(control);
}

// A directory listing for the exact name, plain files only.
bool plainFileListed(const QString& folder, const QString& name) {
    return QDir(folder).entryList({name}, QDir::Files).contains(name);
}

}

QColor buttonFace() { return QGuiApplication::palette().color(QPalette::Active, QPalette::Button); }

void ApplyWindowColors(QWidget& window) {
    const QColor face = buttonFace();
    paintBackground(window, face);
    for (QWidget* control : window.findChildren<QWidget*>())
        if (takesWindowColour(control))
            paintBackground(*control, face);
}

QString programFile(const QString& programFolder, const QString& name) {
    return QDir(programFolder).filePath(name);
}

void ApplySkin(QWidget& form1, SkinFramework& skin, const QString& programFolder) {
    const QString skinFolder = programFile(programFolder, QStringLiteral("x"));
    if (!plainFileListed(skinFolder, QStringLiteral("o.cjs")))
        return;
    ApplyWindowColors(form1);
    skin.invokeMethod(SkinFramework::LoadSkin, {QDir(skinFolder).filePath(QStringLiteral("o.cjs")), QString()});
    bool isNumber = false;
    const qint32 options = skin.property(SkinFramework::ApplyOptions).toInt(&isNumber);
    if (!isNumber)
        throw std::runtime_error("Type mismatch");
    skin.setProperty(SkinFramework::ApplyOptions, options | 1);
    skin.setProperty(SkinFramework::AutoApplyNewWindows, true);
    skin.setProperty(SkinFramework::AutoApplyNewThreads, true);
    skin.invokeMethod(SkinFramework::ApplyWindow, {qint32(quint32(form1.winId()))});
}

}
