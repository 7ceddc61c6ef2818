// The program directory's lock on the per-user stores (see store_lock.h).
#include "base/store_lock.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vx
{

StoreLock::StoreLock(const QString& program_dir)
{
    if (program_dir.isEmpty()) return;
    const QByteArray path = QFile::encodeName(QDir(program_dir).filePath(QLatin1String(file_name)));
    fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0) return;
    int r = 0;
    // A signal that arrives while waiting does not give the lock up.
    while ((r = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (r != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

StoreLock::~StoreLock()
{
    // Closing the descriptor releases the lock.
    if (fd_ >= 0) ::close(fd_);
}

} // namespace vx
