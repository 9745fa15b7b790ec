// The history search of a patient with the most measurements the file can
// hold (32,767): from the query to a grid ready to paint, one resize of the
// maximized window (with the file unchanged, so not read again, and after a
// change), and the naive port they are measured against: today's statement
// shown in a QTableWidget with an item per cell. Two files: one patient with
// a measurement a day, and 32,767 patients with the dates of the one
// patient's measurements scattered across the century.
#include "app/application.h"
#include "app/frmMain.h"
#include "app/module1.h"
#include "bmi/frmBmi.h"
#include "classic/flexgrid.h"
#include "classic/forms.h"
#include "controls.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/date_format.h"
#include "db/display_text.h"
#include "db/history.h"
#include "db/int16.h"
#include "db/statements.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QRandomGenerator>
#include <QTableWidget>

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

// Each run timed after an untimed before().
Timing measureAfter(const std::function<void()> &before, const std::function<void()> &run)
{
    std::vector<double> ms;
    for (int i = 0; i < Runs; ++i) {
        before();
        QElapsedTimer timer;
        timer.start();
        run();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

Timing measure(const std::function<void()> &run)
{
    return measureAfter([] {}, run);
}

struct File {
    const char *name;
    int patients;
    bool scattered;
};

void fill(merivex::Database &db, const File &file)
{
    db.BeginTrans();
    auto patients = db.OpenRecordset(merivex::Sql::patientTable(), merivex::dbOpenDynaset);
    for (int id = 1; id <= file.patients; ++id) {
        patients->AddNew();
        patients->Fields("IdPatient").setValue(id);
        patients->Fields("Name").setValue(QStringLiteral("Bench %1").arg(id));
        patients->Fields("Sex").setValue("Male");
        patients->Fields("DateRegister").setValue("01/01/2024");
        patients->Fields("BirthDate").setValue("01/01/1970");
        patients->Update();
    }
    patients->Close();
    auto rows = db.OpenRecordset(merivex::Sql::measurementTable(), merivex::dbOpenDynaset);
    const QDate first(1990, 1, 1);
    QRandomGenerator random(1);
    for (int i = 1; i <= Measurements; ++i) {
        const QDate date =
            file.scattered ? QDate(1930, 1, 1).addDays(random.bounded(36500)) : first.addDays(i);
        rows->AddNew();
        rows->Fields("IdBMI").setValue(i);
        rows->Fields("IdPt").setValue("1");
        rows->Fields("Date").setValue(merivex::formatDate(date, "dd/mm/yy"));
        rows->Fields("Height").setValue(QString::number(1.5 + (i % 50) / 100.0));
        rows->Fields("Weight").setValue(QString::number(50 + i % 40));
        rows->Update();
    }
    rows->Close();
    db.CommitTrans();
}

// The straightforward port: today's statement, a QTableWidgetItem per cell.
void naiveGrid(QTableWidget &table)
{
    auto rs = Module1::PatientDatabase->OpenRecordset(
        merivex::Sql::patientHistory(Module1::CurrentPatientId), merivex::dbOpenSnapshot,
        merivex::dbSQLPassThrough);
    table.clear();
    table.setColumnCount(5);
    table.setRowCount(1);
    qint16 n = 0;
    for (; !rs->AtEOF(); rs->MoveNext()) {
        n = merivex::addInt16(n, 1);
        table.setItem(n - 1, 0, new QTableWidgetItem(QString::number(n)));
        for (int i = 0; i <= merivex::Sql::HistoryColumn::Bmi; ++i)
            table.setItem(n - 1, i + 1,
                          new QTableWidgetItem(merivex::displayText(rs->Fields(i).Value())));
        table.setRowCount(n + 1);
    }
    rs->Close();
}

bool run(const File &file)
{
    const QString path = merivex::databasePath();
    QFile::remove(path);
    merivex::createPatientDatabase(path);
    Module1::Main();
    Module1::PatientDatabase = merivex::openPatientDatabase();
    fill(*Module1::PatientDatabase, file);
    Module1::CurrentPatientId = "1";
    Module1::CurrentUserName = "Bench";

    frmBmi &bmi = Forms::get<frmBmi>();
    bmi.Show();
    QCoreApplication::processEvents();
    FlexGrid &grid = *control<FlexGrid>(bmi, "MSFlexGrid1");
    if (grid.Rows() != Measurements + 2) {
        std::fprintf(stderr, "grid has %d rows, expected %d\n", grid.Rows(), Measurements + 2);
        return false;
    }

    QTableWidget table;
    table.resize(grid.size());
    table.show();
    const Timing naive = measure([&] {
        naiveGrid(table);
        QCoreApplication::processEvents();
    });
    table.hide();
    // Each read replaces the last one's rows, as the window's does: rows
    // freed before the next read would hand their memory back to the system,
    // and every read would then pay the page faults of taking it again.
    std::vector<merivex::HistoryRow> rows;
    const Timing read =
        measure([&] { rows = merivex::readPatientHistory(*Module1::PatientDatabase, 1).rows; });
    // A row stored and removed again, untimed: the search must read the file.
    const auto change = [] {
        Module1::PatientDatabase->execute(
            QStringLiteral("UPDATE Biodata SET Name = Name WHERE IdPatient = 1"));
    };
    const auto searchOnce = [&] {
        bmi.search();
        grid.Refresh();
    };
    const Timing search = measureAfter(change, searchOnce);
    const Timing again = measure(searchOnce);
    QMainWindow *main = Forms::get<frmMain>().mainWindow();
    int step = 0;
    const auto resizeOnce = [&] {
        // The main window changes size; the maximized BMI window follows.
        const int delta = (step++ % 2) ? -8 : 8;
        main->resize(main->width() + delta, main->height());
        QCoreApplication::processEvents();
    };
    const Timing resize = measure(resizeOnce);
    const Timing resizeChanged = measureAfter(change, resizeOnce);

    std::printf("%s\n", file.name);
    std::printf("%-44s %10s %10s %10s\n", "measurement (32767 rows)", "median ms", "best ms",
                "x naive");
    const auto line = [&](const char *name, const Timing &t, double target = 0) {
        std::printf("%-44s %10.2f %10.2f %10.2f", name, t.median, t.best, naive.median / t.median);
        if (target > 0)
            std::printf("  (target <= %.0f ms) %s", target, t.median <= target ? "ok" : "OVER");
        std::printf("\n");
    };
    line("naive grid port (item per cell)", naive);
    line("search to a grid ready to paint", search, 16);
    line("  of which the rows read and ordered", read);
    line("search again, the file unchanged", again);
    line("Form_Resize of the maximized window", resize, 16);
    line("Form_Resize after a change to the file", resizeChanged);
    std::printf("grid rows %d; search >= 6x the naive port: %s\n\n", grid.Rows(),
                naive.median / search.median >= 6 ? "ok" : "NO");

    Module1::Reset();
    QFile::remove(path);
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    InitApplication();
    for (const File &file : {File{"one patient, a measurement a day", 1, false},
                             File{"32767 patients, scattered dates", Measurements, true}}) {
        if (!run(file))
            return 1;
    }
    return 0;
}
