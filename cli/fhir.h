#pragma once
// FHIR R4 for the doctor's systems: one Bundle of type collection with the
// patient and, per measurement, body weight (LOINC 29463-7, kg), body height
// (8302-2, cm) and the BMI (39156-5, kg/m2, derived from the other two), and
// the reading of such Bundles, Merivex's own and other systems', for import.
#include "cli/import_formats.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace merivex
{
class Database;
}

namespace merivex::fhir
{

inline const QString loinc = QStringLiteral("http://loinc.org");
inline const QString ucum = QStringLiteral("http://unitsofmeasure.org");
inline const QString bodyWeight = QStringLiteral("29463-7");
inline const QString bodyHeight = QStringLiteral("8302-2");
inline const QString bodyMassIndex = QStringLiteral("39156-5");

struct Bundle {
    QByteArray json;
    int measurements = 0; // written, three Observations each
    int leftOut = 0;      // without a date, or without a height and weight above zero
};

// The patient's measurements dated within [from, to] (an invalid bound is
// none), in the history's date order. Every id is derived from what it
// identifies, so the same data give the same bytes. Error 3265 when there
// is no such patient.
Bundle exportBundle(Database &db, qint16 patient, const QDate &from, const QDate &to);

// The file looks like JSON (its first non-blank character is '{').
bool looksLikeJson(const QByteArray &data);

// The weights of a FHIR Bundle's Observations (LOINC 29463-7 in kg, g or
// [lb_av]), each with the height (8302-2 in cm, m or [in_i]) of the same
// day when there is one; a row's line is its entry's number in the Bundle.
// Weights in pounds are converted to kg and rounded to 10 g.
import::History readBundle(const QByteArray &data);

} // namespace merivex::fhir
