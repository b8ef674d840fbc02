#include "base/ProgramEnd.h"
#include <QCoreApplication>

namespace tw {

void ProgramEnd::request() {
    m_requested = true;
    QCoreApplication::exit(0);
}

}
