#include "common/temp_home.h"

#include <QFileInfo>
#include <cstdlib>

namespace vxtest
{

TempHome::TempHome()
{
    had_home_ = qEnvironmentVariableIsSet("VORLANIX_HOME");
    old_home_ = qgetenv("VORLANIX_HOME");
    qputenv("VORLANIX_HOME", dir_.path().toLocal8Bit());
}

TempHome::~TempHome()
{
    if (had_home_)
        qputenv("VORLANIX_HOME", old_home_);
    else
        qunsetenv("VORLANIX_HOME");
}

void TempHome::write(const QString& name, const QByteArray& bytes) const
{
    QFileInfo fi(path(name));
    QDir().mkpath(fi.absolutePath());
    QFile f(fi.absoluteFilePath());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

QByteArray TempHome::read(const QString& name) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

} // namespace vxtest
