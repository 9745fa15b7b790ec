#include "app/frmAbout.h"
#include "ui_frmAbout.h"

#include "app/frmMain.h"
#include "app/module1.h"
#include "classic/forms.h"

#include <QTimer>
#include <QWindow>

template class DesignedForm<Ui::frmAbout, QDialog>;

void frmAbout::connectHandlers()
{
    on(m_ui->cmdOK, &QPushButton::clicked, [this] { cmdOK_Click(); });
    // Escape rejects the dialog: the same as OK, which is also the cancel button.
    on(static_cast<QDialog *>(client()), &QDialog::rejected, [this] { cmdOK_Click(); });
}

void frmAbout::Form_Load()
{
    // Owned by the frame for the window manager only, so that the box has no
    // task-bar entry of its own yet outlives a closed frame.
    frmMain &main = Forms::get<frmMain>();
    if (main.IsLoaded()) {
        client()->winId();
        main.client()->winId();
        client()->windowHandle()->setTransientParent(main.client()->windowHandle());
    }
}

void frmAbout::cmdOK_Click()
{
    Unload();
}

void frmAbout::Form_Unload(int &cancel)
{
    Q_UNUSED(cancel);
    QTimer::singleShot(0, [] { Module1::QuitWhenNoWindowIsLeft(); });
}
