#pragma once
// WHO BMI-for-age for children and teenagers, computed as WHO's own software
// computes it: from 2 to 5 years the Child Growth Standards (2006) by age in
// whole days, from 5 to 19 years the 2007 growth reference with L, M and S
// interpolated between whole months (age in months = days / 30.4375), and
// beyond +-3 SD WHO's adjusted z-score, which measures on in the width of the
// outermost SD band. Both the report and the export use it, so it lives in
// the engine layer.
#include <QDate>
#include <QString>

#include <optional>

namespace merivex::who
{

enum class Sex { Unknown, Male, Female };

// The stored Biodata.Sex text ("Male", "Female"); anything else is unknown.
Sex sexOf(const QString &stored);

enum class Reference {
    Unknown,   // no birth date, or measured before it
    UnderTwo,  // below 24 months: BMI-for-age is not used
    Standards, // WHO Child Growth Standards 2006 (24 to under 60 months)
    Growth,    // WHO 2007 growth reference (60 to 228 months)
    Nineteen,  // past 228 months, before the 20th birthday: no WHO table
    Adult      // from the 20th birthday on: the adult classes
};

Reference referenceAt(const QDate &birth, const QDate &at);

// WHO's z-score of a BMI at an age in whole days, rounded to 0.01 as WHO's
// software rounds it; none outside 24 to 228 months or for an unknown sex or
// a BMI that is not above zero.
std::optional<double> bmiForAgeZ(Sex sex, qint64 ageInDays, double bmi);

struct ChildClass {
    Reference reference = Reference::Unknown;
    std::optional<double> z;
    QString text; // "normal (z +0.94)", or why there is no class
};

// The class of a child's BMI: for Standards and Growth the WHO class with the
// z-score; under 2 and at 19 a sentence saying why there is none. Adult and
// Unknown are left to the caller (text empty).
ChildClass childClass(Sex sex, const QDate &birth, const QDate &at, double bmi);

// "+0.94", "-3.12", "+0.00".
QString zText(double z);

// The name of a reference as the report prints it.
QString referenceName(Reference reference);

} // namespace merivex::who
