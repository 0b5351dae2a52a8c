#include "SendProgress.h"

#include "serial/Transmitter.h"

#include <QIODevice>

namespace {

constexpr int barWidth = 30;

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
    const int filled = int(barWidth * handedOver / total);
    const QString line
        = QStringLiteral("\r[%1%2] %3% %4/%5 bytes")
              .arg(QString(filled, QLatin1Char('#')), QString(barWidth - filled, QLatin1Char(' ')))
              .arg(100 * handedOver / total, 3)
              .arg(handedOver)
              .arg(total);
    m_err.write(line.toLatin1());
    m_drawn = true;
}
