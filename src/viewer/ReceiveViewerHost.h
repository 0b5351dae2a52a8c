#pragma once

#include "interfaces/ReceiveSink.h"
#include "interfaces/ReceiveViewer.h"

#include <QObject>
#include <QPointer>

class FileChooser;
class FrmReceiveShow;
class QWidget;
class UserChannels;

// Keeps the single received-data viewer: loads it (hidden) the first time
// anything touches it, and loads a fresh one after the user closed it with
// "退出".
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

private:
    void forgetViewer();

    QWidget *m_owner;
    UserChannels &m_channels;
    FileChooser &m_files;
    QPointer<FrmReceiveShow> m_viewer;
};
