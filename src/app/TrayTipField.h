#pragma once

#include <QString>

// The tooltip of the tray icon as the notification record holds it: a field
// of 64 characters with the text and a terminating NUL at its start and
// blanks after it. A text of 64 characters or more fills the whole field and
// carries no NUL. The tip the tray shows is the field up to the NUL.
class TrayTipField
{
public:
    static constexpr qsizetype Size = 64;

    explicit TrayTipField(const QString &text);

    const QString &field() const { return m_field; }
    QString displayedText() const;

private:
    QString m_field;
};
