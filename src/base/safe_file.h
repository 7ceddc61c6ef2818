#pragma once
// Opening and replacing files in folders that others may write to (a shared
// log folder) or that may name something other than a file (a device, a
// pipe): a link planted under a file's name is never written through, and a
// reader never waits on a pipe or reads a device that never ends.
#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace vx
{

enum class Links { follow, refuse };

// Opens path into file, for reading (QIODevice::ReadOnly) or for appending
// (ReadWrite | Append, created when missing), and only when it is a regular
// file. With Links::refuse a symbolic link at path is refused too, and so is
// a file with more than one hard link (writing it would change the file under
// its other names as well, and replacing it would split them). Empty on
// success, otherwise why not ("it is a symbolic link", "it has more than one
// hard link", "it is not a regular file", or the system's reason).
QString open_regular_file(QFile& file, const QString& path, QIODevice::OpenMode mode, Links links);

// What Links::refuse refuses at path: "it is a symbolic link", "it has more
// than one hard link", or empty (also when there is nothing at path).
QString link_refusal(const QString& path);

// A new version of a file, written beside it and renamed over it only when
// complete and on the disk: readers see the old file or the new one, never a
// mix. The rename replaces the entry at path; a link there is replaced, not
// followed. The new file keeps the permission bits of a regular file it
// replaces. An uncommitted copy is removed.
class FileReplacement
{
public:
    explicit FileReplacement(QString path) : path_(std::move(path)) {}
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the copy; false (see error) when the folder does not allow it.
    bool open();
    bool write(QByteArrayView bytes);
    // Puts the copy on the disk and in place of the old file.
    bool commit();
    // Why the last step failed.
    QString error() const { return error_; }

private:
    bool fail();
    QString path_;
    QByteArray temp_;
    int fd_ = -1;
    QString error_;
};

} // namespace vx
