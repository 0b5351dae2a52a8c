#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <map>
#include <memory>

// The paper of the simulated printers: printer n's data is appended to
// printerN.bin in one folder, flushed at every delivery so that whoever
// watches the file sees each byte as soon as it is delivered.
class PrinterFiles
{
public:
    // Creates the folder when it does not exist.
    bool open(const QString &folder, QString *error);
    bool isOpen() const { return !m_folder.isEmpty(); }

    QString pathFor(int printer) const;
    bool append(int printer, QByteArrayView data, QString *error);

private:
    QString m_folder;
    std::map<int, std::unique_ptr<QFile>> m_files;
};
