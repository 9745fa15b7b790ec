// Times the patient list's load with the largest possible table and one
// registration next to the id limit, each from a fresh copy of the file.
#include "app/application.h"
#include "app/module1.h"
#include "classic/flexgrid.h"
#include "classic/forms.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/statements.h"
#include "patientfile.h"
#include "patients/frmNew.h"
#include "patients/frmOpen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace
{
constexpr int Runs = 7;

QString makeTemplate(int patients)
{
    const QString path = merivex::databasePath() + QStringLiteral(".%1").arg(patients);
    if (!QFile::exists(path)) {
        QFile::remove(merivex::databasePath());
        merivex::createPatientDatabase(merivex::databasePath());
        testfiles::addManyPatients(patients);
        QFile::rename(merivex::databasePath(), path);
    }
    return path;
}

void freshCopy(const QString &templatePath)
{
    Module1::Reset();
    QFile::remove(merivex::databasePath());
    QFile::copy(templatePath, merivex::databasePath());
    Module1::Main();
    QCoreApplication::processEvents();
}

// A target of 0 marks a part of a measurement, shown for where the time goes.
void report(const char *what, QList<double> ms, double target = 0)
{
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("%-44s median %7.2f ms  min %7.2f  max %7.2f", what, median, ms.front(), ms.back());
    if (target > 0)
        std::printf("  (target <= %.0f ms) %s", target, median <= target ? "ok" : "OVER");
    std::printf("\n");
}

// The list: loading the window (open, query, fill) until the grid has taken
// the rows and laid itself out, ready to paint.
double listLoad(const QString &templatePath)
{
    freshCopy(templatePath);
    QElapsedTimer t;
    t.start();
    Forms::get<frmOpen>().Show();
    FlexGrid *grid = Forms::get<frmOpen>().ui().MSFlexGrid1;
    QCoreApplication::processEvents();
    const double ms = t.nsecsElapsed() / 1e6;
    if (grid->Rows() != 32767 + 2 || grid->TextMatrix(32767, 0) != QLatin1String("32767"))
        qFatal("patient list incomplete: %d rows", grid->Rows());
    return ms;
}

// One registration: from the click on Enter until the window has gone.
double registration(const QString &templatePath)
{
    freshCopy(templatePath);
    frmNew &form = Forms::get<frmNew>();
    form.Show();
    form.ui().txtNama->setText(QStringLiteral("Benchmark"));
    QTest::mouseClick(form.ui().OptMale, Qt::LeftButton);
    form.ui().txtTL->setText(QStringLiteral("5/1/1970"));
    QElapsedTimer t;
    t.start();
    QTest::mouseClick(form.ui().cmdEnter, Qt::LeftButton);
    const double ms = t.nsecsElapsed() / 1e6;
    if (form.IsLoaded() || Module1::CurrentPatientId != QLatin1String("32767"))
        qFatal("registration failed");
    return ms;
}

// The parts of the load that lie outside the window: opening the file and
// reading the list query, each on its own.
double openOnly(const QString &templatePath)
{
    freshCopy(templatePath);
    QElapsedTimer t;
    t.start();
    Module1::PatientDatabase = merivex::openPatientDatabase();
    return t.nsecsElapsed() / 1e6;
}

double queryOnly(const QString &templatePath)
{
    freshCopy(templatePath);
    Module1::PatientDatabase = merivex::openPatientDatabase();
    QElapsedTimer t;
    t.start();
    Module1::PatientRecordset = Module1::PatientDatabase->OpenRecordset(
        merivex::Sql::patientList(), merivex::dbOpenSnapshot, merivex::dbSQLPassThrough);
    return t.nsecsElapsed() / 1e6;
}

QList<double> repeat(const std::function<double()> &run)
{
    QList<double> ms;
    for (int i = 0; i < Runs; ++i)
        ms.append(run());
    return ms;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitApplication();

    const QString full = makeTemplate(32767);
    const QString nearlyFull = makeTemplate(32766);
    const QList<double> list = repeat([&] { return listLoad(full); });
    const QList<double> reg = repeat([&] { return registration(nearlyFull); });
    report("patient list load, 32767 patients", list, 50);
    report("  of which opening the file", repeat([&] { return openOnly(full); }));
    report("  of which the list query", repeat([&] { return queryOnly(full); }));
    report("registration at 32766 patients", reg, 30);

    Module1::Reset();
    QFile::remove(merivex::databasePath());
    QFile::remove(full);
    QFile::remove(nearlyFull);
    return 0;
}
