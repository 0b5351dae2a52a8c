#pragma once

#include <QString>

// A symbolic link that names the pty at a fixed path for the program
// (VELTRIN_COM3=PATH). An existing symbolic link at the path is taken as left
// behind by an earlier run and replaced; anything else there is left alone and
// reported. The link goes away with this object, unless another run has
// replaced it meanwhile.
class SlaveLink
{
public:
    SlaveLink() = default;
    ~SlaveLink();
    SlaveLink(const SlaveLink &) = delete;
    SlaveLink &operator=(const SlaveLink &) = delete;

    bool create(const QString &linkPath, const QString &target, QString *error);
    void remove();

    QString path() const { return m_path; }

private:
    QString m_path;
    QString m_target;
};
