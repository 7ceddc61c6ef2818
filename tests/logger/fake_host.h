#pragma once
// A main window stand-in for the download flows: records every call and
// collects the lines of each text window it opens.
#include "logger/download.h"
#include "records/record_decode.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

namespace vxtest
{

struct FakeWindow : vx::RecordSink {
    QString caption;
    QStringList lines; // the first line, then every decoded line
    bool modified = true;
    bool wide = false;
    int redraws = 0;
    void add_line(const QString& line) override { lines << line; }
    void set_wide(bool w) override { wide = w; }
};

class FakeHost : public vx::DownloadHost
{
public:
    vx::RecordSink* open_text_window(const QString& caption, const QString& first_line) override
    {
        auto& w = windows.emplace_back();
        w.caption = caption;
        w.lines << first_line;
        if (on_open) on_open();
        return &w;
    }
    void set_window_modified(vx::RecordSink* window, bool modified) override
    {
        static_cast<FakeWindow*>(window)->modified = modified;
    }
    void redraw_graph(vx::RecordSink* window) override { ++static_cast<FakeWindow*>(window)->redraws; }
    void refresh_database_browser() override { ++browser_refreshes; }
    void set_status_text(const QString& text) override { status_text = text; }
    void set_new_records_text(const QString& text) override { new_records_text = text; }
    void show_mission_name(const QString& name) override { mission_name_shown = name; }
    QString pointer_text() const override { return pointer; }
    void stop_poll() override
    {
        poll_running = false;
        ++poll_stops;
    }
    void start_poll() override { poll_running = true; }
    void show_tip(const QString& key) override { tips << key; }

    QString pointer = QStringLiteral("130");
    std::function<void()> on_open;  // called when a text window opens
    std::deque<FakeWindow> windows; // stable addresses
    QStringList tips;
    QString status_text = QStringLiteral("(untouched)");
    QString new_records_text = QStringLiteral("(untouched)");
    QString mission_name_shown = QStringLiteral("(untouched)");
    bool poll_running = true;
    int poll_stops = 0;
    int browser_refreshes = 0;
};

} // namespace vxtest
