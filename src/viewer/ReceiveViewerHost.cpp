#include "viewer/ReceiveViewerHost.h"

#include "viewer/FrmReceiveShow.h"

ReceiveViewerHost::ReceiveViewerHost(
    QWidget *owner, UserChannels &channels, FileChooser &files, QObject *parent)
    : QObject(parent)
    , m_owner(owner)
    , m_channels(channels)
    , m_files(files)
{ }

ReceiveViewerHost::~ReceiveViewerHost()
{
    delete m_viewer.data();
}

FrmReceiveShow &ReceiveViewerHost::viewer()
{
    if (m_viewer.isNull()) {
        m_viewer = new FrmReceiveShow(m_channels, m_files, m_owner);
        connect(m_viewer.data(), &FrmReceiveShow::unloaded, this, &ReceiveViewerHost::forgetViewer);
    }
    return *m_viewer;
}

void ReceiveViewerHost::showViewer()
{
    FrmReceiveShow &window = viewer();
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

void ReceiveViewerHost::showWithCaption(const QString &caption)
{
    viewer().setWindowTitle(caption);
    showViewer();
}

void ReceiveViewerHost::appendReceived(QByteArrayView bytes)
{
    viewer().appendReceived(bytes);
}

// A closed viewer is already on its way out (it deletes itself once control
// returns to the event loop); whatever touches the viewer before then must
// get a fresh one.
void ReceiveViewerHost::forgetViewer()
{
    m_viewer.clear();
}
