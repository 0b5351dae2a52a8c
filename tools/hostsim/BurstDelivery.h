#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

// Holds bytes and hands them on in bursts, each a fixed time after its first
// byte came, the way a USB serial adapter's latency timer holds what it
// receives. With no delay every byte goes on at once.
class BurstDelivery : public QObject
{
    Q_OBJECT

public:
    explicit BurstDelivery(int delayMs, QObject *parent = nullptr);

    void take(const QByteArray &bytes);

Q_SIGNALS:
    void delivered(const QByteArray &bytes);

private:
    void deliverHeld();

    QByteArray m_held;
    QTimer m_timer;
};
