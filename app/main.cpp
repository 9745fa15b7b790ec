#include "app/application.h"
#include "app/module1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    InitApplication();
    Module1::Main();
    const int status = QApplication::exec();
    Module1::Reset();
    return status;
}
