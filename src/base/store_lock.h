#pragma once
// The lock that serializes writes to the per-user stores of download marks
// and record sources between the desktop window, the command line and the
// ports that "vorlanix-cli collect" serves at the same time: an exclusive
// flock() on "vorlanix.lock" in the program directory. Each holder opens the
// file anew, so threads of one process exclude each other as processes do.
#include <QString>

namespace vx
{

class StoreLock
{
public:
    // The name of the lock file in the program directory.
    static constexpr const char* file_name = "vorlanix.lock";

    // Waits until the lock is held. Without a program directory, or when the
    // lock file cannot be opened there (a read-only directory), holds nothing:
    // the write goes ahead unserialized rather than not at all.
    explicit StoreLock(const QString& program_dir);
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace vx
