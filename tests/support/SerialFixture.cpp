#include "SerialFixture.h"

#include <QtGlobal>

PtyPort::PtyPort(int number)
    : m_variable("VELTRIN_COM" + QByteArray::number(number))
{
    qputenv(m_variable.constData(), pty.slavePath().toLocal8Bit());
}

PtyPort::~PtyPort()
{
    qunsetenv(m_variable.constData());
}
