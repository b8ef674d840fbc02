#include "shell/AppTitle.h"

namespace tw {

namespace {
QString& title() {
    static QString t = productName;
    return t;
}
}

QString applicationTitle() { return title(); }

QString appTitleFrom(const QString& productName) {
    constexpr qsizetype longest = 40;
    QString text = productName;
    do {
        const qsizetype blank = text.lastIndexOf(u' ');
        if (blank < 0)
            break;
        text.truncate(blank);
    } while (text.size() > longest);
    return text;
}

void SetAppTitle() { title() = appTitleFrom(productName); }

}
