#include "printtest/DialogFileChooser.h"

#include <QFileDialog>

QString DialogFileChooser::ChooseTextFile(const QString &filter)
{
    // "description|pattern" becomes Qt's "description (pattern)".
    const QStringList parts = filter.split(QLatin1Char('|'));
    const QString qtFilter
        = parts.size() == 2 ? parts.at(0) + QLatin1String(" (") + parts.at(1) + QLatin1Char(')') : filter;
    return QFileDialog::getOpenFileName(m_owner, QString(), QString(), qtFilter);
}
