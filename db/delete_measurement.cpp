#include "db/delete_measurement.h"

#include "db/history_sql.h"

#include <QScopeGuard>

namespace merivex
{

std::optional<RemovedMeasurement> deleteMeasurement(Database &db, qint16 id)
{
    db.BeginTrans();
    // A failure rolls back, so a connection the window keeps is left
    // outside any transaction.
    auto rollback = qScopeGuard([&] {
        try {
            db.Rollback();
        } catch (const Error &) {
        }
    });
    std::optional<RemovedMeasurement> removed;
    {
        Statement row = db.prepare(Sql::history::measurement);
        row.bind(1, id);
        if (row.step())
            removed = RemovedMeasurement{
                id, row.column(0), row.column(1), row.column(2), row.column(3), row.column(4)};
    }
    if (removed) {
        Statement remove = db.prepare(Sql::history::deleteMeasurement);
        remove.bind(1, id);
        remove.step();
    }
    db.CommitTrans();
    rollback.dismiss();
    return removed;
}

} // namespace merivex
