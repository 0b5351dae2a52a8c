#include "TtySpeed.h"

#include <termios.h>

int ttySpeed(int fd)
{
    termios tio {};
    if (fd < 0 || ::tcgetattr(fd, &tio) != 0)
        return -1;
    switch (::cfgetospeed(&tio)) {
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return 0;
    }
}
