#pragma once
// Point labels from stored measurement dates: the stored "dd/mm/yy" text read
// back by that pattern (never by the locale's order) and written "dd/mm". A
// null or unreadable date gives an empty label.
//
// A graph reads up to 32,767 dates at once, so the common case, text exactly
// as formatDate writes it, is read here directly; only the two-digit year
// goes through readStoredDate, once per distinct year. Any other text is read by
// readStoredDate itself.
#include <QChar>
#include <QHash>
#include <QString>
#include <QVariant>

class DateLabels
{
public:
    DateLabels();
    QString label(const QVariant &storedDate);

private:
    int fullYear(int twoDigits);

    QChar m_separator;
    QHash<int, int> m_years; // two-digit year -> year, 0 when unreadable
};
