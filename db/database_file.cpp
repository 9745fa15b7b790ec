#include "db/database_file.h"

#include "db/engine_sql.h"

#include <QCoreApplication>
#include <QDir>

namespace merivex
{

QString databasePath()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator() +
           QStringLiteral("Merivex.mdb");
}

QString connectString()
{
    return QStringLiteral(";PWD=vexo");
}

std::shared_ptr<Database> openPatientDatabase()
{
    return DBEngine::instance().OpenDatabase(databasePath(), true, false, connectString());
}

void createPatientDatabase(const QString &path, const QString &connect)
{
    DBEngine::instance().CreateDatabase(path, connect, Sql::engine::schema);
}

} // namespace merivex
