#pragma once

#include <QByteArrayView>
#include <QWidget>

#include <memory>

class FileChooser;
class ReceivedTextView;
class UserChannels;

namespace Ui {
class frmReceiveShow;
}

// The received-data viewer: every received byte as a token in RichTextBox1,
// the whole text switchable between text, decimal and hexadecimal notation.
// Closing it ("退出" or the window's close button) unloads it: the window is
// destroyed with its text, and the next touch loads a fresh one. The text
// box's context menu saves the received bytes or the text as shown.
class FrmReceiveShow : public QWidget
{
    Q_OBJECT

public:
    FrmReceiveShow(UserChannels &channels, FileChooser &files, QWidget *owner = nullptr);
    ~FrmReceiveShow() override;

    // Tokens for bytes in the form the receive path uses now: hexadecimal
    // while ViewerHexMode is true, else decimal.
    void appendReceived(QByteArrayView bytes);
    QString text() const;
    ReceivedTextView &textView() const;

    bool ViewerHexMode() const { return m_viewerHexMode; }
    qint16 DisplayMode() const { return m_displayMode; }
    qint16 PrevDisplayMode() const { return m_prevDisplayMode; }
    qint16 LoadWidth() const { return m_loadWidth; }
    qint16 LoadHeight() const { return m_loadHeight; }

    // Converts the whole text from PrevDisplayMode to DisplayMode.
    void rxChangeDIS();
    // "保存为文件…": the raw bytes (first filter) or the text as shown.
    void saveToFile();
    // The caption ("接收查看" when loaded), and the file a recording writes
    // to (none: empty), which the caption names while it runs.
    void setCaption(const QString &caption);
    void showRecording(const QString &path);

    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Command1_Click();
    void Command2_Click();

    static constexpr int TwipsPerPixel = 15;

Q_SIGNALS:
    // The window is closing and will be destroyed.
    void unloaded();
    // The context menu's "开始记录…" and "停止记录".
    void recordRequested();
    void stopRecordRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void selectNotation(qint16 mode, bool hex);
    int outerWidthTwips() const;
    int outerHeightTwips() const;
    void showCaption();

    UserChannels &m_channels;
    FileChooser &m_files;
    std::unique_ptr<Ui::frmReceiveShow> m_ui;
    bool m_viewerHexMode = true;
    qint16 m_displayMode = 2;
    qint16 m_prevDisplayMode = 0;
    qint16 m_loadWidth = 0;
    qint16 m_loadHeight = 0;
    QString m_caption;
    QString m_recordingPath;
};
