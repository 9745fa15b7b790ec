#pragma once
// What every window test needs: a QApplication set up like the real one, a
// fresh database file where the application looks for it, and a clean run
// of Sub Main per test.
#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <QTest>

#include <QDate>

#include <memory>
#include <optional>

namespace testapp
{

// Merivex.mdb beside the test executable: the file the application opens.
QString databaseFile();

// For its lifetime a new, empty database file (both tables) lies at
// databaseFile(); any file left there before is replaced, and it is removed
// again at the end.
class FreshDatabase
{
public:
    FreshDatabase();
    ~FreshDatabase();
    FreshDatabase(const FreshDatabase &) = delete;
    FreshDatabase &operator=(const FreshDatabase &) = delete;

    QString path() const { return databaseFile(); }
};

// Sub Main for one test: Module1 emptied, End recorded instead of quitting,
// the main window shown. The destructor discards every window and empties
// the shared state again.
class Session
{
public:
    Session();
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // How often End (or the last window closing) would have ended the run.
    int endCount() const { return *m_ends; }

private:
    std::shared_ptr<int> m_ends;
};

// What a window test's init() sets up and its cleanup() undoes: the British
// locale (day/month/year, "/"), today fixed when given, and with withFile a
// fresh database file and a clean Sub Main. Afterwards the locale is C again
// and today comes from the clock.
class Surroundings
{
public:
    explicit Surroundings(bool withFile, std::optional<QDate> today = std::nullopt);
    ~Surroundings();
    Surroundings(const Surroundings &) = delete;
    Surroundings &operator=(const Surroundings &) = delete;

    // How often End would have ended the run (0 without a session).
    int endCount() const { return m_session ? m_session->endCount() : 0; }

private:
    std::optional<FreshDatabase> m_file;
    std::optional<Session> m_session;
};

// Opens the fresh file the standard way into Module1::PatientDatabase, as a
// window that opens the database would.
void openPatientDatabase();

// Creates the QApplication, runs InitApplication and then the test object.
int run(QObject &test, int argc, char **argv);

} // namespace testapp

// main() of a test executable: MERIVEX_TEST_MAIN(TestClass)
#define MERIVEX_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        TestClass test;                                                                            \
        return testapp::run(test, argc, argv);                                                     \
    }
