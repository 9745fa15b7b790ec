// Times the patient list's load with the largest possible table, against
// the naive port (an item per cell), and one registration next to the id
// limit, each from a fresh copy of the file.
#include "app/application.h"
#include "app/module1.h"
#include "classic/flexgrid.h"
#include "classic/forms.h"
#include "controls.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/display_text.h"
#include "db/int16.h"
#include "db/patient_list.h"
#include "db/statements.h"
#include "patientfile.h"
#include "patients/frmNew.h"
#include "patients/frmOpen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

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

double median(QList<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// A target of 0 marks a part of a measurement, shown for where the time goes;
// scale, when given, is the naive port's median it is compared with.
void report(const char *what, QList<double> ms, double target = 0, double scale = 0)
{
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("%-44s median %7.2f ms  min %7.2f  max %7.2f", what, median, ms.front(), ms.back());
    if (scale > 0)
        std::printf("  x naive %6.2f", scale / median);
    if (target > 0)
        std::printf("  (target <= %.1f ms) %s", target, median <= target ? "ok" : "OVER");
    std::printf("\n");
}

// The list: loading the window (open, query, fill) until the grid has taken
// the first rows and laid itself out, ready to paint its first frame.
double listLoad(const QString &templatePath)
{
    freshCopy(templatePath);
    QElapsedTimer t;
    t.start();
    Forms::get<frmOpen>().Show();
    FlexGrid *grid = control<FlexGrid>(Forms::get<frmOpen>(), "MSFlexGrid1");
    QCoreApplication::processEvents();
    const double ms = t.nsecsElapsed() / 1e6;
    if (grid->Rows() < 40 || grid->TextMatrix(1, 0) != QLatin1String("1"))
        qFatal("patient list not shown: %d rows", grid->Rows());
    return ms;
}

// Then every part the view asks for until the last patient, as scrolling to
// the end does.
double listToTheEnd(const QString &templatePath)
{
    freshCopy(templatePath);
    Forms::get<frmOpen>().Show();
    FlexGrid *grid = control<FlexGrid>(Forms::get<frmOpen>(), "MSFlexGrid1");
    QCoreApplication::processEvents();
    QElapsedTimer t;
    t.start();
    while (grid->model()->canFetchMore({}))
        grid->model()->fetchMore({});
    QCoreApplication::processEvents();
    const double ms = t.nsecsElapsed() / 1e6;
    if (grid->Rows() != 32767 + 2 || grid->TextMatrix(32767, 0) != QLatin1String("32767"))
        qFatal("patient list incomplete: %d rows", grid->Rows());
    return ms;
}

// The straightforward port, for scale: the file opened, the list statement
// shown in a QTableWidget with an item per cell.
double naiveList(const QString &templatePath, QTableWidget &table)
{
    freshCopy(templatePath);
    QElapsedTimer t;
    t.start();
    Module1::PatientDatabase = merivex::openPatientDatabase();
    auto rs = Module1::PatientDatabase->OpenRecordset(
        merivex::Sql::patientList(), merivex::dbOpenSnapshot, merivex::dbSQLPassThrough);
    table.clear();
    table.setColumnCount(3);
    table.setRowCount(1);
    qint16 n = 0;
    for (; !rs->AtEOF(); rs->MoveNext()) {
        n = merivex::addInt16(n, 1);
        table.setItem(n - 1, 0, new QTableWidgetItem(QString::number(n)));
        for (int i = 0; i < 2; ++i) // name and registration date
            table.setItem(n - 1, i + 1,
                          new QTableWidgetItem(merivex::displayText(rs->Fields(i).Value())));
        table.setRowCount(n + 1);
    }
    rs->Close();
    QCoreApplication::processEvents();
    return t.nsecsElapsed() / 1e6;
}

// One registration: from the click on Enter until the window has gone.
double registration(const QString &templatePath)
{
    freshCopy(templatePath);
    frmNew &form = Forms::get<frmNew>();
    form.Show();
    control<QLineEdit>(form, "txtNama")->setText(QStringLiteral("Benchmark"));
    QTest::mouseClick(control<QRadioButton>(form, "OptMale"), Qt::LeftButton);
    control<QLineEdit>(form, "txtTL")->setText(QStringLiteral("5/1/1970"));
    QElapsedTimer t;
    t.start();
    QTest::mouseClick(control<QPushButton>(form, "cmdEnter"), Qt::LeftButton);
    const double ms = t.nsecsElapsed() / 1e6;
    if (form.IsLoaded() || Module1::CurrentPatientId != QLatin1String("32767"))
        qFatal("registration failed");
    return ms;
}

// The parts of the load that lie outside the window: opening the file, and
// reading the whole list at once (which decrypts every page of the table),
// for scale.
double openOnly(const QString &templatePath)
{
    freshCopy(templatePath);
    QElapsedTimer t;
    t.start();
    Module1::PatientDatabase = merivex::openPatientDatabase();
    return t.nsecsElapsed() / 1e6;
}

double listReadOnly(const QString &templatePath)
{
    freshCopy(templatePath);
    Module1::PatientDatabase = merivex::openPatientDatabase();
    QElapsedTimer t;
    t.start();
    const std::vector<merivex::PatientListRow> rows =
        merivex::readPatientList(*merivex::openPatientList(*Module1::PatientDatabase, 0, 32767));
    const double ms = t.nsecsElapsed() / 1e6;
    if (rows.size() != 32767)
        qFatal("patient list incomplete: %zu rows", rows.size());
    return ms;
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
    QList<double> naive;
    {
        QTableWidget table;
        table.resize(600, 400);
        table.show();
        naive = repeat([&] { return naiveList(full, table); });
    }
    const QList<double> list = repeat([&] { return listLoad(full); });
    const QList<double> reg = repeat([&] { return registration(nearlyFull); });
    report("naive list port (item per cell), 32767", naive, 0, median(naive));
    report("patient list first frame, 32767 patients", list, 16.7, median(naive));
    report("  then scrolled to the end, every part", repeat([&] { return listToTheEnd(full); }));
    report("  of which opening the file", repeat([&] { return openOnly(full); }));
    report("  reading the whole list at once", repeat([&] { return listReadOnly(full); }));
    report("registration at 32766 patients", reg, 30);

    Module1::Reset();
    QFile::remove(merivex::databasePath());
    QFile::remove(full);
    QFile::remove(nearlyFull);
    return 0;
}
