#pragma once
// A recording stand-in for the main window's logger panels.
#include "logger/display.h"

#include <QString>
#include <QStringList>
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
    void start_poll() override { running = true; }
    bool poll_running() const override { return running; }
    void first_tick() override { ++first_ticks; }
    void show_tip(const QString& key) override { tips.push_back(key); }
    void new_records_check() override { ++checks; }

    std::vector<vx::StatusView> views;
    int cleared = 0, stops = 0, first_ticks = 0, checks = 0;
    bool running = true;
    QString link_status, clock_text;
    QStringList names, tips;
};

} // namespace vxtest
