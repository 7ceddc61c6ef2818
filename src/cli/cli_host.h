#pragma once
// The main window as the command line stands in for it: what the status
// decoding shows is kept (the report reads it back), a download's text
// window shows nothing (the records go to the record file as ever), and
// there is no poll timer to stop.
#include "logger/display.h"
#include "logger/download.h"
#include "logger/status_view.h"
#include "records/record_decode.h"

#include <QString>
#include <optional>
#include <vector>

namespace vx::cli
{

class TerminalUi;

class CliHost : public LoggerDisplay, public DownloadHost
{
public:
    explicit CliHost(TerminalUi& ui) : ui_(ui) {}

    // The latest value a decode gave a control's text (nullopt: never set
    // since the last clear).
    std::optional<QString> text_of(ControlView StatusView::*control) const;
    std::optional<bool> visible_of(ControlView StatusView::*control) const;
    // The live value panels (pantemp, panhumi, PanTempFahren, panIBname)
    // with the latest texts they were given.
    StatusView live_panels() const;

    // Where a download's decoded lines go (nullptr: nowhere; they are in the
    // record file already).
    void set_record_sink(RecordSink* sink) { sink_ = sink; }

    // LoggerDisplay
    void apply(const StatusView& view) override { views_.push_back(view); }
    void clear_panels() override { views_.clear(); }
    void set_link_status(const QString&) override {}
    void set_clock_text(const QString&) override {}
    void show_mission_name(const QString&) override {}
    void stop_poll() override {}
    void start_poll() override {}
    bool poll_running() const override { return false; }
    void first_tick() override {}
    void show_tip(const QString&) override {}
    void new_records_check() override {}

    // DownloadHost
    RecordSink* open_text_window(const QString& caption, const QString& first_line) override;
    void set_window_modified(RecordSink*, bool) override {}
    void redraw_graph(RecordSink*) override {}
    void refresh_database_browser() override {}
    void set_status_text(const QString&) override {}
    void set_new_records_text(const QString&) override {}
    QString pointer_text() const override { return text_of(&StatusView::panptr).value_or(QString()); }
    bool confirm_first_contact(const QString& mission, int pointer) override;

private:
    // The download's text window: its lines are in the record file already.
    struct NoWindow : RecordSink {
        void add_line(const QString&) override {}
    };
    template <typename T>
    std::optional<T> latest(ControlView StatusView::*control, std::optional<T> ControlView::*field) const;

    TerminalUi& ui_;
    std::vector<StatusView> views_;
    NoWindow window_;
    RecordSink* sink_ = nullptr;
};

} // namespace vx::cli
