#pragma once

// The output speed on a tty's termios, in bit/s: 0 for a speed not listed
// here, -1 when the descriptor is not an open tty.
int ttySpeed(int fd);
