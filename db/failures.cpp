#include "db/failures.h"

namespace merivex::fail
{

namespace N = ErrorNumber;

void overflow()
{
    throw Error(N::Overflow, QStringLiteral("Overflow"));
}
void typeMismatch()
{
    throw Error(N::TypeMismatch, QStringLiteral("Type mismatch"));
}
void invalidArgument()
{
    throw Error(N::InvalidArgument, QStringLiteral("Invalid argument."));
}
void noCurrentRecord()
{
    throw Error(N::NoCurrentRecord, QStringLiteral("No current record."));
}

void itemNotFound()
{
    throw Error(N::ItemNotFound, QStringLiteral("Item not found in this collection."));
}

void readOnly()
{
    throw Error(N::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
}

void updateWithoutAddNew()
{
    throw Error(N::UpdateWithoutAddNew,
                QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
}

void objectInvalid()
{
    throw Error(N::ObjectInvalid, QStringLiteral("Object invalid or no longer set."));
}

void charactersAfterEnd()
{
    throw Error(N::CharactersAfterEnd,
                QStringLiteral("Characters found after end of SQL statement."));
}

void fileNotFound(const QString &path)
{
    throw Error(N::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
}

void cannotOpen(const QString &path)
{
    throw Error(N::CannotOpen, QStringLiteral("Cannot open database '%1'. It may not be a "
                                              "database that your application recognizes, "
                                              "or the file may be corrupt.")
                                   .arg(path));
}

void invalidPassword()
{
    throw Error(N::InvalidPassword, QStringLiteral("Not a valid password."));
}

void fileInUse(const QString &path)
{
    throw Error(N::FileInUse, QStringLiteral("Could not use '%1'; file already in use.").arg(path));
}

void databaseExists(const QString &path)
{
    throw Error(N::DatabaseExists, QStringLiteral("Database '%1' already exists.").arg(path));
}

void diskIo(const QString &detail)
{
    QString text = QStringLiteral("Disk or network error.");
    if (!detail.isEmpty())
        text += QLatin1Char(' ') + detail;
    throw Error(N::DiskIoError, text);
}

} // namespace merivex::fail
