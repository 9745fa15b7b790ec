#pragma once
// The error the windows and their controls raise themselves (a grid position
// out of range, a connection used before any was opened), numbered and
// described as the runtime reports it. The database layer raises its own,
// merivex::Error; both end only the handler that met them (Guarded).
#include <QString>

#include <stdexcept>

class RuntimeError : public std::runtime_error
{
public:
    RuntimeError(int number, const QString &description)
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description)
    {
    }
    int number() const { return m_number; }
    const QString &description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};
