#include "testapp.h"

#include "app/application.h"
#include "app/module1.h"
#include "db/backups.h"
#include "db/database_file.h"
#include "db/today.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>

namespace testapp
{

QString databaseFile()
{
    return merivex::databasePath();
}

FreshDatabase::FreshDatabase()
{
    const QString file = databaseFile();
    if (QFile::exists(file) && !QFile::remove(file))
        qFatal("cannot remove the old test database %s", qPrintable(file));
    QDir(merivex::backupFolder(file)).removeRecursively();
    merivex::createPatientDatabase(file);
}

FreshDatabase::~FreshDatabase()
{
    QFile::remove(databaseFile());
    // The copies made before its first save of the day or a deletion.
    QDir(merivex::backupFolder(databaseFile())).removeRecursively();
}

Session::Session() : m_ends(std::make_shared<int>(0))
{
    Module1::Reset();
    Module1::setEndHandler([ends = m_ends] { ++*ends; });
    Module1::Main();
}

Session::~Session()
{
    Module1::Reset();
    Module1::setEndHandler({});
    // The windows unloaded are deleted later; not in the next test.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Surroundings::Surroundings(bool withFile, std::optional<QDate> today)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    if (today)
        Today::setSource([day = *today] { return day; });
    if (withFile) {
        m_file.emplace();
        m_session.emplace();
    }
}

Surroundings::~Surroundings()
{
    m_session.reset();
    m_file.reset();
    Today::setSource({});
    QLocale::setDefault(QLocale::c());
}

void openPatientDatabase()
{
    Module1::PatientDatabase = merivex::openPatientDatabase();
}

int run(QObject &test, int argc, char **argv)
{
    QApplication app(argc, argv);
    InitApplication();
    return QTest::qExec(&test, argc, argv);
}

} // namespace testapp
