#include "db/errors.h"

#include <QHash>

namespace merivex
{

void fail(int number, const QString &detail)
{
    namespace N = ErrorNumber;
    static const QHash<int, QString> descriptions = {
        {N::Overflow, "Overflow"},
        {N::TypeMismatch, "Type mismatch"},
        {N::InvalidArgument, "Invalid argument."},
        {N::UpdateWithoutAddNew, "Update or CancelUpdate without AddNew or Edit."},
        {N::NoCurrentRecord, "No current record."},
        {N::DuplicateKey, "The changes you requested to the table were not successful because "
                          "they would create duplicate values in the index, primary key, or "
                          "relationship."},
        {N::FileNotFound, "Could not find file '%1'."},
        {N::DiskFull, "Not enough space on disk."},
        {N::ReadOnly, "Cannot update. Database or object is read-only."},
        {N::InvalidPassword, "Not a valid password: wrong password or damaged file '%1'."},
        {N::DiskIoError, "Disk or network error."},
        {N::FileInUse, "Could not use '%1'; file already in use. Another Merivex window, or "
                       "merivex-db, holds it."},
        {N::CannotOpen, "Cannot open database '%1'. It may not be a database that your "
                        "application recognizes, or the file may be corrupt."},
        {N::FolderNotWritable, "You do not have permission to write in the folder '%1', which "
                               "holds the database and its log file."},
        {N::NoPermission, "You do not have permission to open '%1'."},
        {N::CharactersAfterEnd, "Characters found after end of SQL statement."},
        {N::DatabaseExists, "Database '%1' already exists."},
        {N::TooComplex, "Query is too complex: stopped after more work than any patient file "
                        "needs."},
        {N::ItemNotFound, "Item not found in this collection."},
        {N::ObjectInvalid, "Object invalid or no longer set."},
    };
    QString text = descriptions.value(number, detail);
    if (text.contains(QLatin1String("%1")))
        text = text.arg(detail);
    else if ((number == N::DiskIoError || number == N::DiskFull) && !detail.isEmpty())
        text += QLatin1Char(' ') + detail;
    throw Error(number, text);
}

} // namespace merivex
