#include "appdriver.h"
#include "controls.h"

#include "app/frmMain.h"
#include "bmi/frmBmi.h"
#include "classic/flexgrid.h"
#include "classic/forms.h"
#include "patients/frmNew.h"
#include "patients/frmOpen.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace appdriver
{

namespace
{
void trigger(const char *menuItem)
{
    control<QAction>(Forms::get<frmMain>(), menuItem)->trigger();
}
} // namespace

void menuNew()
{
    trigger("mnuBaru");
}
void menuOpen()
{
    trigger("mnuBuka");
}
void menuBmi()
{
    trigger("mnuBMI");
}
void menuGraph()
{
    trigger("mnuGraf");
}
void menuAbout()
{
    trigger("mnuAbout");
}

frmNew &registration()
{
    return Forms::get<frmNew>();
}
frmOpen &patientList()
{
    return Forms::get<frmOpen>();
}
frmBmi &bmiWindow()
{
    return Forms::get<frmBmi>();
}

void typeInto(QLineEdit *box, const QString &text)
{
    QTest::mouseClick(box, Qt::LeftButton);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    // Key by key up to a length a person types; longer texts arrive as one
    // paste, which is how they reach a box in practice (and keeps the
    // sanitizer build fast).
    if (text.size() > 200) {
        box->insert(text);
        return;
    }
    // Letters outside ASCII come as the text of a key press, as an input
    // method delivers them; a surrogate pair is one character.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
            QTest::keyClick(box, char(c.unicode()));
        } else {
            const qsizetype n = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
            i += n - 1;
        }
    }
}

void fillRegistration(const QString &name, bool male, const QString &birthDate)
{
    QVERIFY(registration().IsLoaded());
    typeInto(control<QLineEdit>(registration(), "txtNama"), name);
    QTest::mouseClick(control<QRadioButton>(registration(), male ? "OptMale" : "OptFemale"),
                      Qt::LeftButton);
    typeInto(control<QLineEdit>(registration(), "txtTL"), birthDate);
}

void clickEnter()
{
    QVERIFY(registration().IsLoaded());
    QTest::mouseClick(control<QPushButton>(registration(), "cmdEnter"), Qt::LeftButton);
}

void clickRow(FlexGrid *grid, int row)
{
    grid->Refresh();
    const QModelIndex cell = grid->model()->index(row - grid->FixedRows(), 0);
    QVERIFY(cell.isValid());
    grid->scrollTo(cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    QCOMPARE(grid->RowSel(), row);
}

void selectPatient(int row)
{
    QVERIFY(patientList().IsLoaded());
    clickRow(control<FlexGrid>(patientList(), "MSFlexGrid1"), row);
    QTest::mouseClick(control<QPushButton>(patientList(), "cmdSelect"), Qt::LeftButton);
}

void typeMeasurement(const QString &height, const QString &weight)
{
    QVERIFY(bmiWindow().IsLoaded());
    typeInto(control<QLineEdit>(bmiWindow(), "txtHeight"), height);
    typeInto(control<QLineEdit>(bmiWindow(), "txtweight"), weight);
}

void clickCalculate()
{
    QVERIFY(bmiWindow().IsLoaded());
    QTest::mouseClick(control<QPushButton>(bmiWindow(), "cmdCalculate"), Qt::LeftButton);
}

void clickSave()
{
    QVERIFY(bmiWindow().IsLoaded());
    QVERIFY(control<QPushButton>(bmiWindow(), "cmdSave")->isEnabled());
    QTest::mouseClick(control<QPushButton>(bmiWindow(), "cmdSave"), Qt::LeftButton);
}

} // namespace appdriver
