#pragma once

#include "engine/ChannelSearchResult.h"

#include <QWidget>

#include <memory>

class KitEngine;
class KitSurvey;
class QLabel;
class QLineEdit;
class UserChannels;

namespace Ui {
class FrmKitShow;
}

// The kit at a glance, opened from the wireless panel ("套件总览") and when
// a channel search ends: the search's channel map, a survey of where
// printers 1-4 answer, and the move of the whole kit to a new channel. The
// jobs are the engine's (KitSurvey, KitMove); this window starts and stops
// them and shows what they report. While one runs, the engine's gate holds
// the other panels' commands.
class FrmKitShow : public QWidget
{
    Q_OBJECT

public:
    FrmKitShow(KitEngine &engine, UserChannels &channels, QWidget *parent = nullptr);
    ~FrmKitShow() override;

    // Shows the map of a search that has ended, and the window.
    void showSearch(const ChannelSearchResult &result);

protected:
    // Closing the window stops a survey: the host goes back to its channel.
    void closeEvent(QCloseEvent *event) override;

private:
    void CmdSurvey_Click();
    void CmdSurveyStop_Click();
    void CmdMove_Click();
    void offerChannel(int channel);
    // No transmission or job is under way; otherwise the user is told why
    // the job waits.
    bool lineIsFree();
    void showJobRunning(bool running);
    void showLegend();
    std::optional<int> checkedChannel(QLineEdit *box);
    static void showResult(QLabel *label, const QString &text, bool good);

    std::unique_ptr<Ui::FrmKitShow> m_ui;
    KitEngine &m_engine;
    UserChannels &m_channels;
    KitSurvey *m_survey = nullptr;
};
