// The window mechanism without any of the application's windows.
#include "classic/form.h"
#include "db/errors.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTest>

namespace
{
struct PlainUi {
    QLabel *label = nullptr;
    void setupUi(QWidget *window)
    {
        window->setProperty("MDIChild", false);
        label = new QLabel(QStringLiteral("plain"), window);
    }
};
class Plain : public DesignedForm<PlainUi, QWidget>
{
};
struct ChildUi {
    void setupUi(QWidget *window) { new QLabel(QStringLiteral("child"), window); }
};
class Child : public DesignedForm<ChildUi, QWidget>
{
};
} // namespace

class TestForm : public QObject
{
    Q_OBJECT

private slots:
    // An instance destroyed while loaded takes its window with it, without
    // the registry discarding it first.
    void destroyedWhileLoaded()
    {
        auto form = std::make_unique<Plain>();
        form->Show();
        QVERIFY(form->IsLoaded());
        QPointer<QWidget> window = form->client();
        form.reset();
        QVERIFY(window.isNull());
    }

    // A child window without a workspace to open in (the main window not
    // loaded) is refused with the runtime's error and stays unloaded.
    void childWithoutWorkspace()
    {
        Form::setWorkspace([] { return static_cast<QMdiArea *>(nullptr); });
        Child form;
        QVERIFY_THROWS_EXCEPTION(merivex::Error, form.Show());
        QVERIFY(!form.IsLoaded());
        QVERIFY(form.client() == nullptr);
    }
};

QTEST_MAIN(TestForm)
#include "tst_form.moc"
