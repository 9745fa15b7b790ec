#include "db/date_collation.h"

#include "db/dates.h"
#include "db/sqlite.h"
#include "db/statement.h"

#include <cstdint>

namespace merivex::dates
{

namespace
{

int collate(void *context, int aSize, const void *a, int bSize, const void *b)
{
    const int thisYear = int(reinterpret_cast<std::intptr_t>(context));
    return compareDates(static_cast<const char *>(a), std::size_t(aSize),
                        static_cast<const char *>(b), std::size_t(bSize), thisYear);
}

} // namespace

void registerCollation(sqlite3 *db, int thisYear)
{
    void *context = reinterpret_cast<void *>(std::intptr_t(thisYear));
    const int rc =
        sqlite3_create_collation_v2(db, collationName, SQLITE_UTF8, context, collate, nullptr);
    if (rc != SQLITE_OK)
        raise(db, rc);
}

} // namespace merivex::dates
