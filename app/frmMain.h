#pragma once
#include "classic/form.h"

#include <QMainWindow>

class Workspace;

namespace Ui
{
class frmMain;
}
extern template class DesignedForm<Ui::frmMain, QMainWindow>;

// The MDI frame: menus, the toolbar strip of picture buttons, the workspace.
class frmMain : public DesignedForm<Ui::frmMain, QMainWindow>
{
    Q_OBJECT
public:
    // The workspace the child windows open in; loads the frame if needed.
    Workspace *workspace();
    QMainWindow *mainWindow() const { return static_cast<QMainWindow *>(client()); }

    void mnuBaru_Click();
    void mnuBuka_Click();
    void mnuKeluar_Click();
    void mnuBMI_Click();
    void mnuGraf_Click();
    void mnuAbout_Click();
    void Arahanbaru_Click() { mnuBaru_Click(); }
    void ArahanBuka_Click() { mnuBuka_Click(); }
    void ArahanKeluar_Click() { mnuKeluar_Click(); }
    void ArahanBmi_Click() { mnuBMI_Click(); }
    void ArahanGraf_Click() { mnuGraf_Click(); }

protected:
    std::unique_ptr<QWidget> build() override;
    void connectHandlers() override;
    void Form_Load() override { MDIForm_Load(); }
    void Form_Unload(int &cancel) override;

private:
    void MDIForm_Load();
};
