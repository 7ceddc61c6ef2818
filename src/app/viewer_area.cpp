#include "app/viewer_area.h"

#include "base/settings.h"
#include "base/ui_port.h"
#include "logger/program_state.h"
#include "viewer/record_viewer.h"

#include <QDir>
#include <QMdiSubWindow>
#include <QMenu>
#include <algorithm>

namespace vx
{

namespace
{

// The items of a sub-window's system menu as Qt makes it, in order.
constexpr const char* system_menu_items[] = {"&Restore",  "&Move",        "&Size", "Mi&nimize",
                                             "Ma&ximize", "Stay on &Top", "&Close"};

} // namespace

ViewerArea::ViewerArea(Global& g, QWidget* parent) : QMdiArea(parent), g_(g)
{
    setObjectName("MDIClient");
    setMinimumSize(1, 1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

ViewerArea::~ViewerArea() = default;

TEditForm* ViewerArea::new_viewer(const QString& caption, const QString& text)
{
    auto* viewer = new TEditForm(g_);
    viewer->set_text(text);
    viewer->set_file_name(last_open_file_);
    if (!caption.isEmpty()) viewer->setWindowTitle(caption);
    add_viewer(viewer);
    return viewer;
}

void ViewerArea::add_viewer(TEditForm* viewer)
{
    if (prepare) prepare(viewer);
    QMdiSubWindow* sub = addSubWindow(viewer);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // The area drops its own connections to a sub-window that closes, so the
    // watcher hears of its end; the watcher goes before the viewers, which
    // then report to no one. The sub-window is only compared here, never
    // used: it is gone when this runs.
    connect(sub, &QObject::destroyed, &watcher_, [this, sub] {
        const QList<QMdiSubWindow*> left = subWindowList();
        emit viewers_changed(std::any_of(left.begin(), left.end(), [sub](auto* w) { return w != sub; }));
    });
    emit viewers_changed(true);
    place(sub, viewer->size());
}

void ViewerArea::place(QMdiSubWindow* sub, const QSize& designed)
{
    // The designed size with the frame, as far as the area has room, wholly inside it.
    const QSize room = viewport()->size();
    const QSize frame(8, 30);
    const QSize size = (designed + frame).boundedTo(room);
    // Smallest frame in which the text and the chart can still be read.
    const QSize readable(480, 300);
    if (read_panmaximize(g_.program_dir) || room.width() < readable.width() ||
        room.height() < readable.height()) {
        // Placed first, so that it comes back inside the area when another
        // viewer takes the maximised place.
        sub->setGeometry(QRect(QPoint(0, 0), size));
        sub->showMaximized();
        return;
    }
    sub->resize(size);
    sub->show();
    QRect r = sub->geometry();
    r.setSize(r.size().boundedTo(room));
    r.moveLeft(std::clamp(r.left(), 0, room.width() - r.width()));
    r.moveTop(std::clamp(r.top(), 0, room.height() - r.height()));
    sub->setGeometry(r);
}

TEditForm* ViewerArea::open_text_file(const QString& path)
{
    auto* viewer = new TEditForm(g_);
    QString error;
    if (!viewer->open_file(path, &error)) {
        delete viewer;
        if (g_.ui) g_.ui->plain_message(g_.lang.mess(50).arg(QDir::toNativeSeparators(path), error));
        return nullptr;
    }
    add_viewer(viewer);
    viewer->RedrawGraph();
    return viewer;
}

QList<TEditForm*> ViewerArea::viewers() const
{
    QList<TEditForm*> out;
    for (QMdiSubWindow* sub : subWindowList(QMdiArea::CreationOrder))
        if (auto* viewer = qobject_cast<TEditForm*>(sub->widget())) out << viewer;
    return out;
}

void ViewerArea::ChangeLanguage(const QString& untitled_before)
{
    for (TEditForm* viewer : viewers()) {
        viewer->ChangeLanguage();
        if (viewer->windowTitle() == untitled_before) viewer->setWindowTitle(g_.lang.capt(201));
    }
    for (QMdiSubWindow* sub : subWindowList()) {
        QList<QAction*> items;
        for (QAction* a : sub->systemMenu() ? sub->systemMenu()->actions() : QList<QAction*>())
            if (!a->isSeparator()) items << a;
        if (items.size() != int(std::size(system_menu_items))) continue;
        for (int i = 0; i < items.size(); ++i)
            items[i]->setText(QMdiSubWindow::tr(system_menu_items[i]));
    }
}

QMdiSubWindow* ViewerArea::current_subwindow() const
{
    if (QMdiSubWindow* sub = activeSubWindow()) return sub;
    const QList<QMdiSubWindow*> all = subWindowList(QMdiArea::CreationOrder);
    return all.isEmpty() ? nullptr : all.last();
}

TEditForm* ViewerArea::current_viewer() const
{
    QMdiSubWindow* sub = current_subwindow();
    return sub ? qobject_cast<TEditForm*>(sub->widget()) : nullptr;
}

bool ViewerArea::send_command(int code, int parameter)
{
    if (parameter != 1) return false;
    TEditForm* viewer = current_viewer();
    return viewer && viewer->command(code);
}

void ViewerArea::tile(bool side_by_side)
{
    const QList<QMdiSubWindow*> windows = subWindowList();
    if (windows.isEmpty()) return;
    const QSize area = viewport()->size();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* w = windows[i];
        w->showNormal();
        if (side_by_side)
            w->setGeometry(i * area.width() / n, 0, area.width() / n, area.height());
        else
            w->setGeometry(0, i * area.height() / n, area.width(), area.height() / n);
    }
}

bool ViewerArea::bring_chart_forward()
{
    QMdiSubWindow* sub = current_subwindow();
    auto* viewer = sub ? qobject_cast<TEditForm*>(sub->widget()) : nullptr;
    if (!viewer) return false;
    if (sub->isMinimized()) sub->showNormal();
    setActiveSubWindow(sub);
    viewer->show_chart();
    return true;
}

bool ViewerArea::query_close_all()
{
    // A modified viewer (a hand edit, or an N-newest download, which is left
    // modified on purpose) is not dropped without a question.
    for (QMdiSubWindow* sub : subWindowList()) {
        auto* viewer = qobject_cast<TEditForm*>(sub->widget());
        if (!viewer || !viewer->is_modified()) continue;
        setActiveSubWindow(sub);
        if (!viewer->query_close()) return false;
    }
    return true;
}

} // namespace vx
