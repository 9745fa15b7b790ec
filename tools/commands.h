#pragma once
// The subcommands of merivex-db. Each takes its arguments after the
// subcommand's name and returns the program's exit status.
#include <QStringList>

#include <cstdio>
#include <functional>

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
int importHistory(const QStringList &args); // tools/import.cpp
// Needs no application object: it makes the one drawing needs.
int report(int argc, char *argv[]); // tools/report_command.cpp

// Shared by the commands: one line to a stream, a path as the system
// writes it, a wrong argument, and a command run on the file at path whose
// Error is reported as what it is.
void print(std::FILE *stream, const QString &text);
QString native(const QString &path);
int usageError(const QString &message);
int run(const QString &path, const QString &what, const std::function<int()> &command);

} // namespace merivex::tool
