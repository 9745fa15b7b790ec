// merivex-db backup: an encrypted copy of the patient file, whole or not at
// all; merivex-db backups: the automatic copies kept beside it.
#include "db/backups.h"
#include "cli/commands.h"

#include <QDir>
#include <QFileInfo>

namespace merivex::tool
{

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

int listBackups(const QString &path)
{
    return run(QStringLiteral("backups of %1 not listed").arg(native(path)), [&] {
        const QList<AutomaticBackup> backups = automaticBackups(path);
        const QString folder = native(backupFolder(path));
        if (backups.isEmpty()) {
            print(QStringLiteral("No automatic backups of %1 in %2.").arg(native(path), folder));
            return int(Success);
        }
        print(QStringLiteral("Automatic backups of %1 in %2, newest first:")
                  .arg(native(path), folder));
        for (const AutomaticBackup &backup : backups)
            print(QStringLiteral("  %1  %2  before %3, %4 bytes")
                      .arg(shown(backup.name),
                           backup.made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                           backup.change)
                      .arg(backup.size));
        print(QStringLiteral("To put one back: merivex-db restore NAME %1").arg(native(path)));
        return int(Success);
    });
}

} // namespace merivex::tool
