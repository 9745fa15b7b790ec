#include "app/module1.h"

#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "classic/forms.h"

#include <QApplication>
#include <QWidget>

namespace Module1
{

namespace
{
std::function<void()> &endHandler()
{
    static std::function<void()> handler;
    return handler;
}
} // namespace

void Main()
{
    CurrentUserName = NoUser;
    Forms::get<frmMain>().Show();
}

void End()
{
    Forms::setShuttingDown(true);
    if (endHandler()) {
        endHandler()();
        return;
    }
    for (QWidget *w : QApplication::topLevelWidgets())
        w->hide();
    QCoreApplication::exit(0);
}

void QuitWhenNoWindowIsLeft()
{
    if (Forms::get<frmMain>().IsLoaded() || Forms::get<frmAbout>().IsLoaded())
        return;
    if (endHandler())
        endHandler()();
    else
        QCoreApplication::exit(0);
}

void setEndHandler(std::function<void()> handler)
{
    endHandler() = std::move(handler);
}

void Reset()
{
    Forms::clear();
    ClearSharedState();
    Forms::setShuttingDown(false);
}

} // namespace Module1
