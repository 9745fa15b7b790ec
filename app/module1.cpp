#include "app/module1.h"

#include "app/forms.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QWidget>

namespace Module1
{

QString CurrentUserName;
QString CurrentPatientId;
std::shared_ptr<merivex::Database> PatientDatabase;
std::shared_ptr<merivex::Recordset> PatientRecordset;
bool BmiWindowLoaded = false;

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
    PatientRecordset.reset();
    PatientDatabase.reset();
    CurrentUserName.clear();
    CurrentPatientId.clear();
    BmiWindowLoaded = false;
    Forms::setShuttingDown(false);
}

} // namespace Module1
