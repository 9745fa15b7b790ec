#pragma once
// Opening one engine connection to an existing file: key it, prove the key
// with a first read, and apply the settings every connection needs.
#include <QString>

struct sqlite3;

namespace merivex::engine
{

struct OpenOptions {
    bool exclusive = true;
    bool readOnly = false;
    bool allowEmptyFile = false; // only for a file that is being created
};

// The password of a connect string such as ";PWD=vexo" (keys are
// case-insensitive); empty when there is none.
QString passwordOf(const QString &connect);

// A keyed, checked connection; the caller owns it (sqlite3_close_v2).
sqlite3 *openConnection(const QString &path, const QString &password, const OpenOptions &options);

} // namespace merivex::engine
