#include "faults.h"

#include "testapp.h"

#include "app/module1.h"
#include "db/dao.h"
#include "db/database_file.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <csignal>
#include <unistd.h>

namespace faults
{

namespace
{
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void releaseConnections()
{
    Module1::PatientRecordset.reset();
    Module1::PatientDatabase.reset();
}

void must(bool ok, const char *what)
{
    if (!ok)
        qFatal("fault: cannot %s", what);
}
} // namespace

const char *name(Kind kind)
{
    // In the order of Kind.
    static const char *const names[] = {"file missing",
                                        "wrong password",
                                        "random bytes",
                                        "text file",
                                        "truncated",
                                        "held by another process",
                                        "disk full (page limit)",
                                        "disk full (file size limit)",
                                        "directory instead of file",
                                        "log cannot be created",
                                        "file removed while open"};
    return names[int(kind)];
}

Fault::Fault(Kind kind) : m_kind(kind)
{
    apply();
}

Fault::~Fault()
{
    remove();
}

QString Fault::path() const
{
    return testapp::databaseFile();
}

QString Fault::aside() const
{
    return path() + QStringLiteral(".aside");
}

void Fault::apply()
{
    const QString file = path();
    const QByteArray native = QFile::encodeName(file);
    switch (m_kind) {
    case Kind::Missing:
    case Kind::WrongPassword:
    case Kind::RandomBytes:
    case Kind::TextFile:
    case Kind::Directory:
        releaseConnections();
        must(!QFile::exists(file + QStringLiteral("-wal")), "replace a file still in use");
        must(QFile::rename(file, aside()), "set the file aside");
        break;
    default:
        break;
    }
    switch (m_kind) {
    case Kind::Missing:
        break;
    case Kind::WrongPassword:
        merivex::createPatientDatabase(file, QStringLiteral(";PWD=not-vexo"));
        break;
    case Kind::RandomBytes: {
        QByteArray bytes(5000, Qt::Uninitialized);
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()),
                                              bytes.size() / 4);
        writeFile(file, bytes);
        break;
    }
    case Kind::TextFile:
        writeFile(file, QByteArray("Patients to call back on Monday:\nAli, Siti.\n").repeated(40));
        break;
    case Kind::Truncated: {
        QFile f(file);
        must(f.open(QIODevice::ReadWrite), "open the file");
        m_bytes = f.readAll();
        must(m_bytes.size() > 2048, "find a second page");
        must(f.resize(1024 + 512), "cut the file");
        break;
    }
    case Kind::HeldByOther:
        releaseConnections();
        m_holder = std::make_unique<QProcess>();
        m_holder->start(QStringLiteral(LOCK_HOLDER), {file});
        must(m_holder->waitForStarted() && m_holder->waitForReadyRead(10000), "start the holder");
        must(m_holder->readLine().trimmed() == "opened", "let the holder open the file");
        break;
    case Kind::DiskFullPages: {
        must(Module1::PatientDatabase != nullptr, "find the window's connection");
        merivex::Database &db = *Module1::PatientDatabase;
        const QString pages = db.value(QStringLiteral("PRAGMA page_count")).toString();
        db.value(QStringLiteral("PRAGMA max_page_count=") + pages);
        break;
    }
    case Kind::DiskFullFileSize: {
        m_sigxfsz = std::signal(SIGXFSZ, SIG_IGN);
        must(getrlimit(RLIMIT_FSIZE, &m_limit) == 0, "read the file size limit");
        rlimit none = m_limit;
        none.rlim_cur = 0;
        must(setrlimit(RLIMIT_FSIZE, &none) == 0, "limit the file size");
        break;
    }
    case Kind::Directory:
        must(QDir().mkdir(file), "make the directory");
        break;
    case Kind::JournalBlocked:
        releaseConnections();
        must(QDir().mkdir(file + QStringLiteral("-wal")), "block the log");
        break;
    case Kind::MovedAway:
        // A second name keeps the file's contents for the way back.
        must(::link(native.constData(), QFile::encodeName(aside()).constData()) == 0,
             "link the file aside");
        must(::unlink(native.constData()) == 0, "remove the file");
        break;
    }
    m_active = true;
}

void Fault::remove()
{
    if (!m_active)
        return;
    m_active = false;
    const QString file = path();
    switch (m_kind) {
    case Kind::Missing:
        break;
    case Kind::WrongPassword:
    case Kind::RandomBytes:
    case Kind::TextFile:
        QFile::remove(file);
        break;
    case Kind::Truncated:
        writeFile(file, m_bytes);
        return;
    case Kind::HeldByOther:
        if (m_holder) {
            m_holder->closeWriteChannel();
            if (!m_holder->waitForFinished(10000))
                m_holder->kill();
            m_holder->waitForFinished();
            m_holder.reset();
        }
        return;
    case Kind::DiskFullPages:
        if (Module1::PatientDatabase)
            Module1::PatientDatabase->value(QStringLiteral("PRAGMA max_page_count=1073741823"));
        return;
    case Kind::DiskFullFileSize:
        setrlimit(RLIMIT_FSIZE, &m_limit);
        std::signal(SIGXFSZ, m_sigxfsz);
        return;
    case Kind::Directory:
        QDir().rmdir(file);
        break;
    case Kind::JournalBlocked:
        QDir().rmdir(file + QStringLiteral("-wal"));
        return;
    case Kind::MovedAway:
        break;
    }
    if (QFile::exists(aside()))
        must(::rename(QFile::encodeName(aside()).constData(),
                      QFile::encodeName(file).constData()) == 0,
             "put the file back");
}

} // namespace faults
