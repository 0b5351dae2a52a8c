#include "notation/SendTextParser.h"

#include "interfaces/UserChannels.h"
#include "notation/SendNotation.h"
#include "serial/Transmitter.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

// A slice converts in well under a millisecond; events run at least this
// often while a long text converts, so the window never freezes.
constexpr qsizetype sliceChars = 16 * 1024;
constexpr int pumpIntervalMs = 5;

} // namespace

SendTextParser::SendTextParser(Transmitter &transmitter, UserChannels &channels)
    : m_transmitter(transmitter)
    , m_channels(channels)
{ }

void SendTextParser::ParseSendText(const QString &text)
{
    // Only the blank separates tokens, so the text converts slice by slice,
    // each slice ending at a blank, with the notation carried from one slice
    // to the next exactly as from one token to the next.
    QByteArray bytes;
    QElapsedTimer sincePump;
    sincePump.start();
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype to
            = from + sliceChars < text.size() ? text.indexOf(QLatin1Char(' '), from + sliceChars) : -1;
        if (to < 0)
            to = text.size();
        const SendNotation::Result result = SendNotation::parse(text.sliced(from, to - from), DataMode);
        if (!result.ok()) {
            m_channels.ShowTip(result.error, 0);
            return;
        }
        bytes += result.bytes;
        from = to + 1;
        if (sincePump.elapsed() >= pumpIntervalMs) {
            QCoreApplication::processEvents();
            sincePump.restart();
        }
    }
    // An empty result is still a transmission: the user learns it completed.
    m_transmitter.SendByteArray(qint32(bytes.size()), bytes);
}
