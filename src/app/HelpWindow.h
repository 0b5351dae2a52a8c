#pragma once

#include <QWidget>

// The help document, read-only, in a maximised window of the program's own:
// what Shift+F1 opens where the external help viewer is not installed.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *owner = nullptr);
};
