#include "TableManagerRig.h"
#include <QApplication>

namespace twtest {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "tablewright_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

TableManagerRig::TableManagerRig(const QString& mysqlName) : mysql(mysqlName) {
    ensureApplication();
    List1 = std::make_unique<tw::TableListWidget>();
    List2 = std::make_unique<tw::TableListWidget>();
    mysql.fillProfile(profile);
    standin.fillProfile(profile);
}

tw::TableManagerUi TableManagerRig::ui() {
    return {*List1, *List2, progress, pointer, prompts, yield, profile, transfer};
}

void TableManagerRig::selectAll(tw::TableList& list) {
    for (int i = 0; i < list.ListCount(); ++i)
        list.setSelected(i, true);
}

}
