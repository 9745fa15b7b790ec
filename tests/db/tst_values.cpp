// Display text, 16-bit ids, the id check of the spliced statements, and the
// types values are bound with.
#include "db/dao.h"
#include "db/display_text.h"
#include "db/int16.h"
#include "db/statements.h"

#include "patientfile.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

using namespace merivex;
using testfiles::errorNumber;

class TestValues : public QObject
{
    Q_OBJECT

private slots:
    void displayText_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("null") << QVariant() << QString();
        QTest::newRow("null text") << QVariant(QMetaType::fromType<QString>()) << QString();
        QTest::newRow("integer") << QVariant(qint64(8)) << "8";
        QTest::newRow("negative integer") << QVariant(qint64(-32768)) << "-32768";
        QTest::newRow("bmi 65/1.7^2") << QVariant(65 / (1.7 * 1.7)) << "22.4913494809689";
        QTest::newRow("whole double") << QVariant(23.0) << "23";
        QTest::newRow("half") << QVariant(22.5) << "22.5";
        QTest::newRow("negative zero") << QVariant(-0.0) << "0";
        QTest::newRow("tenth") << QVariant(0.1) << "0.1";
        QTest::newRow("infinity") << QVariant(-std::numeric_limits<double>::infinity()) << "-inf";
        QTest::newRow("not a number")
            << QVariant(std::numeric_limits<double>::quiet_NaN()) << "nan";
        QTest::newRow("text with blanks") << QVariant(QStringLiteral("  Ann Lee  ")) << "Ann Lee";
        QTest::newRow("blanks only") << QVariant(QStringLiteral("   ")) << "";
        QTest::newRow("tab is no blank") << QVariant(QStringLiteral("\tX ")) << "\tX";
        QTest::newRow("apostrophe") << QVariant(QStringLiteral("O'Brien")) << "O'Brien";
    }
    void displayText()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QCOMPARE(merivex::displayText(value), text);
    }

    // The history writes doubles with its own conversion; it must give the
    // text Qt's 15-digit form gives, over every magnitude, for quotients and
    // for values exactly halfway between two 15-digit texts.
    void doubleTextAsQt()
    {
        QList<double> values = {65 / (1.7 * 1.7),
                                1e15,
                                1e16,
                                123456789012345678.0,
                                1e-4,
                                1e-5,
                                0.000123,
                                1e300,
                                5e-324,
                                1e21,
                                2.5,
                                std::numeric_limits<double>::max(),
                                1234567890123455,
                                12345678901234.5,
                                1234567890123445.0,
                                12345678901234450.0,
                                0.1 + 0.2};
        QRandomGenerator random(20240607);
        for (int i = 0; i < 20000; ++i) {
            const double mantissa = random.generateDouble() * 10;
            values.append(std::ldexp(mantissa, random.bounded(-1070, 1020)));
            values.append(-std::ldexp(mantissa, random.bounded(-60, 60)));
            values.append(random.bounded(30, 200) / std::pow(random.bounded(100, 250) / 100.0, 2));
        }
        for (qint64 ties = 1000000000000005; ties < 1000000000000005 + 2000; ties += 10)
            values.append(double(ties)); // 16 digits ending in 5: exactly halfway
        for (int i = 0; i < 20000; ++i) {
            // Next to halfway points and to powers of ten, at every magnitude
            // the history can show.
            const double m = double(random.bounded(100000000, 999999999)) * 1e6 +
                             random.bounded(0, 999999) + 0.5;
            const double near = m * std::pow(10.0, random.bounded(-20, 1));
            values << near << std::nextafter(near, 0.0) << std::nextafter(near, 1e300);
            const double power = std::pow(10.0, random.bounded(-6, 17));
            values << power << std::nextafter(power, 0.0) << std::nextafter(power, 1e300)
                   << power * 0.99999999999999994 << power * 9.9999999999999996;
        }
        for (double v : values)
            QCOMPARE(merivex::displayText(QVariant(v)), QString::number(v, 'g', 15));
    }

    void toInt16_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("error");
        QTest::newRow("integer") << QVariant(qint64(7)) << 7 << 0;
        QTest::newRow("largest") << QVariant(qint64(32767)) << 32767 << 0;
        QTest::newRow("smallest") << QVariant(qint64(-32768)) << -32768 << 0;
        QTest::newRow("whole double") << QVariant(8.0) << 8 << 0;
        QTest::newRow("text") << QVariant(QStringLiteral(" 8 ")) << 8 << 0;
        QTest::newRow("one past") << QVariant(qint64(32768)) << 0 << 6;
        QTest::newRow("one below") << QVariant(qint64(-32769)) << 0 << 6;
        QTest::newRow("unsigned past") << QVariant(quint64(40000)) << 0 << 6;
        QTest::newRow("text past") << QVariant(QStringLiteral("32768")) << 0 << 6;
        QTest::newRow("fraction") << QVariant(7.5) << 0 << 13;
        QTest::newRow("null") << QVariant() << 0 << 13;
        QTest::newRow("empty text") << QVariant(QString()) << 0 << 13;
        QTest::newRow("letters") << QVariant(QStringLiteral("x")) << 0 << 13;
        QTest::newRow("nan") << QVariant(std::numeric_limits<double>::quiet_NaN()) << 0 << 13;
    }
    void toInt16()
    {
        QFETCH(QVariant, value);
        QFETCH(int, expected);
        QFETCH(int, error);
        qint16 result = 0;
        QCOMPARE(errorNumber([&] { result = merivex::toInt16(value); }), error);
        QCOMPARE(int(result), expected);
    }

    void addInt16()
    {
        QCOMPARE(merivex::addInt16(0, 1), qint16(1));
        QCOMPARE(merivex::addInt16(32766, 1), qint16(32767));
        QCOMPARE(errorNumber([] { merivex::addInt16(32767, 1); }), 6);
        QCOMPARE(errorNumber([] { merivex::addInt16(-32768, -1); }), 6);
        QCOMPARE(errorNumber([] { merivex::addInt16(0, 70000); }), 6);
    }

    // A bound value keeps its kind: an integer of any width, and bool, is an
    // integer to the engine, not a text that merely looks like one.
    void bindKeepsTheKind_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("text");
        QTest::newRow("int") << QVariant(7) << "integer"
                             << "7";
        QTest::newRow("qint16") << QVariant::fromValue(qint16(-32768)) << "integer"
                                << "-32768";
        QTest::newRow("uint") << QVariant(4000000000u) << "integer"
                              << "4000000000";
        QTest::newRow("bool") << QVariant(true) << "integer"
                              << "1";
        QTest::newRow("float") << QVariant(0.5f) << "real"
                               << "0.5";
        QTest::newRow("unsigned past the range")
            << QVariant(quint64(std::numeric_limits<quint64>::max())) << "text"
            << "18446744073709551615";
        QTest::newRow("text of digits") << QVariant(QStringLiteral("7")) << "text"
                                        << "7";
    }
    void bindKeepsTheKind()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, type);
        QFETCH(QString, text);
        QTemporaryDir dir;
        auto db = testfiles::open(testfiles::createDatabase(dir));
        Statement statement = db->prepare(QStringLiteral("SELECT typeof(?1), CAST(?1 AS TEXT)"));
        statement.bind(1, value);
        QVERIFY(statement.step());
        QCOMPARE(statement.column(0).toString(), type);
        QCOMPARE(statement.column(1).toString(), text);
    }

    // An id is spliced into D and E: only a whole 16-bit number may pass.
    void statementsRefuseBadIds_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("error");
        QTest::newRow("id") << "8" << 0;
        QTest::newRow("negative") << "-3" << 0;
        QTest::newRow("largest") << "32767" << 0;
        QTest::newRow("empty") << "" << 13;
        QTest::newRow("minus only") << "-" << 13;
        QTest::newRow("letters") << "abc" << 13;
        QTest::newRow("blank") << " 8" << 13;
        QTest::newRow("decimal") << "8.0" << 13;
        QTest::newRow("wildcard") << "%" << 13;
        QTest::newRow("injection") << "1 or 1=1" << 13;
        QTest::newRow("second statement") << "1; DROP TABLE Biodata" << 13;
        QTest::newRow("arabic-indic digit") << QString(QChar(0x0664)) << 13;
        QTest::newRow("too large") << "32768" << 6;
        QTest::newRow("far too large") << "99999999999999999999999" << 6;
    }
    void statementsRefuseBadIds()
    {
        QFETCH(QString, id);
        QFETCH(int, error);
        QString d;
        QCOMPARE(errorNumber([&] { d = Sql::patientHistory(id); }), error);
        if (error == 0)
            QVERIFY(d.contains(QStringLiteral(" Like ") + id + QStringLiteral(" and ")));
    }
};

QTEST_APPLESS_MAIN(TestValues)
#include "tst_values.moc"
