#pragma once
// The subcommands of merivex-db. Each takes its arguments after the
// subcommand's name and returns the program's exit status.
#include <QStringList>

namespace merivex::tool
{

// Exit statuses, listed in the usage text.
enum Exit : int {
    Success = 0,
    Failed = 1,    // the command failed, or check found problems
    Usage = 2,     // the arguments were wrong
    FileInUse = 3, // the application (or another program) holds the file
};

QString usage();

int create(const QStringList &args);
int check(const QStringList &args);
int exportCsv(const QStringList &args);
int backup(const QStringList &args);
int restore(const QStringList &args);

} // namespace merivex::tool
