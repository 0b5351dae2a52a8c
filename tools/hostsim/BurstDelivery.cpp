#include "hostsim/BurstDelivery.h"

#include <utility>

BurstDelivery::BurstDelivery(int delayMs, QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(delayMs);
    connect(&m_timer, &QTimer::timeout, this, &BurstDelivery::deliverHeld);
}

void BurstDelivery::take(const QByteArray &bytes)
{
    if (m_timer.interval() == 0) {
        Q_EMIT delivered(bytes);
        return;
    }
    m_held.append(bytes);
    if (!m_timer.isActive())
        m_timer.start();
}

void BurstDelivery::deliverHeld()
{
    if (!m_held.isEmpty())
        Q_EMIT delivered(std::exchange(m_held, {}));
}
