#include "hostsim/PrinterFiles.h"

#include <QDir>

bool PrinterFiles::open(const QString &folder, QString *error)
{
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    m_folder = folder;
    return true;
}

QString PrinterFiles::pathFor(int printer) const
{
    return QDir(m_folder).filePath(QStringLiteral("printer%1.bin").arg(printer));
}

bool PrinterFiles::append(int printer, QByteArrayView data, QString *error)
{
    std::unique_ptr<QFile> &file = m_files[printer];
    if (!file) {
        file = std::make_unique<QFile>(pathFor(printer));
        if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
            *error = QStringLiteral("cannot open %1: %2").arg(file->fileName(), file->errorString());
            file.reset();
            return false;
        }
    }
    if (file->write(data.data(), data.size()) != data.size() || !file->flush()) {
        *error = QStringLiteral("cannot write %1: %2").arg(file->fileName(), file->errorString());
        return false;
    }
    return true;
}
