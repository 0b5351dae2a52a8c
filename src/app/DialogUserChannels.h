#pragma once

#include "interfaces/UserChannels.h"

#include <QLabel>
#include <QPointer>

// The real user channels: a status cell of the main window, QMessageBox for
// the message boxes, and the information-tip window.
class DialogUserChannels : public UserChannels
{
public:
    void setOwner(QWidget *owner) { m_owner = owner; }
    void setStatusCell(QLabel *cell) { m_statusCell = cell; }

    void ShowStatusText(const QString &text) override;
    int messageBox(const QString &prompt, int style, const QString &title) override;
    void showInformationTip(const QString &message) override;

private:
    QPointer<QWidget> m_owner;
    QPointer<QLabel> m_statusCell;
};
