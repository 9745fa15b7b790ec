#pragma once
// Every statement the windows send, spelt exactly as they send it.
#include <QString>

namespace merivex::Sql
{

QString A(); // registration: "Select * from Biodata", opened as type 2
QString B(); // patient list: name, registration date, id, in id order
QString C(); // measurement save: "Select * from BMIHistory", opened as type 2

// History (date, height, weight, BMI) and trend (date, BMI) of patient id.
// The id is spliced into the text, so it is checked first: Error 13 when it
// is empty or not a whole number, Error 6 when it is outside the 16-bit range.
QString D(const QString &id);
QString E(const QString &id);

} // namespace merivex::Sql
