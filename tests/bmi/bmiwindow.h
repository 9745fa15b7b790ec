#pragma once
// Driving the BMI window as a user would, on a fresh database.
#include "app/module1.h"
#include "appdriver.h"
#include "bmi/frmBmi.h"
#include "classic/forms.h"
#include "db/date_format.h"
#include "db/dates.h"
#include "patientfile.h"
#include "testapp.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <optional>

namespace bmitest
{

inline frmBmi &window()
{
    return Forms::get<frmBmi>();
}

// Registers a patient the way registration does and returns its id.
inline QString addPatient(const QString &name)
{
    return QString::number(testfiles::appendPatient(*Module1::PatientDatabase, name));
}

// Registers a patient and makes it the current one; returns its id.
inline QString currentPatient(const QString &name)
{
    Module1::CurrentPatientId = addPatient(name);
    Module1::CurrentUserName = name;
    return Module1::CurrentPatientId;
}

// Appends measurements; a null height is written as no value at all.
struct Measurement {
    QDate date;
    QVariant height;
    QVariant weight;
};

inline void addMeasurements(const QString &patient, const QList<Measurement> &rows)
{
    for (const Measurement &m : rows)
        testfiles::appendMeasurement(*Module1::PatientDatabase, patient.toShort(),
                                     merivex::formatDate(m.date, "dd/mm/yy"), m.weight, m.height);
}

// Types height and weight and presses Calculate.
inline void calculate(const QString &height, const QString &weight)
{
    appdriver::typeMeasurement(height, weight);
    appdriver::clickCalculate();
}

// The shared surroundings with a fresh file, and the database opened as a
// patient window leaves it.
class Fixture
{
public:
    void start()
    {
        m_run.emplace(true);
        testapp::openPatientDatabase();
    }
    void stop() { m_run.reset(); }

private:
    std::optional<testapp::Surroundings> m_run;
};

} // namespace bmitest
