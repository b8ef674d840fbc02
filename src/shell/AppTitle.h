#pragma once
#include <QString>

namespace tw {

inline const QString productName = QStringLiteral("Tablewright");

// The title that message boxes and input boxes show when given none.
QString applicationTitle();

// The product name cut back word by word: the last word always goes when
// there is more than one, then further words until 40 characters or fewer.
QString appTitleFrom(const QString& productName);

// Makes the title from the product name the application title.
void SetAppTitle();

}
