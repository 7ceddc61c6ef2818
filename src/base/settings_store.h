#pragma once
// Small stores kept in QSettings' file format (the download marks, the
// record sources), changed as one checked replacement. QSettings' own sync
// renames its copy over the store even when the disk or a file-size limit
// cut the copy short, and says nothing: every entry after the cut would be
// lost. Here the copy is read back and compared before it takes the
// store's place; a copy that is not whole leaves the store as it was.
#include <QSettings>
#include <QString>
#include <functional>

namespace vx
{

// Applies change to the store at path (created with its folder when
// missing) and puts the result in its place, flushed to the disk. Empty
// when done; else why not, naming the store, and the store is unchanged.
QString change_settings_store(const QString& path, const std::function<void(QSettings&)>& change);

} // namespace vx
