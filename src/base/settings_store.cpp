// Checked replacement of a QSettings store (see settings_store.h).
#include "base/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace vx
{

namespace
{

// A value as the file gives it back: lists element by element, else as text.
QStringList as_text(const QVariant& v)
{
    return v.metaType().id() == QMetaType::QStringList ? v.toStringList() : QStringList{v.toString()};
}

bool sync_to_disk(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

QString change_settings_store(const QString& path, const std::function<void(QSettings&)>& change)
{
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir)) return QStringLiteral("%1: cannot create the folder %2").arg(path, dir);
    const QSettings current(path, QSettings::IniFormat);
    if (current.status() != QSettings::NoError)
        return QStringLiteral("%1: it cannot be read as a settings file").arg(path);

    // Fresh names beside the store: one QSettings writes, and one it has
    // never seen (it keeps what it wrote in memory under the first name).
    const auto fresh_name = [&](QString* out) {
        QTemporaryFile name(dir + QStringLiteral("/.") + QFileInfo(path).fileName() +
                            QStringLiteral(".XXXXXX"));
        if (!name.open()) return false;
        *out = name.fileName();
        return true;
    };
    QString copy, check;
    if (!fresh_name(&copy) || !fresh_name(&check))
        return QStringLiteral("%1: no copy can be made in %2").arg(path, dir);
    const auto fail = [&](const QString& why) {
        QFile::remove(copy);
        QFile::remove(check);
        return QStringLiteral("%1: %2").arg(path, why);
    };

    QMap<QString, QStringList> expected;
    {
        QSettings next(copy, QSettings::IniFormat);
        for (const QString& key : current.allKeys())
            next.setValue(key, current.value(key));
        change(next);
        // What is to be written, before the sync reads the file back.
        for (const QString& key : next.allKeys())
            expected.insert(key, as_text(next.value(key)));
        next.sync();
        if (next.status() != QSettings::NoError) return fail(QStringLiteral("it cannot be written"));
    }
    // A store left without entries is written as no file at all: it is an empty one.
    if (expected.isEmpty() && !QFile::exists(copy)) {
        QFile empty(copy);
        if (!empty.open(QIODevice::WriteOnly)) return fail(empty.errorString());
    }
    // What the disk holds must be all of it.
    if (std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(check).constData()) != 0)
        return fail(QStringLiteral("the new copy could not be checked"));
    const QSettings written(check, QSettings::IniFormat);
    bool whole = written.status() == QSettings::NoError && written.allKeys().size() == expected.size();
    for (auto it = expected.cbegin(); whole && it != expected.cend(); ++it)
        whole = written.contains(it.key()) && as_text(written.value(it.key())) == it.value();
    if (!whole) return fail(QStringLiteral("it could not be written whole (is the disk full?)"));
    if (!sync_to_disk(check)) return fail(QStringLiteral("it could not be flushed to the disk"));
    if (std::rename(QFile::encodeName(check).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(QStringLiteral("the new copy could not take its place"));
    sync_to_disk(dir);
    return {};
}

} // namespace vx
