// merivex-db create: a new, empty, private patient file.
#include "db/database_file.h"
#include "cli/commands.h"

namespace merivex::tool
{

int create(const QString &path)
{
    return run(QStringLiteral("%1 not created").arg(native(path)), [&] {
        createPatientDatabase(path);
        print(QStringLiteral("Created %1: empty tables Biodata and BMIHistory, encrypted, mode "
                             "0600.")
                  .arg(native(path)));
        return int(Success);
    });
}

} // namespace merivex::tool
