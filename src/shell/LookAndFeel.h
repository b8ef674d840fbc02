#pragma once
#include <QColor>
#include <QString>

class QWidget;

namespace tw {

class SkinFramework;

// The system colour button face.
QColor buttonFace();

// Colours a window and its option buttons, check boxes, frames and labels
// in button face; other controls keep their colours.
void ApplyWindowColors(QWidget& window);

// The skin of the connection window: only when a plain file "x/o.cjs" is in
// the program's folder (a hidden or special file counts as absent) does
// the window take button face and the skin, in that order.
void ApplySkin(QWidget& form1, SkinFramework& skin, const QString& programFolder);

// A file beside the program, e.g. programFile(folder, "HAND-M.CUR").
QString programFile(const QString& programFolder, const QString& name);

}
