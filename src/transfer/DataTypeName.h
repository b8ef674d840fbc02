#pragma once
#include <QString>

namespace tw {

// The name of ADO's DataTypeEnum constant for a field's type code
// ("adInteger" for 3); a null string for a code that has no name. The
// transfers choose column types by the letters of this name.
QString DataTypeName(short code);

// adBinary, adVarBinary and adLongVarBinary.
bool isByteStringType(int adoType);

}
