#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmmsg;
}

// The information-tip window: one message, modal, a fresh instance each time.
class FrmMsg : public QDialog
{
    Q_OBJECT

public:
    explicit FrmMsg(QWidget *owner = nullptr);
    ~FrmMsg() override;

    void setMessage(const QString &message);
    QString message() const;

private:
    std::unique_ptr<Ui::frmmsg> m_ui;
};
