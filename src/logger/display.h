#pragma once
// The main window as seen by the poll cycle and the clock flows. The window
// implements it; tests implement it with a recording fake. Every call comes
// from the user-interface thread.
#include "logger/status_view.h"

#include <QString>

namespace vx
{

class LoggerDisplay
{
public:
    virtual ~LoggerDisplay() = default;

    // Shows a decoded status: every set member of the view changes its control.
    virtual void apply(const StatusView& view) = 0;

    // The logger is gone: empties time, serial number, type, battery, both name
    // panels, start delay, pointer, interval, change threshold, both value
    // panels, the new-records count and the key name, and disables the "Štart"
    // action. (The poll cycle itself resets the record pointer and drops the
    // active calibration.)
    virtual void clear_panels() = 0;

    // Status bar panel 1 ("OK" / "Nepripojeny").
    virtual void set_link_status(const QString& text) = 0;
    // Status bar panel 2: the computer's time.
    virtual void set_clock_text(const QString& text) = 0;

    // A good name block: shows the name in Panmisname and panmisname2 and
    // enables the "Štart" action.
    virtual void show_mission_name(const QString& name) = 0;

    // The poll timer Timer1.
    virtual void stop_poll() = 0;
    virtual void start_poll() = 0;
    virtual bool poll_running() const = 0;

    // Called once, on the first tick with an open link: create the database
    // browser window.
    virtual void first_tick() = 0;

    // Contextual tip of the tips file (shown only when tips are on).
    virtual void show_tip(const QString& key) = 0;

    // After a good name block (unless the humidity coefficients of the last
    // status were invalid): the automatic new-records check of the download.
    virtual void new_records_check() = 0;
};

} // namespace vx
