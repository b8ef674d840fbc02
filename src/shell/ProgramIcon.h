#pragma once
#include <QIcon>

namespace tw {

// The program's icon, drawn here: two tables with an arrow between them.
QIcon programIcon();

}
