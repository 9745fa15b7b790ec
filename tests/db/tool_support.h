#pragma once
// Running merivex-db as a separate process, and what tests compare files by.
#include <QString>
#include <QStringList>

namespace dbtest
{

struct Run {
    int exitCode = -1; // -1 when it crashed or did not finish
    QString out, err;
};

Run runTool(const QStringList &args, const QString &program = QStringLiteral(MERIVEX_DB_TOOL));

// SHA-256 of the file's bytes; empty when it cannot be read.
QByteArray hashOf(const QString &path);

} // namespace dbtest
