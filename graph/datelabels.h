#pragma once
// Point labels from stored measurement dates: the stored "dd/mm/yy" text (as
// displayed) read back by the one reader of stored dates (never by the
// locale's order) and written "dd/mm". An empty or unreadable date gives an
// empty label.
#include <QChar>
#include <QString>

class DateLabels
{
public:
    DateLabels();
    QString label(const QString &storedDate) const;

private:
    // Looked up once for all the points of a graph.
    QChar m_separator;
    int m_thisYear;
};
