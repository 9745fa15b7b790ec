#pragma once
// Direct access to the Biodata rows of the patient file, to seed them and to
// see what a window stored.
#include <QList>
#include <QString>
#include <QVariant>

struct PatientRow {
    QVariant id, name, sex, dateRegister, birthDate;
};

namespace PatientFile
{

// Appends rows on a connection of its own, released before returning.
void append(const QList<PatientRow> &rows);
// n patients named "Patient <id>", ids 1..n, in one transaction.
void appendMany(int n);

QList<PatientRow> rows();

} // namespace PatientFile
