#include "app/frmMain.h"
#include "ui_frmMain.h"

#include "app/frmAbout.h"
#include "app/module1.h"
#include "app/workspace.h"
#include "bmi/frmBmi.h"
#include "classic/forms.h"
#include "graph/frmGraph.h"
#include "patients/frmNew.h"
#include "patients/frmOpen.h"

#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <algorithm>

template class DesignedForm<Ui::frmMain, QMainWindow>;

std::unique_ptr<QWidget> frmMain::build()
{
    std::unique_ptr<QWidget> window = DesignedForm::build();
    // The designer size is the client area; the menu bar comes on top of it.
    auto *frame = static_cast<QMainWindow *>(window.get());
    const QSize clientArea = frame->size();
    frame->resize(clientArea.width(), clientArea.height() + frame->menuBar()->sizeHint().height());
    QRect restored(QPoint(), frame->size());
    restored.moveCenter(QGuiApplication::primaryScreen()->availableGeometry().center());
    frame->move(restored.topLeft());
    return window;
}

void frmMain::connectHandlers()
{
    on(m_ui->mnuBaru, &QAction::triggered, [this] { mnuBaru_Click(); });
    on(m_ui->mnuBuka, &QAction::triggered, [this] { mnuBuka_Click(); });
    on(m_ui->mnuKeluar, &QAction::triggered, [this] { mnuKeluar_Click(); });
    on(m_ui->mnuBMI, &QAction::triggered, [this] { mnuBMI_Click(); });
    on(m_ui->mnuGraf, &QAction::triggered, [this] { mnuGraf_Click(); });
    on(m_ui->mnuAbout, &QAction::triggered, [this] { mnuAbout_Click(); });
    on(m_ui->Arahanbaru, &QToolButton::clicked, [this] { Arahanbaru_Click(); });
    on(m_ui->ArahanBuka, &QToolButton::clicked, [this] { ArahanBuka_Click(); });
    on(m_ui->ArahanBmi, &QToolButton::clicked, [this] { ArahanBmi_Click(); });
    on(m_ui->ArahanGraf, &QToolButton::clicked, [this] { ArahanGraf_Click(); });
    on(m_ui->ArahanKeluar, &QToolButton::clicked, [this] { ArahanKeluar_Click(); });
}

Workspace *frmMain::workspace()
{
    if (!IsLoaded())
        Show();
    return IsLoaded() ? m_ui->workspace : nullptr;
}

void frmMain::MDIForm_Load()
{
    setCaption("Merivex Demo" + Module1::CurrentUserName);
}

void frmMain::mnuBaru_Click()
{
    Forms::get<frmNew>().Show();
}

void frmMain::mnuBuka_Click()
{
    Forms::get<frmOpen>().Show();
}

void frmMain::mnuBMI_Click()
{
    Forms::get<frmBmi>().Show();
}

void frmMain::mnuGraf_Click()
{
    if (Module1::CurrentUserName == Module1::NoUser) {
        MsgBox(QStringLiteral("No User Selected - No Graph"), vbCritical);
    } else {
        Forms::get<frmGraph>().Show();
    }
}

void frmMain::mnuKeluar_Click()
{
    Module1::End();
}

void frmMain::mnuAbout_Click()
{
    Forms::get<frmAbout>().Show();
}

void frmMain::Form_Unload(int &cancel)
{
    // The children close with the frame; none may reopen another meanwhile.
    Forms::setShuttingDown(true);
    m_ui->workspace->closeAllSubWindows();
    const QList<QMdiSubWindow *> children = m_ui->workspace->subWindowList();
    // Closed children are hidden at once and deleted later.
    if (std::any_of(children.begin(), children.end(),
                    [](QMdiSubWindow *child) { return child->isVisible(); })) {
        cancel = 1;
        Forms::setShuttingDown(false);
        return;
    }
    QTimer::singleShot(0, [] { Module1::QuitWhenNoWindowIsLeft(); });
}
