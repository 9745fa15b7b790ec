#pragma once
#include "classic/form.h"
#include "ui_frmNew.h"

#include <QWidget>

// Registration of a new patient: name, sex and birth date become one row of
// Biodata and the new patient becomes the current one.
class frmNew : public DesignedForm<Ui::frmNew, QWidget>
{
    Q_OBJECT
public:
    Ui::frmNew &ui() { return *m_ui; }

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
