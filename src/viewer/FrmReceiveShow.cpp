#include "viewer/FrmReceiveShow.h"

#include "ui_FrmReceiveShow.h"

#include "interfaces/FileChooser.h"
#include "interfaces/UserChannels.h"
#include "viewer/ReceivedTextFile.h"
#include "viewer/ReceivedTextView.h"

#include <QCloseEvent>
#include <QDir>

namespace {

// The anchoring table of Form_Resize works on the window's outer size, and
// was drawn for a frame 245 twips wider and 400 twips taller than the client
// area (that puts the text box exactly where the form has it). Qt learns a
// window's real frame from the window manager only once it is shown, and a
// hidden viewer has none, so the outer size is the client size plus that
// frame.
constexpr int frameWidthTwips = 245;
constexpr int frameHeightTwips = 400;

int toPixels(int twips)
{
    return qRound(double(twips) / FrmReceiveShow::TwipsPerPixel);
}

} // namespace

FrmReceiveShow::FrmReceiveShow(UserChannels &channels, FileChooser &files, QWidget *owner)
    : QWidget(owner, Qt::Window)
    , m_channels(channels)
    , m_files(files)
    , m_ui(std::make_unique<Ui::frmReceiveShow>())
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(m_ui->Option1, &QRadioButton::clicked, this, &FrmReceiveShow::Option1_Click);
    connect(m_ui->Option2, &QRadioButton::clicked, this, &FrmReceiveShow::Option2_Click);
    connect(m_ui->Option3, &QRadioButton::clicked, this, &FrmReceiveShow::Option3_Click);
    connect(m_ui->Command1, &QPushButton::clicked, this, &FrmReceiveShow::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &FrmReceiveShow::Command2_Click);
    connect(m_ui->RichTextBox1, &ReceivedTextView::saveRequested, this, &FrmReceiveShow::saveToFile);
    connect(m_ui->RichTextBox1, &ReceivedTextView::recordRequested, this, &FrmReceiveShow::recordRequested);
    connect(m_ui->RichTextBox1, &ReceivedTextView::stopRecordRequested, this,
        &FrmReceiveShow::stopRecordRequested);
    m_caption = windowTitle();
    Form_Load();
}

FrmReceiveShow::~FrmReceiveShow() = default;

// The text's notation follows the options as ViewerHexMode does: its tokens
// are hexadecimal exactly while ViewerHexMode is true.
void FrmReceiveShow::appendReceived(QByteArrayView bytes)
{
    m_ui->RichTextBox1->appendReceived(bytes);
}

QString FrmReceiveShow::text() const
{
    return m_ui->RichTextBox1->text();
}

ReceivedTextView &FrmReceiveShow::textView() const
{
    return *m_ui->RichTextBox1;
}

// The text is in PrevDisplayMode's notation here: every conversion, failed
// or not, leaves it in the notation it was asked for.
void FrmReceiveShow::rxChangeDIS()
{
    if (m_prevDisplayMode == m_displayMode)
        return;
    Q_ASSERT(m_ui->RichTextBox1->notation() == ViewerNotation(m_prevDisplayMode));
    if (!m_ui->RichTextBox1->convert(ViewerNotation(m_displayMode)))
        m_channels.ShowTip(QStringLiteral("类型不匹配！"), 0);
}

void FrmReceiveShow::saveToFile()
{
    int filter = 1;
    const QString path
        = m_files.ChooseSaveFile(QStringLiteral("原始数据(bin)|*.bin|文本(txt)|*.txt"), filter);
    if (path.isEmpty())
        return;
    const auto format = filter == 2 ? ReceivedTextFile::Format::Text : ReceivedTextFile::Format::Bytes;
    const QString reason = ReceivedTextFile::save(m_ui->RichTextBox1->content(), path, format);
    if (!reason.isEmpty())
        m_channels.ShowTip(
            QStringLiteral("文件保存失败：%1\n%2").arg(QDir::toNativeSeparators(path), reason), 0);
}

void FrmReceiveShow::setCaption(const QString &caption)
{
    m_caption = caption;
    showCaption();
}

void FrmReceiveShow::showRecording(const QString &path)
{
    m_recordingPath = path;
    m_ui->RichTextBox1->setRecording(!path.isEmpty());
    showCaption();
}

void FrmReceiveShow::showCaption()
{
    if (m_recordingPath.isEmpty())
        setWindowTitle(m_caption);
    else
        setWindowTitle(
            QStringLiteral("%1 - 正在记录：%2").arg(m_caption, QDir::toNativeSeparators(m_recordingPath)));
}

void FrmReceiveShow::Option1_Click()
{
    selectNotation(0, false);
}

void FrmReceiveShow::Option2_Click()
{
    selectNotation(1, false);
}

void FrmReceiveShow::Option3_Click()
{
    selectNotation(2, true);
}

void FrmReceiveShow::Command1_Click()
{
    close();
}

void FrmReceiveShow::Command2_Click()
{
    m_ui->RichTextBox1->clear();
}

void FrmReceiveShow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FrmReceiveShow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT unloaded();
}

void FrmReceiveShow::Form_Load()
{
    m_ui->RichTextBox1->clear();
    m_displayMode = 2;
    m_ui->Option3->setChecked(true);
    m_viewerHexMode = true;
    m_loadWidth = qint16(outerWidthTwips());
    m_loadHeight = qint16(outerHeightTwips());
}

// Below the load size nothing moves: the text box never gets smaller than it
// was designed and the frame and buttons keep their places.
void FrmReceiveShow::Form_Resize()
{
    const int W = outerWidthTwips();
    const int H = outerHeightTwips();
    if (H < m_loadHeight || W < m_loadWidth)
        return;
    m_ui->RichTextBox1->resize(toPixels(W - 500), toPixels(H - 1300));
    m_ui->Frame1->move(toPixels(W - 5200), toPixels(H - 1100));
    m_ui->Command2->move(toPixels(W - 2200), toPixels(H - 1000));
    m_ui->Command1->move(toPixels(W - 1200), toPixels(H - 1000));
}

void FrmReceiveShow::selectNotation(qint16 mode, bool hex)
{
    m_viewerHexMode = hex;
    m_prevDisplayMode = m_displayMode;
    m_displayMode = mode;
    rxChangeDIS();
}

int FrmReceiveShow::outerWidthTwips() const
{
    return width() * TwipsPerPixel + frameWidthTwips;
}

int FrmReceiveShow::outerHeightTwips() const
{
    return height() * TwipsPerPixel + frameHeightTwips;
}
