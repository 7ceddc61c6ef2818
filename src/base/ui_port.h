#pragma once
// The small user-interface port through which the link and every flow that
// talks to a logger reach the user. Windows implement it with Qt widgets;
// tests implement it with a scripted fake.
#include <QString>
#include <optional>

namespace vx
{

// Button sets of the message window (combine with |).
namespace btn
{
inline constexpr int yes = 1;
inline constexpr int no = 2;
inline constexpr int ok = 4;
inline constexpr int cancel = 8;
} // namespace btn

// Results of the message window.
namespace mr
{
inline constexpr int ok = 1;
inline constexpr int cancel = 2;
inline constexpr int yes = 6;
inline constexpr int no = 7;
} // namespace mr

class UiPort
{
public:
    virtual ~UiPort() = default;

    // The message window titled "Info": shows text with the buttons of the set
    // and returns the result of the button pressed (mr::*). Does nothing and
    // returns 0 while the message window is already showing. default_button
    // (one btn:: flag of the set) is the button Enter presses; 0 leaves the
    // first of OK, Yes, Cancel, No. A question whose Yes deletes or
    // overwrites names its safe answer here.
    virtual int show_message(const QString& text, int buttons, int default_button = 0) = 0;

    // A plain system message box with an OK button (fixed texts such as
    // "ERROR send command").
    virtual void plain_message(const QString& text) = 0;

    // An input box; nullopt when the user cancelled it.
    virtual std::optional<QString> input_box(const QString& caption, const QString& prompt,
                                             const QString& value) = 0;

    // The progress window: caption, one-line label, bar, log, cancel button.
    // Cancel (or Enter) sets the link's abort flag and hides the window.
    virtual void progress_show(const QString& caption) = 0; // empties the label, bar 0..100 at 0
    virtual void progress_hide() = 0;
    virtual void progress_label(const QString& text) = 0;
    virtual void progress_range(int maximum) = 0; // bar from 0 to maximum
    virtual void progress_position(int position) = 0;
    virtual void progress_log(const QString& line) = 0; // appends a line
    virtual void progress_clear_log() = 0;
};

} // namespace vx
