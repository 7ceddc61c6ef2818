#include "app/download_host.h"

#include "app/logger_pages.h"
#include "app/question_bar.h"
#include "app/viewer_area.h"
#include "logger/display.h"
#include "viewer/record_viewer.h"
#include "viewer/viewer_sink.h"

#include <QLabel>

namespace vx
{

WindowDownloadHost::WindowDownloadHost(ViewerArea& viewers, LoggerPages& pages, LoggerDisplay& display,
                                       QLabel* status)
    : viewers_(viewers), pages_(pages), display_(display), status_(status)
{
}

WindowDownloadHost::~WindowDownloadHost() = default;

RecordSink* WindowDownloadHost::open_text_window(const QString& caption, const QString& first_line)
{
    TEditForm* viewer = viewers_.new_viewer(caption, first_line);
    // It shows the records of one download, not the mission's whole file.
    viewer->set_selection_view(true);
    return sinks_.emplace_back(std::make_unique<ViewerSink>(viewer)).get();
}

void WindowDownloadHost::set_window_modified(RecordSink* window, bool modified)
{
    if (TEditForm* v = window ? static_cast<ViewerSink*>(window)->viewer() : nullptr)
        v->set_modified(modified);
}

void WindowDownloadHost::redraw_graph(RecordSink* window)
{
    if (TEditForm* v = window ? static_cast<ViewerSink*>(window)->viewer() : nullptr) v->RedrawGraph();
}

void WindowDownloadHost::refresh_database_browser()
{
    if (refresh_browser) refresh_browser();
}

void WindowDownloadHost::set_status_text(const QString& text)
{
    status_->setText(text);
}

void WindowDownloadHost::set_new_records_text(const QString& text)
{
    pages_.PannewRec->setText(text);
}

void WindowDownloadHost::show_mission_name(const QString& name)
{
    display_.show_mission_name(name);
}

QString WindowDownloadHost::pointer_text() const
{
    return pages_.panptr->text();
}

void WindowDownloadHost::stop_poll()
{
    display_.stop_poll();
}

void WindowDownloadHost::start_poll()
{
    display_.start_poll();
}

void WindowDownloadHost::show_tip(const QString& key)
{
    display_.show_tip(key);
}

bool WindowDownloadHost::ask_later(const QString& text, int buttons, std::function<void(int)> answered)
{
    if (!question_bar) return false;
    question_bar->ask(text, buttons, std::move(answered));
    return true;
}

void WindowDownloadHost::withdraw_question()
{
    if (question_bar) question_bar->withdraw_question();
}

void WindowDownloadHost::propose_file_name(RecordSink* window, const QString& path)
{
    if (TEditForm* v = window ? static_cast<ViewerSink*>(window)->viewer() : nullptr) v->set_file_name(path);
}

} // namespace vx
