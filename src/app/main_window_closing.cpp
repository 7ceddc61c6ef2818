// The main window's closing and placing: a close asked by a signal (what
// nobody could be asked about is kept and offered back at the next start),
// the close itself, and the window's geometry fitted to its screen.
#include "app/main_window.h"

#include "app/poll_control.h"
#include "app/viewer_area.h"
#include "app/window_placement.h"
#include "base/kept_texts.h"
#include "base/ui_port.h"
#include "logger/download.h"
#include "logger/poll.h"
#include "logger/program_state.h"
#include "viewer/record_viewer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <csignal>
#include <cstdio>

namespace vx
{

void TForm1::offer_kept_texts()
{
    const QList<KeptText> kept = read_kept_texts(g_.program_dir);
    if (kept.isEmpty() || !g_.ui) return;
    // No throws the texts away: Enter brings them back.
    const int answer = g_.ui->show_message(g_.lang.mess(179).arg(kept.size()), btn::yes | btn::no, mr::yes);
    if (answer != mr::yes && answer != mr::no) return; // not answered: offered again next time
    if (answer == mr::yes)
        for (const KeptText& k : kept) {
            TEditForm* v = mdi_->new_viewer(k.caption, k.text);
            v->set_file_name(k.file_name);
            v->set_modified(true);
            v->RedrawGraph();
        }
    remove_kept_texts(g_.program_dir);
}

void TForm1::close_on_signal(int signal)
{
    if (closing_signal_) return;
    closing_signal_ = signal;
    signal_close_step();
}

void TForm1::signal_close_step()
{
    // A running exchange ends at once; its flow then ends as after Cancel.
    g_.link.abort();
    QWidget* in_way = QApplication::activeModalWidget();
    if (!in_way) in_way = QApplication::activePopupWidget();
    if (auto* dialog = qobject_cast<QDialog*>(in_way))
        dialog->reject();
    else if (in_way)
        in_way->close();
    if (in_way || download_->busy() || g_.poll.busy) {
        QTimer::singleShot(50, this, &TForm1::signal_close_step);
        return;
    }
    // Nobody may be there to answer a question: what was changed is kept instead.
    if (closing_signal_ != SIGINT && !keep_modified_viewers())
        std::fprintf(stderr, "vorlanix: modified windows could not be kept in %s\n",
                     qPrintable(kept_texts_path(g_.program_dir)));
    // Closing may still ask (SIGINT, or texts that could not be kept); Cancel keeps the program.
    if (!close()) closing_signal_ = 0;
}

bool TForm1::keep_modified_viewers()
{
    QList<KeptText> kept;
    QList<TEditForm*> modified;
    for (TEditForm* v : mdi_->viewers())
        if (v->is_modified()) {
            kept.append({v->windowTitle(), v->file_name(), v->text()});
            modified << v;
        }
    if (kept.isEmpty()) return true;
    if (!write_kept_texts(g_.program_dir, kept)) return false;
    for (TEditForm* v : modified)
        v->set_modified(false);
    std::fprintf(stderr, "vorlanix: %d modified windows kept in %s\n", int(kept.size()),
                 qPrintable(kept_texts_path(g_.program_dir)));
    return true;
}

QRect TForm1::designed_bounds() const
{
    // Two thirds of the desktop's free area, in its middle.
    const QScreen* sc = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect free_area = sc ? sc->availableGeometry() : QRect(0, 0, 1024, 768);
    QRect r(0, 0, free_area.width() * 2 / 3, free_area.height() * 2 / 3);
    r.moveCenter(free_area.center());
    return r;
}

QMargins TForm1::frame_margins() const
{
    const QRect f = frameGeometry(), inner = geometry();
    return {inner.left() - f.left(), inner.top() - f.top(), f.right() - inner.right(),
            f.bottom() - inner.bottom()};
}

void TForm1::apply_geometry()
{
    // The screen the stored position lies on; else the window's own.
    QScreen* sc = screen() ? screen() : QGuiApplication::primaryScreen();
    const Settings& s = g_.settings;
    if (s.LEFT && s.TOP)
        if (QScreen* at = QGuiApplication::screenAt(QPoint(*s.LEFT, *s.TOP))) sc = at;
    const QRect area = sc ? sc->availableGeometry() : QRect(0, 0, 1024, 768);
    const QRect r = fit_window_geometry(s, area, designed_bounds(), frame_margins());
    resize(r.size());
    move(r.topLeft());
}

void TForm1::keep_on_screen()
{
    // Before the window manager framed the window its frame was not known.
    const QMargins frame = frame_margins();
    if (frame.isNull() || !screen()) return;
    const QRect now(pos(), size());
    const QRect r = fit_window_geometry({}, screen()->availableGeometry(), now, frame);
    if (r == now) return;
    resize(r.size());
    move(r.topLeft());
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!mdi_->query_close_all()) {
        event->ignore();
        return;
    }
    QString error;
    if (!save_window_geometry(g_.program_dir, QRect(x(), y(), width(), height()), &error) && g_.ui)
        g_.ui->plain_message(error);
    poll_->timer()->stop();
    // The port's exclusive use ends now, not whenever the process does: the
    // next program on the device must not hear "in use".
    g_.link.close_comport();
    event->accept();
}

} // namespace vx
