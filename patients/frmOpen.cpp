#include "patients/frmOpen.h"

#include "classic/forms.h"
#include "classic/msgbox.h"
#include "classic/shared_state.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/display_text.h"
#include "db/int16.h"
#include "db/statements.h"

namespace
{
// Header captions and widths; the name column is widened with blanks.
const QString PatientListFormat = QStringLiteral("No |Name") + QString(58, QLatin1Char(' ')) +
                                  QStringLiteral("|Date of Register|");
} // namespace

void frmOpen::connectHandlers()
{
    on(m_ui->cmdSelect, &QPushButton::clicked,
       [this] { cmdSelect_Click(m_ui->cmdSelect->property("Index").toInt()); });
    on(m_ui->cmdCancel, &QPushButton::clicked, [this] { cmdCancel_Click(); });
}

void frmOpen::Form_Load()
{
    if (Module1::BmiWindowLoaded)
        Forms::get(Forms::Window::Bmi).Unload();
    Module1::PatientDatabase = merivex::openPatientDatabase();
    search();
}

void frmOpen::search()
{
    using namespace merivex;
    FlexGrid *grid = m_ui->MSFlexGrid1;
    grid->setRows(2);
    grid->setFixedRows(1);
    grid->setFixedCols(1);
    grid->setCols(1);
    grid->setFormatString(PatientListFormat);
    m_ids.clear();

    auto &rs = Module1::PatientRecordset;
    rs = Module1::PatientDatabase->OpenRecordset(Sql::patientList(), dbOpenSnapshot,
                                                 dbSQLPassThrough);
    if (rs->RecordCount() == 0)
        return;
    rs->MoveFirst();
    qint16 counter = 0;
    while (!rs->AtEOF()) {
        grid->setCol(0);
        counter = addInt16(counter, 1);
        grid->setText(FlexGrid::numberText(counter));
        for (int i = 0; i < Sql::PatientListColumn::Shown; ++i) {
            grid->setCol(i + 1);
            grid->setText(displayText(rs->Fields(i).Value()));
        }
        m_ids.push_back(displayText(rs->Fields(Sql::PatientListColumn::IdPatient).Value()));
        rs->MoveNext();
        grid->setRows(grid->Rows() + 1);
        grid->setRow(grid->Rows() - 1);
    }
    rs->Close();
}

void frmOpen::cmdSelect_Click(int Index)
{
    Q_UNUSED(Index);
    FlexGrid *grid = m_ui->MSFlexGrid1;
    const long r = grid->RowSel();
    // The empty last row (or no row at all) names no patient: choosing it
    // would leave the other windows with an empty id. Column 0 only numbers
    // the rows; the id is the one read with the row.
    const long index = r - grid->FixedRows();
    const bool inList = index >= 0 && index < long(m_ids.size());
    const QString patientId = inList ? m_ids[std::size_t(index)] : QString();
    if (patientId.isEmpty()) {
        MsgBox(QStringLiteral("Please click your name first"), vbOKOnly);
        return;
    }
    Module1::CurrentUserName = grid->TextMatrix(r, 1);
    Module1::CurrentPatientId = patientId;
    Unload();
    Forms::get(Forms::Window::Main).setCaption("Merivex Demo - " + Module1::CurrentUserName);
}

void frmOpen::cmdCancel_Click()
{
    Unload();
}
