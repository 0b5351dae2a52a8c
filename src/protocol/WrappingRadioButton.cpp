#include "protocol/WrappingRadioButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

void WrappingRadioButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect textArea = style()->subElementRect(QStyle::SE_RadioButtonContents, &option, this);

    // The style draws the indicator and focus; the caption is drawn here so
    // that it may take several lines.
    option.text.clear();
    painter.drawControl(QStyle::CE_RadioButton, option);
    painter.drawItemText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, option.palette,
        isEnabled(), text(), QPalette::WindowText);
}
