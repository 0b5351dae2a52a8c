#pragma once

#include <QDialog>

#include <memory>
#include <optional>

class QLineEdit;
class UserChannels;

namespace Ui {
class frmSetting;
}

// The channel search's range dialog. It opens with "0" and "20" every time;
// confirming checks both boxes, announces the range and closes. Closing it
// any other way announces nothing.
class FrmSetting : public QDialog
{
    Q_OBJECT

public:
    explicit FrmSetting(UserChannels &channels, QWidget *owner = nullptr);
    ~FrmSetting() override;

    // A channel as the user may type it: digits only, 0 to 124.
    static std::optional<quint8> parseChannel(const QString &text);

signals:
    void rangeConfirmed(quint8 first, quint8 last);

private:
    void Command1_Click();
    std::optional<quint8> checkedChannel(QLineEdit *box);

    std::unique_ptr<Ui::frmSetting> m_ui;
    UserChannels &m_channels;
};
