#pragma once

#include <QString>

#include <stdexcept>

namespace oxeln {

// A failure of the settings file. The message is French and exact; whoever
// shows it adds the final "." when needed.
class SettingsError : public std::runtime_error
{
public:
    explicit SettingsError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }

    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace oxeln
