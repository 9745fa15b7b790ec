#include "app/application.h"
#include "app/module1.h"
#include "classic/msgbox.h"
#include "db/database_file.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    InitApplication();
    // A failure is reported here, and again by each window that opens the file.
    Guarded(merivex::prepareUserDatabase);
    if (!Guarded(Module1::Main))
        return 1;
    const int status = QApplication::exec();
    Module1::Reset();
    return status;
}
