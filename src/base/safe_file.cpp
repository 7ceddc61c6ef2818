#include "base/safe_file.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx
{

namespace
{

QString system_reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString hard_links()
{
    return QStringLiteral("it has more than one hard link");
}

} // namespace

QString link_refusal(const QString& path)
{
    struct stat st {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return {};
    if (S_ISLNK(st.st_mode)) return QStringLiteral("it is a symbolic link");
    if (S_ISREG(st.st_mode) && st.st_nlink > 1) return hard_links();
    return {};
}

QString open_regular_file(QFile& file, const QString& path, QIODevice::OpenMode mode, Links links)
{
    const bool append = mode.testFlag(QIODevice::Append);
    int flags = O_CLOEXEC | O_NOCTTY | (append ? O_RDWR | O_APPEND | O_CREAT : O_RDONLY);
    if (links == Links::refuse) flags |= O_NOFOLLOW;
    // Not blocking, so that opening a pipe does not wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK, 0666);
    if (fd < 0) {
        const int error = errno;
        struct stat st {
        };
        if (error == ELOOP && links == Links::refuse &&
            ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode))
            return QStringLiteral("it is a symbolic link");
        return system_reason(error);
    }
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return QStringLiteral("it is not a regular file");
    }
    if (links == Links::refuse && st.st_nlink > 1) {
        ::close(fd);
        return hard_links();
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString();
    }
    return {};
}

FileReplacement::~FileReplacement()
{
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.isEmpty()) ::unlink(temp_.constData());
}

bool FileReplacement::fail()
{
    error_ = system_reason(errno);
    return false;
}

bool FileReplacement::open()
{
    const QFileInfo fi(path_);
    const QByteArray native = QFile::encodeName(path_);
    // Permission bits of the file replaced (never of a link's target); for
    // a new file, what the process's mask allows.
    struct stat st {
    };
    mode_t mode = 0;
    if (::lstat(native.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    QByteArray name =
        QFile::encodeName(fi.absolutePath()) + "/." + QFile::encodeName(fi.fileName()) + ".XXXXXX";
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) return fail();
    temp_ = name;
    if (::fchmod(fd_, mode) != 0) return fail();
    return true;
}

bool FileReplacement::write(QByteArrayView bytes)
{
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail();
        }
        p += n;
        left -= n;
    }
    return true;
}

bool FileReplacement::commit()
{
    if (fd_ < 0) return false;
    if (::fsync(fd_) != 0) return fail();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return fail();
    const QByteArray native = QFile::encodeName(QFileInfo(path_).absoluteFilePath());
    if (::rename(temp_.constData(), native.constData()) != 0) return fail();
    temp_.clear();
    // Make the rename itself durable.
    const int dir = ::open(QFile::encodeName(QFileInfo(path_).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace vx
