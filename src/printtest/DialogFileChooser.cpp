#include "printtest/DialogFileChooser.h"

#include <QFileDialog>

namespace {

// "description|pattern|description|pattern" becomes Qt's
// "description (pattern)" entries.
QStringList qtFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() % 2 != 0)
        return { filter };
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        filters.append(parts.at(i) + QLatin1String(" (") + parts.at(i + 1) + QLatin1Char(')'));
    return filters;
}

} // namespace

QString DialogFileChooser::ChooseTextFile(const QString &filter)
{
    return QFileDialog::getOpenFileName(
        m_owner, QString(), QString(), qtFilters(filter).join(QLatin1String(";;")));
}

QString DialogFileChooser::ChooseSaveFile(const QString &filter, int &filterIndex)
{
    const QStringList filters = qtFilters(filter);
    QString chosen;
    const QString path = QFileDialog::getSaveFileName(
        m_owner, QString(), QString(), filters.join(QLatin1String(";;")), &chosen);
    filterIndex = int(filters.indexOf(chosen)) + 1;
    return path;
}
