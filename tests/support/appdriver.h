#pragma once
// The user's steps through the real windows: menu commands, typing into the
// boxes, clicks on the buttons and on grid rows. Each step reports a test
// failure when the window it needs is not there.
#include <QString>

class QLineEdit;
class frmBmi;
class frmNew;
class frmOpen;
class FlexGrid;

namespace appdriver
{

// File > New, File > Open, BMI, Graph, About.
void menuNew();
void menuOpen();
void menuBmi();
void menuGraph();
void menuAbout();

// Replaces what a text box holds by typed key presses (a text longer than a
// few hundred characters is pasted in one edit, as a user would).
void typeInto(QLineEdit *box, const QString &text);

// In the open registration window: name, Male or Female, birth date.
void fillRegistration(const QString &name, bool male, const QString &birthDate);
void clickEnter();

// In the open patient list: click grid row `row` (1 = first patient), Select.
void clickRow(FlexGrid *grid, int row);
void selectPatient(int row);

// In the open BMI window.
void typeMeasurement(const QString &height, const QString &weight);
void clickCalculate();
void clickSave();

frmNew &registration();
frmOpen &patientList();
frmBmi &bmiWindow();

} // namespace appdriver
