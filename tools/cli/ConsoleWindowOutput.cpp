#include "ConsoleWindowOutput.h"

#include <algorithm>

#include <windows.h>

namespace {

// Older consoles refuse a single write much above 64 KiB.
constexpr qsizetype charactersPerWrite = 8192;

} // namespace

ConsoleWindowOutput::ConsoleWindowOutput(Qt::HANDLE console)
    : m_console(console)
{ }

qint64 ConsoleWindowOutput::readData(char *, qint64)
{
    return -1;
}

qint64 ConsoleWindowOutput::writeData(const char *data, qint64 size)
{
    const QString text = m_decoder.decode(QByteArrayView(data, size));
    const auto *characters = reinterpret_cast<const wchar_t *>(text.utf16());
    qsizetype left = text.size();
    while (left > 0) {
        DWORD written = 0;
        const auto count = DWORD(std::min(left, charactersPerWrite));
        if (!::WriteConsoleW(m_console, characters, count, &written, nullptr) || written == 0)
            return -1;
        characters += written;
        left -= written;
    }
    return size;
}
