#pragma once
// The one rule for the files beside a database: the engine's log (-wal), its
// index (-shm) and its rollback journal (-journal), in the application and in
// every command of the tool. Whoever may write in the database's folder can
// put a link there, or a file of their own, a pipe or a device; opening it
// would hand over the owner, the mode or the bytes of what it points at, or
// read without end, or wait for ever. So such a file is opened without
// following a link and used only when it is a regular file that belongs to
// the user or to the owner of the database. The engine's own opens get the
// rule inside its file layer, where it applies to the very descriptor the
// engine then uses; the tool's own reads get it here.
#include <QByteArray>
#include <QString>

#include <optional>

namespace merivex::files
{

// Most bytes any file the tool reads whole can hold: far past a full
// patient file or any tracker's history, short of exhausting memory.
constexpr qint64 readLimit = qint64(1) << 30;

// Puts the rule into the engine's file layer; once per process, before the
// first file is opened. Every other file the engine opens must be a regular
// file (or the folder it syncs).
void guardEngineFiles();

// Raises the refusal the rule made on this thread since the last call, if
// any: a failed engine call reports it instead of its own code.
void raiseRefusal();

// Refuses, naming it, a companion of the database at path that is there and
// breaks the rule: before the engine meets it, with the plain message.
void checkCompanions(const QString &database);

// The bytes of the companion file at path; nothing when there is none.
std::optional<QByteArray> readCompanion(const QString &path);

// The bytes of a file the user names: a regular file, or a pipe where pipes
// is set, read up to readLimit. Error 3024 when it is missing.
QByteArray readUserFile(const QString &path, bool pipes = false);

// Error 3049 naming path unless it is a regular file (after links).
void checkRegularFile(const QString &path);

} // namespace merivex::files
