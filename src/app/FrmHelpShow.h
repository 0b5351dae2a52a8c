#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class HelpWindow;
class ProcessLauncher;

namespace Ui {
class FrmHelpShow;
}

// The help panel: the fixed help document in a read-only box. Shift+F1 in
// the box starts the external help viewer "hh.exe" on "help.chm", both
// expected in the program's folder; where that viewer is not installed, it
// opens the same document in a maximised window of the program's own.
class FrmHelpShow : public QWidget
{
    Q_OBJECT

public:
    explicit FrmHelpShow(ProcessLauncher &launcher, QWidget *parent = nullptr);
    ~FrmHelpShow() override;

    // The folder in which the viewer and its help file are looked for; the
    // program's own folder unless set.
    void setProgramFolder(const QString &folder);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rtxhelp_KeyDown(int key, Qt::KeyboardModifiers shift);
    void loadHelpDocument();
    void showHelpWindow();

    std::unique_ptr<Ui::FrmHelpShow> m_ui;
    ProcessLauncher &m_launcher;
    QString m_programFolder;
    QPointer<HelpWindow> m_helpWindow;
};
