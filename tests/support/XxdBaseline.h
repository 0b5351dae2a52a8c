#pragma once

#include <QByteArray>

// The benchmarks' baseline for turning bytes into hex: `xxd -p` on the same
// bytes from a file, process start included. Returns the nanoseconds it took,
// or -1 where it could not run; hex, when given, receives what it printed.
qint64 xxdHexNs(const QByteArray &bytes, QByteArray *hex = nullptr);
