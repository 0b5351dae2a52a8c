#pragma once

#include "PtyPair.h"
#include "RecordingUserChannels.h"

#include <QByteArray>

// Points COM<number> at a fresh pty for the lifetime of the fixture.
class PtyPort
{
public:
    explicit PtyPort(int number = 1);
    ~PtyPort();

    PtyPair pty;

private:
    QByteArray m_variable;
};
