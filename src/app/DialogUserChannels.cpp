#include "app/DialogUserChannels.h"

#include "app/FrmMsg.h"

#include <QLabel>
#include <QMessageBox>

namespace {

// Buttons in the order the classic encoding names them; the answer codes are
// the classic ones too.
QList<QMessageBox::StandardButton> buttonsFor(int style)
{
    switch (style & 0xF) {
    case 1:
        return { QMessageBox::Ok, QMessageBox::Cancel };
    case 2:
        return { QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore };
    case 3:
        return { QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel };
    case 4:
        return { QMessageBox::Yes, QMessageBox::No };
    case 5:
        return { QMessageBox::Retry, QMessageBox::Cancel };
    default:
        return { QMessageBox::Ok };
    }
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0x70) {
    case 16:
        return QMessageBox::Critical;
    case 32:
        return QMessageBox::Question;
    case 48:
        return QMessageBox::Warning;
    case 64:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int answerCode(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return 2;
    case QMessageBox::Abort:
        return 3;
    case QMessageBox::Retry:
        return 4;
    case QMessageBox::Ignore:
        return 5;
    case QMessageBox::Yes:
        return 6;
    case QMessageBox::No:
        return 7;
    default:
        return 1;
    }
}

} // namespace

void DialogUserChannels::ShowStatusText(const QString &text)
{
    if (m_statusCell)
        m_statusCell->setText(text);
}

int DialogUserChannels::messageBox(const QString &prompt, int style, const QString &title)
{
    QMessageBox box(iconFor(style), title, prompt, QMessageBox::NoButton, m_owner);
    const QList<QMessageBox::StandardButton> buttons = buttonsFor(style);
    for (QMessageBox::StandardButton button : buttons)
        box.addButton(button);
    const int defaultIndex = (style >> 8) & 0x3;
    box.setDefaultButton(buttons.value(defaultIndex, buttons.first()));
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    return answerCode(clicked == QMessageBox::NoButton ? buttons.last() : clicked);
}

void DialogUserChannels::showInformationTip(const QString &message)
{
    FrmMsg window(m_owner);
    window.setMessage(message);
    window.exec();
}
