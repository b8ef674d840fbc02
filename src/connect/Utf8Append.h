#pragma once
#include <QString>
#include <string>

namespace tw {

// Appends the text's UTF-8 to a buffer that keeps its room from use to use,
// without a QByteArray between; most values are ASCII, which goes byte for byte.
void appendUtf8(std::string& into, const QString& text);

}
