#pragma once
// The errors the layer raises, each with its number and the description the
// user sees.
#include "db/errors.h"

namespace merivex::fail
{

[[noreturn]] void overflow();
[[noreturn]] void typeMismatch();
[[noreturn]] void invalidArgument();
[[noreturn]] void noCurrentRecord();
[[noreturn]] void itemNotFound();
[[noreturn]] void readOnly();
[[noreturn]] void updateWithoutAddNew();
[[noreturn]] void objectInvalid();
[[noreturn]] void charactersAfterEnd();
[[noreturn]] void fileNotFound(const QString &path);
[[noreturn]] void cannotOpen(const QString &path);
[[noreturn]] void invalidPassword();
[[noreturn]] void fileInUse(const QString &path);
[[noreturn]] void databaseExists(const QString &path);
[[noreturn]] void diskIo(const QString &detail = {});

} // namespace merivex::fail
