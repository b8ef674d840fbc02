#pragma once
// The ODBC declarations get default visibility, so the definitions of the
// entry points are exported while everything else of ours stays hidden.
#pragma GCC visibility push(default)
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
#pragma GCC visibility pop

#define TW_EXPORT extern "C" __attribute__((visibility("default")))
