#include "connect/Utf8Append.h"
#include <QStringEncoder>

namespace tw {

void appendUtf8(std::string& into, const QString& text) {
    const size_t start = into.size();
    into.resize(start + size_t(text.size()));
    const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (units[i] >= 0x80) {
            QStringEncoder encoder(QStringEncoder::Utf8);
            const size_t at = start + size_t(i);
            into.resize(at + size_t(encoder.requiredSpace(text.size() - i)));
            char* end = encoder.appendToBuffer(into.data() + at, QStringView(text).sliced(i));
            into.resize(size_t(end - into.data()));
            return;
        }
        into[start + size_t(i)] = char(units[i]);
    }
}

}
