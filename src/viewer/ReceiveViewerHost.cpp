#include "viewer/ReceiveViewerHost.h"

#include "interfaces/FileChooser.h"
#include "interfaces/UserChannels.h"
#include "viewer/FrmReceiveShow.h"
#include "viewer/ReceiveRecording.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A name typed with the other filter's suffix means that one's format: a
// ".log" full of raw bytes is not what anyone typing it wants.
ReceiveRecording::Format formatFor(const QString &path, int filter)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("log"))
        return ReceiveRecording::Format::TimedLog;
    if (suffix == QLatin1String("bin"))
        return ReceiveRecording::Format::Raw;
    return filter == 2 ? ReceiveRecording::Format::TimedLog : ReceiveRecording::Format::Raw;
}

} // namespace

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
        connect(m_viewer.data(), &FrmReceiveShow::recordRequested, this, &ReceiveViewerHost::startRecording);
        connect(
            m_viewer.data(), &FrmReceiveShow::stopRecordRequested, this, &ReceiveViewerHost::stopRecording);
        if (m_recording)
            m_viewer->showRecording(m_recording->path());
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
    viewer().setCaption(caption);
    showViewer();
}

void ReceiveViewerHost::appendReceived(QByteArrayView bytes)
{
    if (m_recording)
        m_recording->record(bytes);
    viewer().appendReceived(bytes);
}

void ReceiveViewerHost::startRecording()
{
    if (m_recording)
        return;
    int filter = 1;
    const QString path
        = m_files.ChooseSaveFile(QStringLiteral("原始数据(bin)|*.bin|带时间的记录(log)|*.log"), filter);
    if (path.isEmpty())
        return;
    auto recording = std::make_unique<ReceiveRecording>(
        path, formatFor(path, filter), ViewerNotation(viewer().DisplayMode()));
    const QString reason = recording->open();
    if (!reason.isEmpty()) {
        m_channels.ShowTip(
            QStringLiteral("无法记录到文件：%1\n%2").arg(QDir::toNativeSeparators(path), reason), 0);
        return;
    }
    // The failure is told from the event loop: a write fails deep in the
    // receive path, which must not wait there for the user to answer.
    connect(recording.get(), &ReceiveRecording::failed, this, &ReceiveViewerHost::recordingFailed,
        Qt::QueuedConnection);
    m_recording = std::move(recording);
    viewer().showRecording(path);
}

void ReceiveViewerHost::stopRecording()
{
    if (!m_recording)
        return;
    const QString path = m_recording->path();
    const QString reason = finishRecording();
    if (!reason.isEmpty())
        m_channels.ShowTip(
            QStringLiteral("记录文件写入失败：%1\n%2").arg(QDir::toNativeSeparators(path), reason), 0);
}

QString ReceiveViewerHost::finishRecording()
{
    if (!m_recording)
        return QString();
    const QString reason = m_recording->stop();
    endRecording();
    return reason;
}

void ReceiveViewerHost::recordingFailed(const QString &reason)
{
    // Stopped by the user while the failure was on its way: told then.
    if (!m_recording || m_recording->isRecording())
        return;
    const QString path = m_recording->path();
    endRecording();
    m_channels.ShowTip(
        QStringLiteral("记录文件写入失败，记录已停止：%1\n%2").arg(QDir::toNativeSeparators(path), reason),
        0);
}

void ReceiveViewerHost::endRecording()
{
    m_recording.reset();
    if (m_viewer)
        m_viewer->showRecording(QString());
}

// A closed viewer is already on its way out (it deletes itself once control
// returns to the event loop); whatever touches the viewer before then must
// get a fresh one.
void ReceiveViewerHost::forgetViewer()
{
    m_viewer.clear();
}
