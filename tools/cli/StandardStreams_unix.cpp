#include "StandardStreams.h"

#include <QFile>

#include <unistd.h>

void StandardStreams::keepInputBytes()
{
    // Unix reads every stream as bytes already.
}

void StandardStreams::keepOutputBytes(FILE *)
{
    // Unix writes every stream as bytes already.
}

std::unique_ptr<QIODevice> StandardStreams::openOutput(FILE *stream)
{
    auto file = std::make_unique<QFile>();
    file->open(fileno(stream), QIODevice::WriteOnly | QIODevice::Unbuffered);
    return file;
}

bool StandardStreams::isTerminal(FILE *stream)
{
    return isatty(fileno(stream)) != 0;
}
