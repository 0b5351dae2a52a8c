#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmmsg;
}

// The information-tip window: one message, modal, a fresh instance each time.
// The design size holds every message of the error table; a message with its
// cause on a line below may need more lines, and the window grows down to
// show them all.
class FrmMsg : public QDialog
{
    Q_OBJECT

public:
    explicit FrmMsg(QWidget *owner = nullptr);
    ~FrmMsg() override;

    void setMessage(const QString &message);
    QString message() const;

private:
    void fitMessage();

    std::unique_ptr<Ui::frmmsg> m_ui;
    QSize m_designSize;
    int m_designLabelHeight = 0;
    QPoint m_designButtonPosition;
};
