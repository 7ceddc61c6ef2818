#pragma once
// The file list of the database browser: the files and folders of one
// directory through Qt's file-system model, shown as large icons, a list,
// small icons or details, with a file mask, going up one level and a refresh.
#include <QString>
#include <QWidget>

class QFileSystemModel;
class QListView;
class QModelIndex;
class QStackedLayout;
class QTreeView;

namespace vx
{

class FileList : public QWidget
{
    Q_OBJECT
public:
    enum class ViewStyle { large_icons, list, small_icons, details };

    explicit FileList(QWidget* parent = nullptr);

    void set_directory(const QString& dir);
    QString directory() const { return dir_; }
    // One or more patterns separated by ';' ("*.txt"); "*.*" matches every
    // file, also one without a dot, as it does on the loggers' home system.
    void set_mask(const QString& mask);
    QString mask() const { return mask_; }
    void set_view_style(ViewStyle style);
    ViewStyle view_style() const { return style_; }
    void go_up();
    // Reads the directory again (after a download wrote a file).
    void refresh();

    // The selected file's full path; empty when a folder or nothing is selected.
    QString selected_file() const;
    qint64 selected_size() const;
    // Selects the entry of path in the list; false when it is not in the directory.
    bool select_file(const QString& path);
    // Entries shown now (files and folders), for tests and the status line.
    QStringList entries() const;

    QFileSystemModel* model() const { return model_; }

signals:
    void selection_changed();
    // A file was double-clicked (a folder opens instead).
    void file_activated();
    // The directory changed (folder opened, up one level, directory set).
    void directory_changed();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void make_model();
    void activated(const QModelIndex& index);

    QString dir_;
    QString mask_ = QStringLiteral("*.*");
    ViewStyle style_ = ViewStyle::details;
    QFileSystemModel* model_ = nullptr;
    QListView* icons_ = nullptr;
    QTreeView* details_ = nullptr;
    QStackedLayout* stack_ = nullptr;
};

} // namespace vx
