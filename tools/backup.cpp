// merivex-db backup: an encrypted copy of the patient file, whole or not at all.
#include "db/dao.h"
#include "db/database_file.h"
#include "db/engine_sql.h"
#include "db/files.h"
#include "db/statements.h"
#include "tools/commands.h"
#include "tools/maintenance_sql.h"

#include <QDir>
#include <QFileInfo>

namespace merivex::tool
{

namespace sql = Sql::maintenance;

void backupPatientDatabase(const QString &path, const QString &dest)
{
    refuseExisting(dest);
    const PrivateFolder work;
    const QString copy = work.write(QStringLiteral("backup.mdb"), {});
    Snapshot(path).use([&](const QString &snapshot) {
        // The engine's online backup would write the pages decrypted;
        // exporting into an attached file keyed with the same password keeps
        // them encrypted, under a salt of the copy's own, so a log of the
        // original never reads as the copy's.
        const auto db = inspectPatientDatabase(snapshot);
        {
            Statement attach = db->prepare(sql::attachCopy);
            attach.bind(1, copy);
            attach.bind(2, engine::passwordOf(connectString()));
            attach.step();
        }
        db->execute(Sql::engine::cipherCompatibility(sql::copySchema));
        try {
            db->execute(sql::exportToCopy);
        } catch (...) {
            db->execute(sql::detachCopy);
            throw;
        }
        db->execute(sql::detachCopy);
    });
    // Only a copy that opens with the password and reads both tables is kept.
    naming(copy, dest, [&] {
        const auto check = DBEngine::instance().OpenDatabase(copy, true, true, connectString());
        check->OpenRecordset(Sql::patientTable(), dbOpenSnapshot, dbSQLPassThrough);
        check->OpenRecordset(Sql::measurementTable(), dbOpenSnapshot, dbSQLPassThrough);
    });
    NewFile file(dest);
    file.write(readFile(copy));
    file.linkAs(dest);
}

int backup(const QString &path, const QString &dest)
{
    // A folder receives the application's file name.
    const QString target =
        QFileInfo(dest).isDir() ? QDir(dest).filePath(QStringLiteral("Merivex.mdb")) : dest;
    return run(QStringLiteral("%1 not backed up").arg(native(path)), [&] {
        backupPatientDatabase(path, target);
        print(QStringLiteral("Backed up %1 to %2, encrypted with the same password, mode 0600.")
                  .arg(native(path), native(target)));
        return int(Success);
    });
}

} // namespace merivex::tool
