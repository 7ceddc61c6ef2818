#pragma once
// A temporary program directory for one test; VORLANIX_HOME points at it
// while the object lives.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace vxtest
{

class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    // The directory with a trailing '/'.
    QString dir() const { return dir_.path() + '/'; }
    QString path(const QString& name) const { return dir() + name; }
    // Writes raw bytes to a file in the directory (creating subfolders).
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir dir_;
    QByteArray old_home_;
    bool had_home_ = false;
};

} // namespace vxtest
