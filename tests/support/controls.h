#pragma once
// A loaded window's control by its designer object name (forms/*.ui), so that
// tests and benchmarks need no window's generated header. A window that is
// not loaded, or a name that is missing or of another class, ends the run
// with a message naming both: every step after it would act on nothing.
#include <QObject>
#include <QWidget>

template <class T, class Window> T *control(const Window &window, const char *name)
{
    QWidget *client = window.client();
    T *found = client ? client->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!found)
        qFatal("%s: no %s named %s%s", window.metaObject()->className(),
               T::staticMetaObject.className(), name, client ? "" : " (the window is not loaded)");
    return found;
}
