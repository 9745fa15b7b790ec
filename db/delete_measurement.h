#pragma once
// Removing one wrong measurement: the BMI window's history and the tool
// share it.
#include "db/dao.h"

#include <QVariant>

#include <optional>

namespace merivex
{

// The row as it was stored.
struct RemovedMeasurement {
    qint16 id = 0;
    QVariant patient, name; // name is null when no patient has that id
    QVariant date, height, weight;
};

// Deletes the BMIHistory row whose IdBMI is id, reading it first, in one
// transaction; nothing when there is no such row. The next save still takes
// the last row's IdBMI + 1, so deleting the last row frees its id again.
std::optional<RemovedMeasurement> deleteMeasurement(Database &db, qint16 id);

} // namespace merivex
