#include "bmi/frmBmi.h"
#include "ui_frmBmi.h"

#include "bmi/number.h"
#include "classic/accessibility.h"
#include "classic/forms.h"
#include "classic/msgbox.h"
#include "classic/row_menu.h"
#include "classic/shared_state.h"
#include "classic/typed_input.h"
#include "db/append.h"
#include "db/backups.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/date_format.h"
#include "db/dates.h"
#include "db/delete_measurement.h"
#include "db/errors.h"
#include "db/history.h"
#include "db/int16.h"
#include "db/today.h"

#include <limits>

template class DesignedForm<Ui::frmBmi, QWidget>;

namespace
{
const QString HistoryFormat =
    QStringLiteral("No |Date               |Height|Weight|BMI                             ");
const QString InputMessage = QStringLiteral("Please enter your weight please ...");

// Error 91: an object used before it was set.
merivex::Error noConnection()
{
    return merivex::Error(91, QStringLiteral("Object variable or With block variable not set"));
}

// Height and weight as the calculation takes them: present, a number, and
// not zero.
std::optional<double> usable(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<double> value = merivex::readNumber(text);
    if (!value || *value == 0)
        return std::nullopt;
    return value;
}
} // namespace

void frmBmi::connectHandlers()
{
    on(m_ui->cmdCalculate, &QPushButton::clicked, [this] { cmdCalculate_Click(); });
    on(m_ui->cmdSave, &QPushButton::clicked, [this] { cmdSave_Click(); });
    InstallRowMenu(
        m_ui->MSFlexGrid1, QStringLiteral("Delete this measurement…"),
        [this](int row) { return measurementId(row).has_value(); },
        [this](int row) { deleteMeasurement(row); });
}

void frmBmi::Form_Load()
{
    Module1::BmiWindowLoaded = true;
    m_ui->MSFlexGrid1->Clear();
    m_ui->lblNasihat->setText(QString());
    search();
}

void frmBmi::Form_Resize()
{
    search();
}

void frmBmi::search()
{
    if (Module1::CurrentPatientId.isEmpty())
        return;
    // An id that is not a whole 16-bit number names no patient: refused
    // before anything changes, the grid keeps its rows.
    qint16 id = 0;
    try {
        id = merivex::idFromText(Module1::CurrentPatientId);
    } catch (const merivex::Error &) {
        return;
    }
    if (!Module1::PatientDatabase)
        throw noConnection();

    FlexGrid &grid = *m_ui->MSFlexGrid1;
    grid.setRows(2);
    grid.setFixedRows(1);
    grid.setFixedCols(1);
    grid.setCols(1);
    grid.setFormatString(HistoryFormat);

    merivex::HistoryCache::Read history =
        m_history.read(*Module1::PatientDatabase, id, Module1::PatientRecordset);
    if (history.result)
        Module1::PatientRecordset = std::move(history.result);
    const std::vector<merivex::HistoryRow> &rows = history.rows;
    if (rows.empty())
        return;
    grid.setRow(1);
    qint16 n = 0;
    for (const merivex::HistoryRow &row : rows) {
        n = merivex::addInt16(n, 1);
        merivex::FieldValue cells[] = {qint64(n), row.date, row.height, row.weight, row.bmi};
        grid.addRow(cells, row.idBmi);
    }
}

// The grid keeps each history row's IdBMI out of sight.
std::optional<qint16> frmBmi::measurementId(int row) const
{
    const std::optional<qint64> key = m_ui->MSFlexGrid1->rowKey(row);
    if (!key || *key < std::numeric_limits<qint16>::min() ||
        *key > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(*key);
}

void frmBmi::deleteMeasurement(int row)
{
    const std::optional<qint16> id = measurementId(row);
    if (!id)
        return;
    const FlexGrid &grid = *m_ui->MSFlexGrid1;
    const QString question = QStringLiteral("Delete this measurement?\n\nDate: %1\nHeight: "
                                            "%2\nWeight: %3\nBMI: %4")
                                 .arg(grid.TextMatrix(row, 1), grid.TextMatrix(row, 2),
                                      grid.TextMatrix(row, 3), grid.TextMatrix(row, 4));
    if (MsgBox(question, vbYesNo | vbQuestion) != vbYes)
        return;
    // As Save does: a connection of its own, which the history then reads.
    // The file is copied first, so the deletion can be undone.
    Module1::PatientDatabase = merivex::openPatientDatabase();
    merivex::backUpBefore(merivex::databasePath(), QStringLiteral("delete"));
    merivex::deleteMeasurement(*Module1::PatientDatabase, *id);
    search();
    Announce(client(), QStringLiteral("Measurement deleted."));
    Form &graph = Forms::get(Forms::Window::Graph);
    if (graph.IsLoaded())
        graph.Requery();
}

void frmBmi::cmdCalculate_Click()
{
    const QString h = m_ui->txtHeight->text();
    const QString w = m_ui->txtweight->text();
    // Text that is no number, or a quotient the 16-bit BMI cannot hold, is
    // rejected like an empty or zero entry.
    std::optional<double> height = usable(h);
    std::optional<double> weight = height ? usable(w) : std::nullopt;
    std::optional<qint16> bmi;
    if (height && weight) {
        const double rounded = roundHalfEven(*weight / (*height * *height));
        if (rounded >= std::numeric_limits<qint16>::min() &&
            rounded <= std::numeric_limits<qint16>::max())
            bmi = qint16(rounded);
    }
    if (bmi) {
        m_ui->txtBmi->setText(QString::number(*bmi));
        Nasihat_Hari_Ini();
        // The BMI box takes no focus and the advice is a label: neither is
        // read out unless told.
        Announce(client(), m_ui->Label3->text() + QLatin1Char(' ') + m_ui->txtBmi->text() +
                               QStringLiteral(". ") + m_ui->lblNasihat->text());
    } else {
        MsgBox(InputMessage, vbOKOnly);
    }
    if (!Module1::CurrentPatientId.isEmpty())
        m_ui->cmdSave->setEnabled(true);
}

void frmBmi::cmdSave_Click()
{
    // Save is enabled even after a rejected calculation, so the texts are
    // checked again: an empty or unreadable one would be stored for good.
    const std::optional<double> height = usable(m_ui->txtHeight->text());
    const std::optional<double> weight = height ? usable(m_ui->txtweight->text()) : std::nullopt;
    if (!height || !weight) {
        MsgBox(InputMessage, vbOKOnly);
        return;
    }

    // A failure from here on is reported by the caller; nothing is stored
    // before Update, and Save stays enabled for another try.
    Module1::PatientDatabase = merivex::openPatientDatabase();
    merivex::backUpBeforeFirstSaveOfDay(merivex::databasePath());
    Module1::PatientRecordset = merivex::openMeasurementsForAppend(*Module1::PatientDatabase);
    merivex::Recordset &records = *Module1::PatientRecordset;
    merivex::appendMeasurement(records, merivex::lastMeasurementId(records),
                               {Module1::CurrentPatientId, Today::date(), *weight, *height});
    records.Close();

    m_ui->cmdSave->setEnabled(false);
    search();
    Announce(client(), QStringLiteral("Measurement saved."));
    Forms::get(Forms::Window::Graph).Show();
}

void frmBmi::Nasihat_Hari_Ini()
{
    const int bmi = m_ui->txtBmi->text().toInt();
    QLabel &label = *m_ui->lblNasihat;
    QFont font = label.font();
    font.setPointSizeF(10);
    label.setFont(font);

    QColor colour;
    QString rating;
    QString advice;
    if (bmi <= 19) {
        colour = QColor(255, 0, 0);
        rating = QStringLiteral(" Do you know ... you lose your weight ");
        advice = QStringLiteral(
            " I think you should revise your diet .. if not your maybe have Bolemia Syndrome");
    } else if (bmi <= 25) {
        colour = QColor(0, 0, 255);
        rating = QStringLiteral(" You are in good weight scale ");
        advice = QStringLiteral(" I hope you can continue your regular diet and exercise ");
    } else {
        colour = QColor(255, 0, 0);
        rating = QStringLiteral(" You are overweight");
        advice = QStringLiteral(" You should start diet and exercise to avoid HPT and Diabetic");
    }
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, colour);
    label.setPalette(palette);
    label.setText(QStringLiteral(" Hai ") + Module1::CurrentUserName + rating + advice);
}
