#include "db/errors.h"

namespace merivex
{

void fail(int number, const QString &detail)
{
    namespace N = ErrorNumber;
    QString text;
    switch (number) {
    case N::Overflow:
        text = QStringLiteral("Overflow");
        break;
    case N::TypeMismatch:
        text = QStringLiteral("Type mismatch");
        break;
    case N::InvalidArgument:
        text = QStringLiteral("Invalid argument.");
        break;
    case N::UpdateWithoutAddNew:
        text = QStringLiteral("Update or CancelUpdate without AddNew or Edit.");
        break;
    case N::NoCurrentRecord:
        text = QStringLiteral("No current record.");
        break;
    case N::DuplicateKey:
        text = QStringLiteral("The changes you requested to the table were not successful "
                              "because they would create duplicate values in the index, "
                              "primary key, or relationship.");
        break;
    case N::FileNotFound:
        text = QStringLiteral("Could not find file '%1'.").arg(detail);
        break;
    case N::DiskFull:
        text = QStringLiteral("Not enough space on disk.");
        break;
    case N::ReadOnly:
        text = QStringLiteral("Cannot update. Database or object is read-only.");
        break;
    case N::InvalidPassword:
        text = QStringLiteral("Not a valid password.");
        break;
    case N::DiskIoError:
        text = QStringLiteral("Disk or network error.");
        if (!detail.isEmpty())
            text += QLatin1Char(' ') + detail;
        break;
    case N::FileInUse:
        text = QStringLiteral("Could not use '%1'; file already in use.").arg(detail);
        break;
    case N::CannotOpen:
        text = QStringLiteral("Cannot open database '%1'. It may not be a database that your "
                              "application recognizes, or the file may be corrupt.")
                   .arg(detail);
        break;
    case N::CharactersAfterEnd:
        text = QStringLiteral("Characters found after end of SQL statement.");
        break;
    case N::DatabaseExists:
        text = QStringLiteral("Database '%1' already exists.").arg(detail);
        break;
    case N::ItemNotFound:
        text = QStringLiteral("Item not found in this collection.");
        break;
    case N::ObjectInvalid:
        text = QStringLiteral("Object invalid or no longer set.");
        break;
    default:
        text = detail;
    }
    throw Error(number, text);
}

} // namespace merivex
