#include "app/TrayTipField.h"

TrayTipField::TrayTipField(const QString &text)
    : m_field(text.left(Size))
{
    if (m_field.size() < Size)
        m_field.append(QChar(u'\0'));
    m_field = m_field.leftJustified(Size, QLatin1Char(' '));
}

QString TrayTipField::displayedText() const
{
    const qsizetype end = m_field.indexOf(QChar(u'\0'));
    return end < 0 ? m_field : m_field.left(end);
}
