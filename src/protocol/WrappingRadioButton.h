#pragma once

#include <QRadioButton>

// An option button whose caption wraps onto further lines within its fixed
// size, as the wireless panel's long command captions need; a plain
// QRadioButton would cut them to their first few characters.
class WrappingRadioButton : public QRadioButton
{
    Q_OBJECT

public:
    using QRadioButton::QRadioButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};
