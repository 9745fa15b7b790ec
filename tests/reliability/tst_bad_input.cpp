// Bad input typed into the windows: heights and weights the BMI window must
// refuse (or read as the number they are), and names and birth dates the
// registration must store exactly as typed, byte for byte, as data and never
// as part of a statement.
#include "appdriver.h"
#include "controls.h"
#include "patientfile.h"
#include "testapp.h"

#include "app/module1.h"
#include "bmi/frmBmi.h"
#include "classic/flexgrid.h"
#include "classic/forms.h"
#include "classic/msgbox.h"
#include "graph/frmGraph.h"
#include "patients/frmNew.h"
#include "patients/frmOpen.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QtTest>

using namespace appdriver;
using namespace merivex;

namespace
{

const QString InputMessage = QStringLiteral("Please enter your weight please ...");

// The bytes the file holds for name and birth date of patient id, read by
// the sqlcipher shell with the password, not through our layer: "name
// hex|birth date hex". The application must not hold the file meanwhile.
QString storedBytes(int id, QString *error)
{
    Module1::PatientRecordset.reset();
    Module1::PatientDatabase.reset();
    return testfiles::shell(testapp::databaseFile(),
                            {QStringLiteral("SELECT hex(Name) || '|' || hex(BirthDate) FROM "
                                            "Biodata WHERE IdPatient = %1")
                                 .arg(id)},
                            error)
        .join(QLatin1Char('\n'));
}

QString hexOf(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toHex().toUpper());
}

// A text of n characters with blanks inside but not at its ends.
QString longText(int n)
{
    QString text;
    text.reserve(n);
    for (int i = 0; i < n; ++i)
        text += (i % 7 == 3 && i > 0 && i < n - 1) ? QLatin1Char(' ') : QLatin1Char('a' + i % 26);
    return text;
}

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT
    std::optional<testapp::Surroundings> m_run;

private slots:
    void init() { m_run.emplace(false); }
    void cleanup() { m_run.reset(); }

    void heightAndWeight_data();
    void heightAndWeight();
    void namesAndBirthDates_data();
    void namesAndBirthDates();
};

void TestBadInput::heightAndWeight_data()
{
    // Each text is typed as the height (weight 65) and then as the weight
    // (height 1.70). The BMI shown for each, empty when the entry is refused.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("bmiAsHeight");
    QTest::addColumn<QString>("bmiAsWeight");
    QTest::addColumn<double>("value"); // what is stored when it is read

    const struct {
        const char *label;
        QString text;
    } refused[] = {
        {"empty", QString()},
        {"blanks", QStringLiteral("   ")},
        {"letters", QStringLiteral("abc")},
        {"comma", QStringLiteral("1,70")},
        {"two points", QStringLiteral("1.7.0")},
        {"beyond a double", QStringLiteral("1e309")},
        {"minus zero", QStringLiteral("-0")},
        {"hex", QStringLiteral("0x10")},
        {"nan", QStringLiteral("nan")},
        {"inf", QStringLiteral("inf")},
        {"10,000 digits", QStringLiteral("1") + QString(9999, QLatin1Char('9'))},
        {"10,000 letters", QString(10000, QLatin1Char('x'))},
        {"zero", QStringLiteral("0.0")},
        {"zeros", QStringLiteral("00")},
    };
    for (const auto &row : refused)
        QTest::newRow(row.label) << row.text << QString() << QString() << 0.0;
    // 10,000 characters that are a plain number are that number.
    QTest::newRow("10,000 characters of 1.7")
        << QStringLiteral("1.7") + QString(9997, QLatin1Char('0')) << QStringLiteral("22")
        << QStringLiteral("1") << 1.7;
    QTest::newRow("10,000 characters of 65")
        << QStringLiteral("65.") + QString(9997, QLatin1Char('0')) << QStringLiteral("0")
        << QStringLiteral("22") << 65.0;
}

void TestBadInput::heightAndWeight()
{
    QFETCH(QString, text);
    QFETCH(QString, bmiAsHeight);
    QFETCH(QString, bmiAsWeight);
    QFETCH(double, value);

    testapp::FreshDatabase file;
    testapp::Session session;
    testfiles::addPatient(1, QStringLiteral("Ali"));
    MsgBoxRecorder messages;
    menuOpen();
    selectPatient(1);
    menuBmi();

    qsizetype saved = 0;
    for (const bool asHeight : {true, false}) {
        const QString height = asHeight ? text : QStringLiteral("1.70");
        const QString weight = asHeight ? QStringLiteral("65") : text;
        const QString bmi = asHeight ? bmiAsHeight : bmiAsWeight;
        // A good calculation first: a refused one must leave its result shown.
        typeMeasurement(QStringLiteral("2"), QStringLiteral("100"));
        clickCalculate();
        QCOMPARE(control<QLineEdit>(bmiWindow(), "txtBmi")->text(), QStringLiteral("25"));
        const QString advice = control<QLabel>(bmiWindow(), "lblNasihat")->text();
        messages.clear();

        typeMeasurement(height, weight);
        QCOMPARE(control<QLineEdit>(bmiWindow(), "txtHeight")->text(), height);
        QCOMPARE(control<QLineEdit>(bmiWindow(), "txtweight")->text(), weight);
        clickCalculate();
        clickSave();
        QCOMPARE(session.endCount(), 0);
        // The typed texts stay for the user to correct.
        QCOMPARE(control<QLineEdit>(bmiWindow(), "txtHeight")->text(), height);
        QCOMPARE(control<QLineEdit>(bmiWindow(), "txtweight")->text(), weight);

        const QList<testfiles::Measurement> stored = testfiles::measurements();
        if (bmi.isEmpty()) {
            QCOMPARE(messages.prompts(), QStringList({InputMessage, InputMessage}));
            QCOMPARE(messages.messages()[0].buttons, vbOKOnly);
            QCOMPARE(control<QLineEdit>(bmiWindow(), "txtBmi")->text(), QStringLiteral("25"));
            QCOMPARE(control<QLabel>(bmiWindow(), "lblNasihat")->text(), advice);
            QCOMPARE(stored.size(), saved);
            QVERIFY(control<QPushButton>(bmiWindow(), "cmdSave")->isEnabled());
            QVERIFY(!Forms::get<frmGraph>().IsLoaded());
        } else {
            QCOMPARE(messages.prompts(), QStringList());
            QCOMPARE(control<QLineEdit>(bmiWindow(), "txtBmi")->text(), bmi);
            QCOMPARE(stored.size(), ++saved);
            QCOMPARE(stored.last().height.toDouble(), asHeight ? value : 1.7);
            QCOMPARE(stored.last().weight.toDouble(), asHeight ? 65.0 : value);
        }
    }
}

void TestBadInput::namesAndBirthDates_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("birthDate");
    // The name as the patient list shows it.
    QTest::addColumn<QString>("listed");

    const QString date = QStringLiteral("01/02/1990");
    const QString name = QStringLiteral("Siti");
    // Missing entries are tst_frmnew's checksReportOneMissingEntryAtATime.
    QTest::newRow("name of blanks") << QStringLiteral("   ") << date << QString();
    QTest::newRow("name blanks around") << QStringLiteral("  Siti  ") << date << name;
    QTest::newRow("name of 10,000 characters") << longText(10000) << date << longText(10000);
    // Listed exactly as typed.
    for (const QString &typed :
         {QStringLiteral("Müller"), QStringLiteral("王芳"), QStringLiteral("Ana 😀"),
          QStringLiteral("O'Brien"), QStringLiteral("\"; DROP TABLE Biodata; --"),
          QStringLiteral("x'); DELETE FROM BMIHistory; --")})
        QTest::addRow("%s", qUtf8Printable(typed)) << typed << date << typed;
    // Birth dates that are no date are kept as typed.
    QTest::newRow("birth date of blanks") << name << QStringLiteral("   ") << name;
    QTest::newRow("birth date of 10,000 characters") << name << longText(10000) << name;
    QTest::newRow("birth date in chinese") << name << QStringLiteral("一九九〇年") << name;
    QTest::newRow("birth date emoji") << name << QStringLiteral("🎂 1990") << name;
    QTest::newRow("statement in birth date")
        << name << QStringLiteral("1990'; DROP TABLE Biodata; --") << name;
}

void TestBadInput::namesAndBirthDates()
{
    QFETCH(QString, name);
    QFETCH(QString, birthDate);
    QFETCH(QString, listed);

    testapp::FreshDatabase file;
    testapp::Session session;
    testfiles::addPatient(1, QStringLiteral("Ali"));
    MsgBoxRecorder messages;
    menuNew();
    fillRegistration(name, true, birthDate);
    QCOMPARE(control<QLineEdit>(registration(), "txtNama")->text(), name);
    QCOMPARE(control<QLineEdit>(registration(), "txtTL")->text(), birthDate);
    clickEnter();
    QCOMPARE(session.endCount(), 0);

    const QList<testfiles::Patient> stored = testfiles::patients();
    QCOMPARE(messages.prompts(), QStringList());
    QVERIFY(!registration().IsLoaded());
    QCOMPARE(Module1::CurrentPatientId, QStringLiteral("2"));
    QCOMPARE(Module1::CurrentUserName, name);

    // Through the database layer: both rows, the new one as typed.
    QCOMPARE(stored.size(), 2);
    QCOMPARE(stored[0].name.toString(), QStringLiteral("Ali"));
    QCOMPARE(stored[1].id.toInt(), 2);
    QCOMPARE(stored[1].name.toString(), name);
    QCOMPARE(stored[1].birthDate.toString(), birthDate);

    // In the file itself: the UTF-8 bytes typed, nothing added or escaped.
    QString error;
    const QString bytes = storedBytes(2, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(bytes, hexOf(name) + QLatin1Char('|') + hexOf(birthDate));

    // And listed back, trimmed, under its id.
    menuOpen();
    FlexGrid *grid = control<FlexGrid>(patientList(), "MSFlexGrid1");
    QCOMPARE(grid->Rows(), 4);
    QCOMPARE(grid->TextMatrix(1, 1), QStringLiteral("Ali"));
    QCOMPARE(grid->TextMatrix(2, 0), QStringLiteral("2"));
    QCOMPARE(grid->TextMatrix(2, 1), listed);
}

MERIVEX_TEST_MAIN(TestBadInput)
#include "tst_bad_input.moc"
