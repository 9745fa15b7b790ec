#pragma once
// The one rule for showing a stored value as text.
#include <QString>
#include <QVariant>

namespace merivex
{

// Display text of a value: "" when null, else its text without leading and
// trailing blanks; doubles with up to 15 significant digits and no trailing
// zeros ("22.4913494809689", "23", "22.5").
QString displayText(const QVariant &v);

} // namespace merivex
