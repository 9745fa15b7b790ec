#include "patients/frmNew.h"
#include "ui_frmNew.h"

#include "classic/forms.h"
#include "classic/msgbox.h"
#include "classic/shared_state.h"
#include "classic/typed_input.h"
#include "db/append.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/date_format.h"
#include "db/dates.h"
#include "db/today.h"

#include <QDate>

template class DesignedForm<Ui::frmNew, QWidget>;

namespace
{
// The birth date is stored in the patients' date pattern when it reads as a
// date; anything else the user typed is kept as it is rather than refused.
QString birthDateText(const QString &typed)
{
    const QDate date = merivex::readDate(typed);
    return date.isValid() ? merivex::formatDate(date, QStringLiteral("dd/mm/yyyy")) : typed;
}
} // namespace

void frmNew::connectHandlers()
{
    on(m_ui->OptMale, &QRadioButton::toggled, [this] { OptMale_Click(); });
    on(m_ui->OptFemale, &QRadioButton::toggled, [this] { OptFemale_Click(); });
    on(m_ui->cmdEnter, &QPushButton::clicked, [this] { cmdEnter_Click(); });
    on(m_ui->cmdCancel, &QPushButton::clicked, [this] { cmdCancel_Click(); });
}

void frmNew::Form_Load()
{
    if (Module1::BmiWindowLoaded)
        Forms::get(Forms::Window::Bmi).Unload();
    Module1::PatientDatabase = merivex::openPatientDatabase();
}

void frmNew::OptMale_Click()
{
    if (m_ui->OptMale->isChecked()) {
        m_ui->OptFemale->setChecked(false);
        Sex = QStringLiteral("Male");
    }
}

void frmNew::OptFemale_Click()
{
    if (m_ui->OptFemale->isChecked()) {
        m_ui->OptMale->setChecked(false);
        Sex = QStringLiteral("Female");
    }
}

void frmNew::cmdEnter_Click()
{
    chkDb = true;
    check();
    if (chkDb)
        enterDB();
}

void frmNew::check()
{
    // Only the empty text is missing: blanks are a name as far as this goes.
    if (m_ui->txtNama->text().isEmpty()) {
        MsgBox(QStringLiteral("Please Enter Your Name"), vbOKOnly);
        chkDb = false;
    } else if (!m_ui->OptMale->isChecked() && !m_ui->OptFemale->isChecked()) {
        MsgBox(QStringLiteral("Please Click Your Gender"), vbOKOnly);
        chkDb = false;
    } else if (m_ui->txtTL->text().isEmpty()) {
        MsgBox(QStringLiteral("Please Input Your BirtDate"), vbOKOnly);
        chkDb = false;
    }
}

void frmNew::enterDB()
{
    using namespace merivex;
    // A failing append must leave the current patient as it was: the new id
    // only becomes current once the row is stored.
    auto &rs = Module1::PatientRecordset;
    rs = openPatientsForAppend(*Module1::PatientDatabase);
    const qint16 id = appendPatient(
        *rs, lastPatientId(*rs),
        {m_ui->txtNama->text(), Sex, Today::date(), birthDateText(m_ui->txtTL->text())});
    rs->Close();
    const QString newPatientId = QString::number(id);
    Module1::CurrentPatientId = newPatientId;
    Module1::CurrentUserName = m_ui->txtNama->text();
    Forms::get(Forms::Window::Main).setCaption("Merivex Demo -" + Module1::CurrentUserName);
    Unload();
}

void frmNew::cmdCancel_Click()
{
    Unload();
}
