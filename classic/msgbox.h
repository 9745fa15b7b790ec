#pragma once
// Every message of the application goes through here: prompt, icon style,
// an OK button (or Yes and No for a question), caption "MerivexDemo" unless
// one is given. Tests record what would have been shown, and answer it,
// instead of blocking on a modal dialog.
#include <QList>
#include <QString>
#include <functional>

constexpr int vbOKOnly = 0;
constexpr int vbYesNo = 4;
constexpr int vbQuestion = 32;
constexpr int vbCritical = 16;
constexpr int vbExclamation = 48;
constexpr int vbInformation = 64;

// The application's title, the caption of every message box without its own.
QString AppTitle();

// The button pressed; Yes and No boxes start on No, and Esc answers No.
constexpr int vbOK = 1, vbYes = 6, vbNo = 7;
int MsgBox(const QString &prompt, int buttons = vbOKOnly, const QString &title = QString());

// A failure ends only the action that raised it: it is reported as a critical
// message naming the error's number and description.
void ReportError(int number, const QString &description);

// Runs an action; a failure is reported and false returned.
bool Guarded(const std::function<void()> &action);

struct ShownMessage {
    QString prompt;
    int buttons = vbOKOnly;
    QString title;
};

// While one exists, message boxes are recorded instead of shown.
class MsgBoxRecorder
{
public:
    MsgBoxRecorder();
    ~MsgBoxRecorder();
    MsgBoxRecorder(const MsgBoxRecorder &) = delete;
    MsgBoxRecorder &operator=(const MsgBoxRecorder &) = delete;

    const QList<ShownMessage> &messages() const { return m_messages; }
    QStringList prompts() const;
    void clear() { m_messages.clear(); }
    // The button every later question is answered with; unset, each box
    // gets its default (OK, or No).
    void answer(int button) { m_answer = button; }

private:
    friend int MsgBox(const QString &, int, const QString &);
    QList<ShownMessage> m_messages;
    int m_answer = 0;
    MsgBoxRecorder *m_previous;
};
