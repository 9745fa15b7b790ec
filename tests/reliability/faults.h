#pragma once
// Faults put on the patient file (testapp::databaseFile()) while the
// application runs, and taken away again. The good file is kept aside (or
// its bytes kept) so that the removal gives back exactly what was there.
#include <QByteArray>
#include <QProcess>
#include <QString>

#include <memory>

#include <sys/resource.h>

namespace faults
{

enum class Kind {
    Missing,          // no file at the path
    WrongPassword,    // a database with both tables, keyed with another password
    RandomBytes,      // 5,000 random bytes
    TextFile,         // a text file
    Truncated,        // the real file cut in place inside its second page
    HeldByOther,      // another process has the file open
    DiskFullPages,    // the window's connection may not grow the file (max_page_count)
    DiskFullFileSize, // RLIMIT_FSIZE 0 with SIGXFSZ ignored: every write fails
    Directory,        // a directory where the file should be
    JournalBlocked,   // a directory where the write-ahead log must go
    MovedAway,        // the file removed from its folder while a connection is open
};

const char *name(Kind kind);

// Puts the fault in place at construction; removes it at remove() or at
// destruction. Faults that replace the file first release the
// application's own connections (Module1), as the real file could only be
// replaced while the application does not hold it.
class Fault
{
public:
    explicit Fault(Kind kind);
    ~Fault();
    Fault(const Fault &) = delete;
    Fault &operator=(const Fault &) = delete;

    void remove();

private:
    void apply();
    QString path() const;
    QString aside() const;

    Kind m_kind;
    bool m_active = false;
    QByteArray m_bytes;
    std::unique_ptr<QProcess> m_holder;
    rlimit m_limit{};
    void (*m_sigxfsz)(int) = nullptr;
};

} // namespace faults
