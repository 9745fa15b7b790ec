#pragma once
#include "classic/form.h"
#include "ui_frmAbout.h"

#include <QDialog>

// The About box: a fixed top-level dialog outside the frame.
class frmAbout : public DesignedForm<Ui::frmAbout, QDialog>
{
    Q_OBJECT
public:
    Ui::frmAbout &ui() { return *m_ui; }
    void cmdOK_Click();

protected:
    void connectHandlers() override;
    void Form_Load() override;
    void Form_Unload(int &cancel) override;
};
