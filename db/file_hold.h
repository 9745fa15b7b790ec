#pragma once
// Holding a patient file the way a running application holds it, whatever
// the file holds: no other process opens it until the hold goes. Its bytes
// are read through the held handle, since closing any other descriptor of
// the file would drop this process's locks on it.
#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_file;

namespace merivex
{

class FileHold
{
public:
    // Error 3024 when there is no file at path, 3049 when it is no file,
    // 3045 while another process holds it.
    explicit FileHold(const QString &path);
    ~FileHold();
    FileHold(const FileHold &) = delete;
    FileHold &operator=(const FileHold &) = delete;

    QByteArray contents() const; // Error 3043 when it cannot be read

private:
    QString m_path;
    sqlite3 *m_db = nullptr;
    sqlite3_file *m_file = nullptr;
};

} // namespace merivex
