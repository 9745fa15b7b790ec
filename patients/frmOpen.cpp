#include "patients/frmOpen.h"
#include "ui_frmOpen.h"

#include "classic/forms.h"
#include "classic/msgbox.h"
#include "classic/shared_state.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/int16.h"
#include "db/patient_list.h"
#include "db/statements.h"

template class DesignedForm<Ui::frmOpen, QWidget>;

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
    m_counter = 0;

    // The rows come as the grid scrolls towards them, a part at a time, each
    // read by a statement of its own, so that nothing stays open on the
    // connection between two parts: the first frame of a full list costs a
    // part, not the table.
    grid->setFetchMore(nullptr);
    if (!addRows(0))
        grid->setFetchMore([this, read = qint64(PartRows)]() mutable {
            if (!Module1::PatientDatabase)
                return false;
            const bool last = addRows(read);
            read += PartRows;
            return !last;
        });
}

// Each row: its running number, name and registration date, keyed by the
// patient's id. An empty result is left open until the next statement.
// True when no more rows follow.
bool frmOpen::addRows(qint64 first)
{
    using namespace merivex;
    FlexGrid *grid = m_ui->MSFlexGrid1;
    Module1::PatientRecordset = openPatientList(*Module1::PatientDatabase, first, PartRows);
    if (Module1::PatientRecordset->RecordCount() == 0)
        return true;
    std::vector<PatientListRow> rows = readPatientList(*Module1::PatientRecordset);
    grid->reserveRows(grid->Rows() + int(rows.size()));
    for (PatientListRow &row : rows) {
        m_counter = addInt16(m_counter, 1);
        FieldValue cells[] = {qint64(m_counter), std::move(row.name), std::move(row.dateRegister)};
        grid->addRow(cells, row.id);
    }
    return rows.size() < std::size_t(PartRows);
}

void frmOpen::cmdSelect_Click(int Index)
{
    Q_UNUSED(Index);
    FlexGrid *grid = m_ui->MSFlexGrid1;
    const long r = grid->RowSel();
    // The empty last row (or no row at all) names no patient: choosing it
    // would leave the other windows with an empty id. Column 0 only numbers
    // the rows; the id is the one read with the row.
    const std::optional<qint64> key = grid->rowKey(int(r));
    if (!key) {
        MsgBox(QStringLiteral("Please click your name first"), vbOKOnly);
        return;
    }
    Module1::CurrentUserName = grid->TextMatrix(r, 1);
    Module1::CurrentPatientId = QString::number(*key);
    Unload();
    Forms::get(Forms::Window::Main).setCaption("Merivex Demo - " + Module1::CurrentUserName);
}

void frmOpen::cmdCancel_Click()
{
    Unload();
}
