#pragma once
// The file list of the database browser: the files and folders of one
// directory through Qt's file-system model, shown as large icons, a list,
// small icons or details, with a file mask, going up one level and a refresh.
#include <QString>
#include <QWidget>

class QAction;
class QFileSystemModel;
class QListView;
class QMenu;
class QModelIndex;
class QStackedLayout;
class QTreeView;

namespace vx
{

// The texts of the list: the column headers, the pop-up menu and the kinds
// of entries in the type column.
struct FileListTexts {
    QString columns[4];  // name, size, type, modified
    QString styles[4];   // large icons, list, small icons, details
    QString up, refresh; // the pop-up's other items
    QString folder;      // the type of a folder
    QString file;        // the type of a file, %1 its suffix in capitals
    QString text_file;   // the type of a ".txt" file
    QString bytes;       // the size of a file below 1 KiB, %1 its bytes
};

class FileList : public QWidget
{
    Q_OBJECT
public:
    enum class ViewStyle { large_icons, list, small_icons, details };

    explicit FileList(QWidget* parent = nullptr);

    void set_texts(const FileListTexts& texts);
    const FileListTexts& texts() const { return texts_; }
    // The pop-up menu of the list (view styles, one level up, refresh).
    QMenu* menu() const { return menu_; }

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
    FileListTexts texts_;
    QMenu* menu_ = nullptr;
    QList<QAction*> style_actions_;
    QAction *up_action_ = nullptr, *refresh_action_ = nullptr;
};

} // namespace vx
