#include "base/program_dir.h"

#include <QCoreApplication>

namespace vx
{

QString find_program_dir()
{
    QString dir = qEnvironmentVariable("VORLANIX_HOME");
    if (dir.isEmpty()) dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith('/')) dir += '/';
    return dir;
}

} // namespace vx
