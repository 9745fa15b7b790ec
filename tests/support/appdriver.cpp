#include "appdriver.h"

#include "app/frmMain.h"
#include "bmi/frmBmi.h"
#include "classic/flexgrid.h"
#include "classic/forms.h"
#include "patients/frmNew.h"
#include "patients/frmOpen.h"

#include <QLineEdit>
#include <QtTest>

namespace appdriver
{

namespace
{
Ui::frmMain &mainUi()
{
    return Forms::get<frmMain>().ui();
}
} // namespace

void menuNew()
{
    mainUi().mnuBaru->trigger();
}
void menuOpen()
{
    mainUi().mnuBuka->trigger();
}
void menuBmi()
{
    mainUi().mnuBMI->trigger();
}
void menuGraph()
{
    mainUi().mnuGraf->trigger();
}
void menuAbout()
{
    mainUi().mnuAbout->trigger();
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
    Ui::frmNew &ui = registration().ui();
    typeInto(ui.txtNama, name);
    QTest::mouseClick(male ? ui.OptMale : ui.OptFemale, Qt::LeftButton);
    typeInto(ui.txtTL, birthDate);
}

void clickEnter()
{
    QVERIFY(registration().IsLoaded());
    QTest::mouseClick(registration().ui().cmdEnter, Qt::LeftButton);
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
    clickRow(patientList().ui().MSFlexGrid1, row);
    QTest::mouseClick(patientList().ui().cmdSelect, Qt::LeftButton);
}

void typeMeasurement(const QString &height, const QString &weight)
{
    QVERIFY(bmiWindow().IsLoaded());
    typeInto(bmiWindow().ui().txtHeight, height);
    typeInto(bmiWindow().ui().txtweight, weight);
}

void clickCalculate()
{
    QVERIFY(bmiWindow().IsLoaded());
    QTest::mouseClick(bmiWindow().ui().cmdCalculate, Qt::LeftButton);
}

void clickSave()
{
    QVERIFY(bmiWindow().IsLoaded());
    QVERIFY(bmiWindow().ui().cmdSave->isEnabled());
    QTest::mouseClick(bmiWindow().ui().cmdSave, Qt::LeftButton);
}

} // namespace appdriver
