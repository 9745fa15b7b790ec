// Calculate and the advice of the day, typed and clicked on the real window.
#include "app/module1.h"
#include "bmiwindow.h"
#include "classic/accessibility.h"
#include "classic/msgbox.h"
#include "controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

using namespace bmitest;

namespace
{
const QString InputMessage = "Please enter your weight please ...";
const QString Good = " You are in good weight scale "
                     " I hope you can continue your regular diet and exercise ";
const QString Under = " Do you know ... you lose your weight "
                      " I think you should revise your diet .. if not your maybe have Bolemia "
                      "Syndrome";
const QString Over = " You are overweight"
                     " You should start diet and exercise to avoid HPT and Diabetic";
const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);

QLabel &advice()
{
    return *control<QLabel>(window(), "lblNasihat");
}
QColor adviceColour()
{
    return advice().palette().color(QPalette::WindowText);
}
} // namespace

class TestBmiCalculate : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_fixture.start(); }
    void cleanup() { m_fixture.stop(); }

    void bmiAndAdvice_data();
    void bmiAndAdvice();
    void adviceNamesTheCurrentPatient();
    void rejectedEntriesChangeNothing_data();
    void rejectedEntriesChangeNothing();
    void saveIsEnabledOnlyWithAPatient();
    void localeDecimalSeparator();

private:
    Fixture m_fixture;
};

void TestBmiCalculate::bmiAndAdvice_data()
{
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("weight");
    QTest::addColumn<QString>("bmi");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    const struct {
        const char *label, *height, *weight, *bmi;
        QString text;
        QColor colour;
    } rows[] = {
        {"1.70 m, 65 kg", "1.70", "65", "22", Good, Blue},
        {"tie 22.5 to even", "2", "90", "22", Good, Blue},
        {"tie 23.5 to even", "1", "23.5", "24", Good, Blue},
        {"centimetres", "170", "65", "0", Under, Red},
        {"band limit 19", "1", "19", "19", Under, Red},
        {"band limit 20", "1", "20", "20", Good, Blue},
        {"band limit 25", "1", "25", "25", Good, Blue},
        {"band limit 26", "1", "26", "26", Over, Red},
        {"negative weight", "1", "-50", "-50", Under, Red},
        {"largest", "0.1", "327.67", "32767", Over, Red},
    };
    for (const auto &r : rows)
        QTest::newRow(r.label) << QString(r.height) << QString(r.weight) << QString(r.bmi) << r.text
                               << r.colour;
}

void TestBmiCalculate::bmiAndAdvice()
{
    QFETCH(QString, height);
    QFETCH(QString, weight);
    QFETCH(QString, bmi);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    window().Show();
    QCOMPARE(advice().text(), QString());
    MsgBoxRecorder rec;
    calculate(height, weight);
    QCOMPARE(rec.messages().size(), 0);
    QCOMPARE(control<QLineEdit>(window(), "txtBmi")->text(), bmi);
    QCOMPARE(advice().text(), " Hai  - No User" + text);
    QCOMPARE(adviceColour(), colour);
    QCOMPARE(advice().font().pointSizeF(), 10.0);
}

void TestBmiCalculate::adviceNamesTheCurrentPatient()
{
    currentPatient("Siti Aminah");
    window().Show();
    calculate("1.70", "65");
    QCOMPARE(advice().text(), " Hai Siti Aminah" + Good);
    // Neither the disabled BMI box nor the label takes the focus: a screen
    // reader is told both.
    QCOMPARE(LastAnnouncement(window().client()),
             "Your Body Mass Indes is 22.  Hai Siti Aminah" + Good);
    calculate("1.70", "95");
    QCOMPARE(control<QLineEdit>(window(), "txtBmi")->text(), QString("33"));
    QCOMPARE(advice().text(), " Hai Siti Aminah" + Over);
    QCOMPARE(adviceColour(), Red);
    QCOMPARE(advice().font().pointSizeF(), 10.0);
}

void TestBmiCalculate::rejectedEntriesChangeNothing_data()
{
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("weight");
    const struct {
        const char *label, *height, *weight;
    } rows[] = {
        // Texts that are no number, empty and zero entries are tst_bad_input's.
        {"height 0", "0", "65"},
        {"both empty", "", ""},
        {"groups", "1,7,0", "65"},
        {"quotient too large", "0.01", "65"},
        {"quotient too small", "0.01", "-65"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.label) << QString(r.height) << QString(r.weight);
}

void TestBmiCalculate::rejectedEntriesChangeNothing()
{
    QFETCH(QString, height);
    QFETCH(QString, weight);
    window().Show();
    calculate("1.70", "65");
    const QString bmiBefore = control<QLineEdit>(window(), "txtBmi")->text();
    const QString adviceBefore = advice().text();

    MsgBoxRecorder rec;
    calculate(height, weight);
    QCOMPARE(rec.prompts(), QStringList{InputMessage});
    QCOMPARE(rec.messages().first().buttons, vbOKOnly);
    QCOMPARE(rec.messages().first().title, QString("MerivexDemo"));
    QCOMPARE(control<QLineEdit>(window(), "txtBmi")->text(), bmiBefore);
    QCOMPARE(advice().text(), adviceBefore);
    QCOMPARE(adviceColour(), Blue);
}

void TestBmiCalculate::saveIsEnabledOnlyWithAPatient()
{
    MsgBoxRecorder rec;
    window().Show();
    QVERIFY(!control<QPushButton>(window(), "cmdSave")->isEnabled());
    calculate("1.70", "65");
    calculate("0", "65");
    calculate("1.70", "65");
    QVERIFY(!control<QPushButton>(window(), "cmdSave")->isEnabled());

    currentPatient("Ali");
    window().Unload();
    window().Show();
    QVERIFY(!control<QPushButton>(window(), "cmdSave")->isEnabled());
    // Even a rejected entry lets the patient save.
    calculate("", "65");
    QVERIFY(control<QPushButton>(window(), "cmdSave")->isEnabled());
    QCOMPARE(rec.prompts().size(), 2);
}

void TestBmiCalculate::localeDecimalSeparator()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    window().Show();
    MsgBoxRecorder rec;
    calculate("1,70", "65");
    QCOMPARE(control<QLineEdit>(window(), "txtBmi")->text(), QString("22"));
    calculate("1.70", "65,5");
    QCOMPARE(control<QLineEdit>(window(), "txtBmi")->text(), QString("23"));
    QVERIFY(rec.prompts().isEmpty());
}

MERIVEX_TEST_MAIN(TestBmiCalculate)
#include "tst_bmi_calculate.moc"
