#pragma once

#include <QIODevice>
#include <QStringDecoder>

// A Windows console window as an output device: the program's UTF-8 text
// goes to it as characters, through WriteConsoleW. The other way, switching
// the console to UTF-8 with SetConsoleOutputCP(CP_UTF8) and writing the
// bytes as they are, changes the console and not the program: the shell
// that started it would keep the code page after a Ctrl+C or a crash, and
// older consoles garble a character whose bytes are split between two
// writes. WriteConsoleW shows the characters whatever the code page.
class ConsoleWindowOutput : public QIODevice
{
public:
    explicit ConsoleWindowOutput(Qt::HANDLE console);

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    Qt::HANDLE m_console;
    // The bytes of a character split between two writes wait here.
    QStringDecoder m_decoder { QStringDecoder::Utf8 };
};
