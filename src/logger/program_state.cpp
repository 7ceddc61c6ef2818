#include "logger/program_state.h"

#include "base/ui_port.h"

namespace vx
{

void load_settings(Global& g)
{
    // Run-time state that the file does not hold.
    g.poll.clock_countdown = 0;
    g.poll.diagnostic = false;
    g.tips.skip_first_page_tip = true;
    g.tips.attach(g.program_dir, &g.lang);
    g.tips.count_day_tips();

    SettingsNotes notes;
    g.settings = read_settings(g.program_dir, &notes);
    g.lang.build_language_tables(g.program_dir, g.settings.LANGUAGE);
    if (notes.logdir_missing && g.ui) g.ui->show_message(g.lang.mess(9), btn::ok);
    if (!notes.bad_com_port.isEmpty() && g.ui) g.ui->show_message(notes.bad_com_port, btn::ok);
    g.tips.showtip = g.settings.SHOWTIP;
}

} // namespace vx
