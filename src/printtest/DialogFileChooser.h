#pragma once

#include "interfaces/FileChooser.h"

#include <QPointer>

class QWidget;

// The real file-open dialog.
class DialogFileChooser : public FileChooser
{
public:
    void setOwner(QWidget *owner) { m_owner = owner; }

    QString ChooseTextFile(const QString &filter) override;

private:
    QPointer<QWidget> m_owner;
};
