#include "app/application.h"

#include "app/accessibility.h"
#include "app/fonts.h"
#include "app/forms.h"
#include "app/frmMain.h"
#include "app/workspace.h"

#include <QApplication>

void InitApplication()
{
    QApplication::setApplicationName(QStringLiteral("MerivexDemo"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    // The run ends when the main window and the About box have both gone,
    // which Module1 decides, not Qt's last-window rule.
    QApplication::setQuitOnLastWindowClosed(false);
    SetFontSubstitutions();
    InstallAccessibility();
    Form::setWorkspace([] { return Forms::get<frmMain>().workspace(); });
}
