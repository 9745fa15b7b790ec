#include "db/values.h"

#include "db/display_text.h"
#include "db/int16.h"
#include "db/number_text.h"

namespace merivex
{

Affinity affinityOf(const QString &declaredType)
{
    const QString t = declaredType.toUpper();
    if (t.contains(QLatin1String("INT")))
        return Affinity::Int16;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) ||
        t.contains(QLatin1String("TEXT")))
        return Affinity::Text;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) ||
        t.contains(QLatin1String("DOUB")))
        return Affinity::Real;
    return Affinity::Any;
}

QVariant toColumn(const QVariant &v, Affinity a)
{
    if (v.isNull())
        return {};
    switch (a) {
    case Affinity::Int16:
        return QVariant(qint64(toInt16(v)));
    case Affinity::Real:
        return QVariant(numberOf(v));
    case Affinity::Text:
        return v.typeId() == QMetaType::QString ? v : QVariant(displayText(v));
    case Affinity::Any:
        break;
    }
    if (v.typeId() == QMetaType::QString)
        return v;
    if (isInteger(v))
        return QVariant(v.toLongLong());
    return QVariant(numberOf(v));
}

} // namespace merivex
