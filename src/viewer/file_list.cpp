#include "viewer/file_list.h"

#include "base/language.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QStackedLayout>
#include <QTreeView>

namespace vx
{

namespace
{

// File times read as the record files write them: "d.M.yyyy hh:mm"; the
// headers and the kinds of entries in the list's language.
class LogDirModel : public QFileSystemModel
{
public:
    LogDirModel(const FileListTexts& texts, QObject* parent) : QFileSystemModel(parent), texts_(texts) {}
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::DisplayRole && index.column() == 3)
            return lastModified(index).toString(QStringLiteral("d.M.yyyy hh:mm"));
        // Qt words a size below 1 KiB in the system's language, larger ones in units.
        if (role == Qt::DisplayRole && index.column() == 1 && !isDir(index) && size(index) < 1024)
            return texts_.bytes.arg(size(index));
        if (role == Qt::DisplayRole && index.column() == 2) {
            if (isDir(index)) return texts_.folder;
            const QString suffix = fileInfo(index).suffix();
            if (suffix.compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0) return texts_.text_file;
            return capitalized(texts_.file.arg(suffix.toUpper()).trimmed());
        }
        return QFileSystemModel::data(index, role);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
            return texts_.columns[section];
        return QFileSystemModel::headerData(section, orientation, role);
    }

private:
    const FileListTexts& texts_;
};

QStringList name_filters(const QString& mask)
{
    QStringList out;
    for (QString p : mask.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        p = p.trimmed();
        out << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
    }
    if (out.isEmpty()) out << QStringLiteral("*");
    return out;
}

} // namespace

FileList::FileList(QWidget* parent) : QWidget(parent)
{
    icons_ = new QListView(this);
    icons_->setObjectName(QStringLiteral("FExplorerIcons"));
    icons_->setResizeMode(QListView::Adjust);
    icons_->setUniformItemSizes(true);
    details_ = new QTreeView(this);
    details_->setObjectName(QStringLiteral("FExplorerDetails"));
    details_->setRootIsDecorated(false);
    details_->setItemsExpandable(false);
    details_->setSortingEnabled(true);
    details_->setUniformRowHeights(true);
    for (QAbstractItemView* v :
         {static_cast<QAbstractItemView*>(icons_), static_cast<QAbstractItemView*>(details_)}) {
        v->setSelectionMode(QAbstractItemView::SingleSelection);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        connect(v, &QAbstractItemView::doubleClicked, this, &FileList::activated);
    }
    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(icons_);
    stack_->addWidget(details_);
    make_model();
    set_view_style(ViewStyle::details);

    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("FileListMenu"));
    auto* styles = new QActionGroup(menu_);
    for (ViewStyle style :
         {ViewStyle::large_icons, ViewStyle::list, ViewStyle::small_icons, ViewStyle::details}) {
        QAction* a = menu_->addAction(QString());
        a->setCheckable(true);
        styles->addAction(a);
        connect(a, &QAction::triggered, this, [this, style] { set_view_style(style); });
        style_actions_ << a;
    }
    menu_->addSeparator();
    up_action_ = menu_->addAction(QString(), this, &FileList::go_up);
    refresh_action_ = menu_->addAction(QString(), this, &FileList::refresh);
}

void FileList::set_texts(const FileListTexts& texts)
{
    texts_ = texts;
    for (int i = 0; i < style_actions_.size(); ++i)
        style_actions_[i]->setText(texts_.styles[i]);
    up_action_->setText(texts_.up);
    refresh_action_->setText(texts_.refresh);
    emit model_->headerDataChanged(Qt::Horizontal, 0, 3);
    // The type column follows on the next repaint.
    details_->viewport()->update();
}

void FileList::make_model()
{
    QFileSystemModel* old = model_;
    model_ = new LogDirModel(texts_, this);
    model_->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    model_->setNameFilterDisables(false);
    model_->setNameFilters(name_filters(mask_));
    model_->setReadOnly(true);
    if (!dir_.isEmpty()) model_->setRootPath(dir_);
    for (QAbstractItemView* v :
         {static_cast<QAbstractItemView*>(icons_), static_cast<QAbstractItemView*>(details_)}) {
        QItemSelectionModel* old_selection = v->selectionModel();
        v->setModel(model_);
        delete old_selection;
        if (!dir_.isEmpty()) v->setRootIndex(model_->index(dir_));
        connect(v->selectionModel(), &QItemSelectionModel::currentChanged, this, [this, v] {
            if (stack_->currentWidget() == v) emit selection_changed();
        });
    }
    details_->sortByColumn(0, Qt::AscendingOrder);
    delete old;
}

void FileList::set_directory(const QString& dir)
{
    dir_ = QDir::cleanPath(QDir(dir).absolutePath());
    model_->setRootPath(dir_);
    icons_->setRootIndex(model_->index(dir_));
    details_->setRootIndex(model_->index(dir_));
    emit directory_changed();
}

void FileList::set_mask(const QString& mask)
{
    mask_ = mask;
    model_->setNameFilters(name_filters(mask));
}

void FileList::set_view_style(ViewStyle style)
{
    style_ = style;
    QAbstractItemView* before = qobject_cast<QAbstractItemView*>(stack_->currentWidget());
    const QModelIndex current = before ? before->currentIndex() : QModelIndex();
    if (style == ViewStyle::details) {
        stack_->setCurrentWidget(details_);
    } else {
        const bool large = style == ViewStyle::large_icons;
        icons_->setViewMode(large ? QListView::IconMode : QListView::ListMode);
        icons_->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
        // "Zoznam" runs down in columns, small icons across in rows.
        icons_->setFlow(style == ViewStyle::list ? QListView::TopToBottom : QListView::LeftToRight);
        icons_->setWrapping(true);
        icons_->setGridSize(large ? QSize(120, 64) : QSize());
        icons_->setMovement(QListView::Static);
        stack_->setCurrentWidget(icons_);
    }
    auto* now = qobject_cast<QAbstractItemView*>(stack_->currentWidget());
    if (now != before && current.isValid()) now->setCurrentIndex(current);
}

void FileList::go_up()
{
    QDir d(dir_);
    if (d.cdUp()) set_directory(d.absolutePath());
}

void FileList::refresh()
{
    const QString selected = selected_file();
    make_model();
    if (!selected.isEmpty()) select_file(selected);
}

QString FileList::selected_file() const
{
    auto* view = qobject_cast<QAbstractItemView*>(stack_->currentWidget());
    const QModelIndex index = view ? view->currentIndex() : QModelIndex();
    if (!index.isValid() || model_->isDir(index)) return {};
    return model_->filePath(index);
}

qint64 FileList::selected_size() const
{
    const QString path = selected_file();
    return path.isEmpty() ? 0 : QFileInfo(path).size();
}

bool FileList::select_file(const QString& path)
{
    const QModelIndex index = model_->index(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (!index.isValid() || index.parent() != model_->index(dir_)) return false;
    auto* view = qobject_cast<QAbstractItemView*>(stack_->currentWidget());
    view->setCurrentIndex(index);
    return true;
}

QStringList FileList::entries() const
{
    QStringList out;
    const QModelIndex root = model_->index(dir_);
    for (int r = 0; r < model_->rowCount(root); ++r)
        out << model_->fileName(model_->index(r, 0, root));
    out.sort();
    return out;
}

void FileList::activated(const QModelIndex& index)
{
    if (!index.isValid()) return;
    if (model_->isDir(index)) {
        set_directory(model_->filePath(index));
        return;
    }
    emit file_activated();
}

void FileList::contextMenuEvent(QContextMenuEvent* event)
{
    style_actions_[static_cast<int>(style_)]->setChecked(true);
    menu_->exec(event->globalPos());
}

} // namespace vx
