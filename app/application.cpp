#include "app/application.h"

#include "app/fonts.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/workspace.h"
#include "bmi/frmBmi.h"
#include "classic/accessibility.h"
#include "classic/forms.h"
#include "graph/frmGraph.h"
#include "patients/frmNew.h"
#include "patients/frmOpen.h"

#include <QApplication>

void InitApplication()
{
    QApplication::setApplicationName(QStringLiteral("MerivexDemo"));
    QApplication::setApplicationVersion(QStringLiteral(MERIVEX_VERSION));
    // The run ends when the main window and the About box have both gone,
    // which Module1 decides, not Qt's last-window rule.
    QApplication::setQuitOnLastWindowClosed(false);
    SetFontSubstitutions();
    InstallAccessibility();
    Form::setWorkspace([] { return Forms::get<frmMain>().workspace(); });
    // The windows reach each other through the registry, never each
    // other's headers.
    Forms::define<frmMain>(Forms::Window::Main);
    Forms::define<frmNew>(Forms::Window::New);
    Forms::define<frmOpen>(Forms::Window::Open);
    Forms::define<frmBmi>(Forms::Window::Bmi);
    Forms::define<frmGraph>(Forms::Window::Graph);
    Forms::define<frmAbout>(Forms::Window::About);
}
