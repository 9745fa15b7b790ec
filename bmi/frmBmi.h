#pragma once
// The BMI window: the explanatory texts, the calculation with the advice of
// the day, and the current patient's measurement history.
#include "classic/form.h"
#include "db/history.h"

#include <QWidget>

#include <optional>

namespace Ui
{
class frmBmi;
}
extern template class DesignedForm<Ui::frmBmi, QWidget>;

class frmBmi : public DesignedForm<Ui::frmBmi, QWidget>
{
    Q_OBJECT
public:
    // Refills the history grid from the current patient's measurements.
    void search();

    void cmdCalculate_Click();
    void cmdSave_Click();

protected:
    void connectHandlers() override;
    void Form_Load() override;
    void Form_Resize() override;

private:
    void Nasihat_Hari_Ini();

    // Every resize searches again; the file is read again only when it can
    // have changed.
    merivex::HistoryCache m_history;

    // Beside the designed window: a history row's context menu deletes a
    // wrong measurement.
    std::optional<qint16> measurementId(int row) const;
    void deleteMeasurement(int row);
};
