#include "classic/msgbox.h"

#include "db/errors.h"

#include <QApplication>
#include <QMessageBox>
#include <new>

namespace
{
MsgBoxRecorder *recorder = nullptr;

QMessageBox::Icon iconOf(int buttons)
{
    switch (buttons & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    case vbQuestion:
        return QMessageBox::Question;
    default:
        return QMessageBox::NoIcon;
    }
}
} // namespace

QString AppTitle()
{
    return QStringLiteral("MerivexDemo");
}

int MsgBox(const QString &prompt, int buttons, const QString &title)
{
    const QString caption = title.isEmpty() ? AppTitle() : title;
    const bool question = (buttons & 0x7) == vbYesNo;
    if (recorder) {
        recorder->m_messages.append({prompt, buttons, caption});
        if (recorder->m_answer)
            return recorder->m_answer;
        return question ? vbNo : vbOK;
    }
    QMessageBox box(iconOf(buttons), caption, prompt,
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    if (question) {
        // A slip of the Enter key must not confirm a deletion.
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    }
    box.exec();
    if (!question)
        return vbOK;
    return box.clickedButton() == box.button(QMessageBox::Yes) ? vbYes : vbNo;
}

void ReportError(int number, const QString &description)
{
    MsgBox(QStringLiteral("Run-time error '%1':\n\n%2").arg(number).arg(description), vbCritical);
}

bool Guarded(const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const merivex::Error &error) {
        ReportError(error.number(), error.description());
    } catch (const std::bad_alloc &) {
        ReportError(merivex::ErrorNumber::OutOfMemory, QStringLiteral("Out of memory"));
    } catch (const std::exception &failure) {
        ReportError(
            merivex::ErrorNumber::InternalError,
            QStringLiteral("Internal error: %1").arg(QString::fromLocal8Bit(failure.what())));
    }
    return false;
}

MsgBoxRecorder::MsgBoxRecorder() : m_previous(recorder)
{
    recorder = this;
}
MsgBoxRecorder::~MsgBoxRecorder()
{
    recorder = m_previous;
}

QStringList MsgBoxRecorder::prompts() const
{
    QStringList list;
    for (const ShownMessage &m : m_messages)
        list.append(m.prompt);
    return list;
}
