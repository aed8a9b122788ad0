#pragma once

#include <QString>

#include <stdexcept>

namespace oxeln {

// An error of a platform layer (printer, files, settings file) that ends the
// user action and is shown in the standard error box. The message is French
// and exact; the box adds the final "." when needed.
class AppError : public std::runtime_error
{
public:
    explicit AppError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }

    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace oxeln
