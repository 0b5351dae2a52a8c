#include "console/SignalWatcher.h"

#include "console/TerminationSignals.h"

SignalWatcher::SignalWatcher(QObject *parent)
    : QObject(parent)
    , m_signals(std::make_unique<TerminationSignals>(
          [this](int signalNumber) { Q_EMIT terminationRequested(signalNumber); }))
{ }

SignalWatcher::~SignalWatcher() = default;

bool SignalWatcher::isWatching() const
{
    return m_signals->isTaken();
}
