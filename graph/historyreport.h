#pragma once
// The report for a doctor: the patient, the period, every measurement with
// its BMI and WHO class (BMI-for-age for children), the trend chart and the change from the first
// to the last measurement, on A4 pages. The advice of the day is the
// program's own wording, not a clinical class, and is not in it.
#include "db/bmi_for_age.h"
#include "db/dao.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

class QPagedPaintDevice;

struct ReportMeasurement {
    QString stored; // the date as stored
    QDate date;     // invalid when the stored text is no date
    QString height, weight;
    std::optional<double> bmi;
};

struct HistoryReport {
    QString name, sex, birthDateText;
    QDate birthDate, today;
    QDate from, to;                // the period asked for; invalid for no bound
    QList<ReportMeasurement> rows; // in the history's date order
    // Where the trend of all the measurements stands and heads, also when
    // the period shows only some of them; empty without a trend.
    QString trendSentence;
};

// Patient id's data, rows outside [from, to] left out (a row whose date does
// not read is kept only when there are no bounds). Error 3265 when there is
// no such patient.
HistoryReport readHistoryReport(merivex::Database &db, qint16 patient, const QDate &from,
                                const QDate &to);

// The WHO class of a BMI measured at a date: from the 20th birthday the
// adult class of the BMI as printed (the text to one decimal); from 2 to 19
// years WHO's BMI-for-age class with its z-score; else why there is none.
QString bmiClass(double bmi, const QDate &birth, const QDate &at, merivex::who::Sex sex);

// Paints the report onto the device, which is set to A4 here; returns the
// number of pages.
int paintHistoryReport(const HistoryReport &report, QPagedPaintDevice &device);
