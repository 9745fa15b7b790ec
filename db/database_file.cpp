#include "db/database_file.h"

#include "db/connection.h"
#include "db/engine_sql.h"
#include "db/failures.h"
#include "db/sqlite.h"
#include "db/tokens.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

void createPatientDatabase(const QString &path)
{
    // NewOnly refuses an existing file atomically; no connection to the new
    // file exists yet, so closing our descriptor cannot drop anyone's lock.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (QFileInfo::exists(path))
            fail::databaseExists(path);
        fail::diskIo(QStringLiteral("Could not create '%1': %2.").arg(path, file.errorString()));
    }
    file.close();

    try {
        engine::OpenOptions options;
        options.allowEmptyFile = true;
        auto db = std::make_shared<Database>(
            Database::Token{},
            engine::openConnection(path, engine::passwordOf(connectString()), options));
        db->BeginTrans();
        for (const QString &sql : Sql::engine::schema())
            engine::execute(db->nativeHandle(), sql);
        db->CommitTrans();
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

} // namespace merivex
