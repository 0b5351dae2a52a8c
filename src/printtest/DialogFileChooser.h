#pragma once

#include "interfaces/FileChooser.h"

#include <QPointer>

class QWidget;

// The real file dialogs.
class DialogFileChooser : public FileChooser
{
public:
    void setOwner(QWidget *owner) { m_owner = owner; }

    QString ChooseTextFile(const QString &filter) override;
    QString ChooseSaveFile(const QString &filter, int &filterIndex) override;

private:
    QPointer<QWidget> m_owner;
};
