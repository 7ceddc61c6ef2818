#pragma once
// A recording main window and a scripted user-interface port.
#include "base/ui_port.h"
#include "logger/display.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

namespace vxtest
{

class FakeDisplay : public vx::LoggerDisplay
{
public:
    void apply(const vx::StatusView& v) override { views.push_back(v); }
    void clear_panels() override { ++cleared; }
    void set_link_status(const QString& t) override { link_status = t; }
    void set_clock_text(const QString& t) override { clock_text = t; }
    void show_mission_name(const QString& n) override { names.push_back(n); }
    void stop_poll() override
    {
        running = false;
        ++stops;
    }
    void start_poll() override
    {
        running = true;
        ++starts;
    }
    bool poll_running() const override { return running; }
    void first_tick() override { ++first_ticks; }
    void show_tip(const QString& key) override { tips.push_back(key); }
    void new_records_check() override { ++checks; }

    std::vector<vx::StatusView> views;
    int cleared = 0, stops = 0, starts = 0, first_ticks = 0, checks = 0;
    bool running = true;
    QString link_status, clock_text;
    QStringList names, tips;
};

class LoggerUi : public vx::UiPort
{
public:
    int show_message(const QString& text, int buttons) override
    {
        messages.push_back(text);
        message_buttons.push_back(buttons);
        if (answers.empty()) return vx::mr::ok;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    void plain_message(const QString& text) override { plain.push_back(text); }
    std::optional<QString> input_box(const QString& caption, const QString& prompt,
                                     const QString& value) override
    {
        inputs.push_back(caption + "|" + prompt + "|" + value);
        if (input_answers.empty()) return std::nullopt;
        const auto a = input_answers.front();
        input_answers.pop_front();
        return a;
    }
    void progress_show(const QString& caption) override
    {
        progress_caption = caption;
        progress_visible = true;
    }
    void progress_hide() override { progress_visible = false; }
    void progress_label(const QString& text) override { labels.push_back(text); }
    void progress_range(int maximum) override { range = maximum; }
    void progress_position(int position) override { positions.push_back(position); }
    void progress_log(const QString& line) override { log.push_back(line); }
    void progress_clear_log() override { log.clear(); }

    QStringList messages, plain, inputs, labels, log;
    std::vector<int> message_buttons, positions;
    std::deque<int> answers;
    std::deque<std::optional<QString>> input_answers;
    QString progress_caption;
    bool progress_visible = false;
    int range = 0;
};

} // namespace vxtest
