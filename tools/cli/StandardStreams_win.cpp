#include "StandardStreams.h"

#include "ConsoleWindowOutput.h"

#include <QFile>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

void StandardStreams::keepInputBytes()
{
    // No CR LF translation, no Ctrl+Z end.
    _setmode(_fileno(stdin), _O_BINARY);
}

void StandardStreams::keepOutputBytes(FILE *stream)
{
    _setmode(_fileno(stream), _O_BINARY);
}

std::unique_ptr<QIODevice> StandardStreams::openOutput(FILE *stream)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    // Only a console window answers its mode; a file, a pipe or NUL does not.
    if (::GetConsoleMode(handle, &mode)) {
        auto console = std::make_unique<ConsoleWindowOutput>(handle);
        console->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        return console;
    }
    auto file = std::make_unique<QFile>();
    file->open(_fileno(stream), QIODevice::WriteOnly | QIODevice::Unbuffered);
    return file;
}

bool StandardStreams::isTerminal(FILE *stream)
{
    return _isatty(_fileno(stream)) != 0;
}
