#pragma once
// Point labels from stored measurement dates: the stored "dd/mm/yy" text read
// back by the one reader of stored dates (never by the locale's order) and
// written "dd/mm". A null or unreadable date gives an empty label.
#include <QChar>
#include <QString>
#include <QVariant>

class DateLabels
{
public:
    DateLabels();
    QString label(const QVariant &storedDate) const;

private:
    // Looked up once for all the points of a graph.
    QChar m_separator;
    int m_thisYear;
};
