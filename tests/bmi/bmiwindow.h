#pragma once
// Driving the BMI window as a user would, on a fresh database.
#include "app/forms.h"
#include "bmi/frmBmi.h"
#include "db/dao.h"
#include "db/dates.h"
#include "db/statements.h"
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

// Registers a patient through the database layer and returns its id.
inline QString addPatient(const QString &name)
{
    auto rs = Module1::PatientDatabase->OpenRecordset(merivex::Sql::A(), merivex::dbOpenDynaset);
    const qint16 last = rs->RecordCount() == 0
                            ? 0
                            : (rs->MoveLast(), merivex::toInt16(rs->Fields("IdPatient").Value()));
    rs->AddNew();
    rs->Fields("IdPatient").setValue(last + 1);
    rs->Fields("Name").setValue(name);
    rs->Fields("Sex").setValue("Female");
    rs->Fields("DateRegister").setValue("01/01/2024");
    rs->Fields("BirthDate").setValue("05/01/1970");
    rs->Update();
    rs->Close();
    return QString::number(last + 1);
}

// Appends measurements; a null height is written as no value at all.
struct Measurement {
    QDate date;
    QVariant height;
    QVariant weight;
};

inline void addMeasurements(const QString &patient, const QList<Measurement> &rows)
{
    auto rs = Module1::PatientDatabase->OpenRecordset(merivex::Sql::C(), merivex::dbOpenDynaset);
    qint16 last = 0;
    if (rs->RecordCount() != 0) {
        rs->MoveLast();
        last = merivex::toInt16(rs->Fields("IdBMI").Value());
    }
    for (const Measurement &m : rows) {
        rs->AddNew();
        rs->Fields("IdBMI").setValue(++last);
        rs->Fields("IdPt").setValue(patient);
        rs->Fields("Date").setValue(merivex::formatDate(m.date, "dd/mm/yy"));
        rs->Fields("Height").setValue(m.height);
        rs->Fields("Weight").setValue(m.weight);
        rs->Update();
    }
    rs->Close();
}

inline void type(QLineEdit *box, const QString &text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

// Types height and weight and presses Calculate.
inline void calculate(const QString &height, const QString &weight)
{
    Ui::frmBmi &ui = window().ui();
    type(ui.txtHeight, height);
    type(ui.txtweight, weight);
    QTest::mouseClick(ui.cmdCalculate, Qt::LeftButton);
}

// A fresh file, Sub Main, the database opened as a patient window leaves it.
class Fixture
{
public:
    void start()
    {
        m_db.emplace();
        m_session.emplace();
        testapp::openPatientDatabase();
    }
    void stop()
    {
        m_session.reset();
        m_db.reset();
    }

private:
    std::optional<testapp::FreshDatabase> m_db;
    std::optional<testapp::Session> m_session;
};

} // namespace bmitest
