#pragma once
// The lock-holder helper as another process that opens a patient file and
// keeps it open, as a running application does.
#include <QProcess>
#include <QString>

// Started on path (LOCK_HOLDER is the helper's path), it answers "opened"
// or "error N"; given a patient name it first stores that patient.
class OtherProcess
{
public:
    explicit OtherProcess(const QString &path, const QString &patient = {})
    {
        m_process.setProgram(QStringLiteral(LOCK_HOLDER));
        m_process.setArguments(patient.isEmpty() ? QStringList{path} : QStringList{path, patient});
        m_process.start();
        m_process.waitForStarted();
        m_process.waitForReadyRead(10000);
        m_answer = QString::fromLatin1(m_process.readLine()).trimmed();
    }
    ~OtherProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    const QString &answer() const { return m_answer; }
    bool exitsAtEndOfInput()
    {
        m_process.closeWriteChannel();
        return m_process.waitForFinished(10000) && m_process.exitCode() == 0;
    }
    void killHard() // SIGKILL: no destructor, no unlock
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
    QString m_answer;
};
