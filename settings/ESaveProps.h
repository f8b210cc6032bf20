#pragma once
// The error the persistence component raises; its text is shown to the user as it stands.
#include <QString>

#include <stdexcept>

namespace tamsel {

class ESaveProps : public std::runtime_error {
public:
    explicit ESaveProps(const QString &message) : std::runtime_error(message.toStdString()), message_(message)
    {}
    const QString &Message() const { return message_; }

private:
    QString message_;
};

} // namespace tamsel
