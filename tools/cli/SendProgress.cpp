#include "SendProgress.h"

#include "serial/Transmitter.h"

#include <QIODevice>

namespace {

constexpr int barWidth = 30;
constexpr int stepTextWidth = 24;

} // namespace

SendProgress::SendProgress(Transmitter &transmitter, QIODevice &err, bool terminal, QObject *parent)
    : QObject(parent)
    , m_err(err)
    , m_terminal(terminal)
{
    connect(&transmitter, &Transmitter::progress, this, &SendProgress::draw);
}

void SendProgress::start()
{
    m_running = m_terminal;
    m_drawn = false;
    m_clock.start();
}

void SendProgress::finish()
{
    // The bar stays, complete or where the send stopped, on a line of its own.
    if (m_drawn)
        m_err.write("\n");
    m_running = false;
}

void SendProgress::draw(qint64 handedOver, qint64 total)
{
    if (!m_running || total <= 0 || m_clock.elapsed() < showAfterMs)
        return;
    drawBar(handedOver, total, QStringLiteral("%1/%2 bytes").arg(handedOver).arg(total));
}

void SendProgress::step(qint64 done, qint64 total, const QString &what)
{
    if (m_terminal && total > 0)
        drawBar(done, total, what);
}

void SendProgress::drawBar(qint64 done, qint64 total, const QString &after)
{
    const int filled = int(barWidth * done / total);
    // Padded, so that a shorter text leaves nothing of a longer one behind;
    // a console without terminal sequences shows it as well.
    const QString line
        = QStringLiteral("\r[%1%2] %3% %4")
              .arg(QString(filled, QLatin1Char('#')), QString(barWidth - filled, QLatin1Char(' ')))
              .arg(100 * done / total, 3)
              .arg(after.leftJustified(stepTextWidth));
    m_err.write(line.toUtf8());
    m_drawn = true;
}
