#pragma once
// The record downloads as the main window hosts them: every download opens
// its viewer in the document area and reports into the window's panels and
// status bar; the poll, the tips and the name panels are the logger
// display's.
#include "logger/download.h"

#include <functional>
#include <memory>
#include <vector>

class QLabel;

namespace vx
{

class LoggerDisplay;
class LoggerPages;
class QuestionBar;
class ViewerArea;
class ViewerSink;

class WindowDownloadHost : public DownloadHost
{
public:
    // status is the status bar panel of the last transfer's record count.
    WindowDownloadHost(ViewerArea& viewers, LoggerPages& pages, LoggerDisplay& display, QLabel* status);
    ~WindowDownloadHost() override;

    // The database browser reads its file list again (set by the main window).
    std::function<void()> refresh_browser;
    // Where the poll's questions wait for their answer (set by the main window).
    QuestionBar* question_bar = nullptr;

    RecordSink* open_text_window(const QString& caption, const QString& first_line) override;
    void set_window_modified(RecordSink* window, bool modified) override;
    void redraw_graph(RecordSink* window) override;
    void refresh_database_browser() override;
    void set_status_text(const QString& text) override;
    void set_new_records_text(const QString& text) override;
    void show_mission_name(const QString& name) override;
    QString pointer_text() const override;
    void stop_poll() override;
    void start_poll() override;
    void show_tip(const QString& key) override;
    bool ask_later(const QString& text, int buttons, std::function<void(int)> answered) override;
    void withdraw_question() override;
    void propose_file_name(RecordSink* window, const QString& path) override;

private:
    ViewerArea& viewers_;
    LoggerPages& pages_;
    LoggerDisplay& display_;
    QLabel* status_;
    // The targets handed out, one per download viewer; they outlive their
    // viewers, which the user may close while a transfer runs.
    std::vector<std::unique_ptr<ViewerSink>> sinks_;
};

} // namespace vx
