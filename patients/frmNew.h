#pragma once
#include "classic/form.h"

#include <QWidget>

namespace Ui
{
class frmNew;
}
extern template class DesignedForm<Ui::frmNew, QWidget>;

// Registration of a new patient: name, sex and birth date become one row of
// Biodata and the new patient becomes the current one.
class frmNew : public DesignedForm<Ui::frmNew, QWidget>
{
    Q_OBJECT
public:
    void OptMale_Click();
    void OptFemale_Click();
    void cmdEnter_Click();
    void cmdCancel_Click();

    // "Male" or "Female" once an option has been chosen; kept across loads.
    QString Sex;

protected:
    void connectHandlers() override;
    void Form_Load() override;

private:
    void check();
    void enterDB();

    bool chkDb = false;
};
