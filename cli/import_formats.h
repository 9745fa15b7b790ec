#pragma once
// The history files of other weight trackers, and Merivex's own export,
// recognised by their first line and read into measurements. Reading a file
// never fails: a row that gives no measurement says why, and a file that
// reads as cut off says where.
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace merivex::import
{

// Why a row gives no measurement; the order is the order of the report.
enum class Skip {
    None,
    Unreadable,    // too few fields, or a date or number that does not read
    NoWeight,      // empty, zero or below
    NothingInKg,   // a weight that is 0 kg once converted and rounded to 10 g
    OtherPatient,  // a row of Merivex's export naming another IdPatient
    OutsideYears,  // a date that dd/mm/yy cannot hold
    AlreadyStored, // the same date and weight are stored for the patient
    Repeated       // the same date and weight as an earlier row of the file
};

struct Row {
    int line = 0; // where the row starts in the file, from 1
    Skip skip = Skip::None;
    QDate date;
    double weight = 0;            // in the file's unit
    std::optional<double> height; // metres, in formats that carry heights
    int patient = 0;              // Merivex's export: the row's IdPatient
};

struct History {
    QString format;         // which format was read; empty when none
    bool kilograms = false; // the format states its weights in kg
    bool heights = false;   // every row carries its height
    QString firstLine;      // for the message when no format matched
    bool entries = false;   // a row's line is its entry's number (a FHIR Bundle)
    QList<Row> rows;
    // Why the file reads as cut off (its last line without a line break, or
    // a quote never closed), naming the line; empty when it reads whole. A
    // cut number reads as a smaller one, so such a file is not imported.
    QString cut;
};

// Recognises the format by the header (the first line, or trale's first two)
// and reads every row after it; blank lines and trale's comments are no rows.
History readHistory(const QByteArray &data);

} // namespace merivex::import
