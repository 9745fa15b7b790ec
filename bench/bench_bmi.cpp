// The history search of a patient with the most measurements the file can
// hold (32,767): from the query to a grid ready to paint, one resize of the
// maximized window, and the bare query loop they are measured against.
#include "app/application.h"
#include "app/frmMain.h"
#include "app/module1.h"
#include "bmi/frmBmi.h"
#include "classic/forms.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/date_format.h"
#include "db/dates.h"
#include "db/display_text.h"
#include "db/int16.h"
#include "db/statements.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{
constexpr int Measurements = 32767;
constexpr int Runs = 15;

struct Timing {
    double median;
    double best;
};

Timing measure(const std::function<void()> &run)
{
    std::vector<double> ms;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

void fill(merivex::Database &db)
{
    db.BeginTrans();
    auto patients = db.OpenRecordset(merivex::Sql::patientTable(), merivex::dbOpenDynaset);
    patients->AddNew();
    patients->Fields("IdPatient").setValue(1);
    patients->Fields("Name").setValue("Bench");
    patients->Fields("Sex").setValue("Male");
    patients->Fields("DateRegister").setValue("01/01/2024");
    patients->Fields("BirthDate").setValue("01/01/1970");
    patients->Update();
    patients->Close();
    auto rows = db.OpenRecordset(merivex::Sql::measurementTable(), merivex::dbOpenDynaset);
    const QDate first(1990, 1, 1);
    for (int i = 1; i <= Measurements; ++i) {
        rows->AddNew();
        rows->Fields("IdBMI").setValue(i);
        rows->Fields("IdPt").setValue("1");
        rows->Fields("Date").setValue(merivex::formatDate(first.addDays(i), "dd/mm/yy"));
        rows->Fields("Height").setValue(QString::number(1.5 + (i % 50) / 100.0));
        rows->Fields("Weight").setValue(QString::number(50 + i % 40));
        rows->Update();
    }
    rows->Close();
    db.CommitTrans();
}

// What search does, without the grid.
void bareLoop()
{
    Module1::PatientRecordset = Module1::PatientDatabase->OpenRecordset(
        merivex::Sql::patientHistory(Module1::CurrentPatientId), merivex::dbOpenSnapshot,
        merivex::dbSQLPassThrough);
    merivex::Recordset &rs = *Module1::PatientRecordset;
    if (rs.RecordCount() == 0)
        return;
    rs.MoveFirst();
    qint16 n = 0;
    QString sink;
    while (!rs.AtEOF()) {
        n = merivex::addInt16(n, 1);
        sink = QString::number(n);
        for (int i = 0; i <= 3; ++i)
            sink = merivex::displayText(rs.Fields(i).Value());
        rs.MoveNext();
    }
    rs.Close();
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    InitApplication();
    const QString path = merivex::databasePath();
    QFile::remove(path);
    merivex::createPatientDatabase(path);
    Module1::Main();
    Module1::PatientDatabase = merivex::openPatientDatabase();
    fill(*Module1::PatientDatabase);
    Module1::CurrentPatientId = "1";
    Module1::CurrentUserName = "Bench";

    frmBmi &bmi = Forms::get<frmBmi>();
    bmi.Show();
    QCoreApplication::processEvents();
    FlexGrid &grid = *bmi.ui().MSFlexGrid1;
    if (grid.Rows() != Measurements + 2) {
        std::fprintf(stderr, "grid has %d rows, expected %d\n", grid.Rows(), Measurements + 2);
        return 1;
    }

    const Timing bare = measure(bareLoop);
    const Timing search = measure([&] {
        bmi.search();
        grid.Refresh();
    });
    QMainWindow *main = Forms::get<frmMain>().mainWindow();
    int step = 0;
    const Timing resize = measure([&] {
        // The main window changes size; the maximized BMI window follows.
        const int delta = (step++ % 2) ? -8 : 8;
        main->resize(main->width() + delta, main->height());
        QCoreApplication::processEvents();
    });

    std::printf("%-40s %10s %10s %10s\n", "measurement (32767 rows)", "median ms", "best ms",
                "x bare");
    const auto line = [&](const char *name, const Timing &t) {
        std::printf("%-40s %10.2f %10.2f %10.2f\n", name, t.median, t.best, t.median / bare.median);
    };
    line("bare query D loop", bare);
    line("search to a grid ready to paint", search);
    line("Form_Resize of the maximized window", resize);
    std::printf("grid rows %d, target <= 16 ms each and <= 2x bare\n", grid.Rows());

    Module1::Reset();
    QFile::remove(path);
    return 0;
}
