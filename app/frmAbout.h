#pragma once
#include "classic/form.h"

#include <QDialog>

namespace Ui
{
class frmAbout;
}
extern template class DesignedForm<Ui::frmAbout, QDialog>;

// The About box: a fixed top-level dialog outside the frame.
class frmAbout : public DesignedForm<Ui::frmAbout, QDialog>
{
    Q_OBJECT
public:
    void cmdOK_Click();

protected:
    void connectHandlers() override;
    void Form_Load() override;
    void Form_Unload(int &cancel) override;
};
