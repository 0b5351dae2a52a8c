#pragma once

#include "interfaces/ReceiveSink.h"
#include "interfaces/ReceiveViewer.h"

#include <QObject>
#include <QPointer>

#include <memory>

class FileChooser;
class FrmReceiveShow;
class ReceiveRecording;
class QWidget;
class UserChannels;

// Keeps the single received-data viewer: loads it (hidden) the first time
// anything touches it, and loads a fresh one after the user closed it with
// "退出". A recording started from the viewer's context menu is kept here,
// beside the viewer rather than in it, so that it goes on through a viewer
// closed and loaded again, as through a device lost and back.
class ReceiveViewerHost : public QObject, public ReceiveSink, public ReceiveViewer
{
    Q_OBJECT

public:
    ReceiveViewerHost(QWidget *owner, UserChannels &channels, FileChooser &files, QObject *parent = nullptr);
    ~ReceiveViewerHost() override;

    // The viewer, loaded hidden if it is not loaded.
    FrmReceiveShow &viewer();
    bool isLoaded() const { return !m_viewer.isNull(); }

    // Shows the viewer modeless over its owner and brings it forward.
    void showViewer();
    void showWithCaption(const QString &caption) override;

    void appendReceived(QByteArrayView bytes) override;

    // "开始记录…": asks for the file, raw bytes or a timed log in the
    // viewer's notation, and records from the next byte received.
    void startRecording();
    // "停止记录": writes what is waiting and closes the file.
    void stopRecording();
    // The same without a tip, for the program's end, when nobody is left to
    // answer a box: the reason the last write failed, or an empty string.
    QString finishRecording();
    const ReceiveRecording *recording() const { return m_recording.get(); }

private:
    void forgetViewer();
    void recordingFailed(const QString &reason);
    void endRecording();

    QWidget *m_owner;
    UserChannels &m_channels;
    FileChooser &m_files;
    QPointer<FrmReceiveShow> m_viewer;
    std::unique_ptr<ReceiveRecording> m_recording;
};
