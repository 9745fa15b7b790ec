// merivex-db delete-measurement: one wrong measurement removed, and shown as
// the export would have shown it, so the user sees which row went.
#include "db/backups.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/delete_measurement.h"
#include "cli/commands.h"

namespace merivex::tool
{

int deleteMeasurement(const QString &idText, const QString &path)
{
    bool ok = false;
    const qint16 id = idText.toShort(&ok);
    if (!ok)
        return usageError(QStringLiteral("delete-measurement takes ID, a measurement's IdBMI "
                                         "(the first column of the export's history.csv)."));
    return run(QStringLiteral("IdBMI %1 not deleted").arg(id), [&] {
        const auto db = DBEngine::instance().OpenDatabase(path, true, false, connectString());
        const QString backup = backUpBefore(path, QStringLiteral("delete"));
        const std::optional<RemovedMeasurement> removed = merivex::deleteMeasurement(*db, id);
        if (!removed)
            throw Error(ErrorNumber::ItemNotFound,
                        QStringLiteral("There is no measurement with IdBMI %1 in %2.")
                            .arg(id)
                            .arg(native(path)));
        const QString stored = exportText(removed->date);
        const QString date = isoDate(stored);
        const QString name = removed->name.isNull() ? QStringLiteral("no such patient")
                                                    : shown(exportText(removed->name));
        print(QStringLiteral("Deleted IdBMI %1 from %2:").arg(id).arg(native(path)));
        print(QStringLiteral("  patient %1 (%2), date %3, height %4, weight %5, BMI %6")
                  .arg(shown(exportText(removed->patient)), name,
                       date.isEmpty() ? shown(stored)
                                      : QStringLiteral("%1 (stored %2)").arg(date, shown(stored)),
                       shown(exportText(removed->height)), shown(exportText(removed->weight)),
                       bmiText(removed->height, removed->weight)));
        print(QStringLiteral("Backed up first as %1.").arg(native(backup)));
        return int(Success);
    });
}

} // namespace merivex::tool
