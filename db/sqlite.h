#pragma once
// The one place that includes the engine's header: the key functions are only
// declared when SQLITE_HAS_CODEC is defined first. Only db/ includes it.
#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>
