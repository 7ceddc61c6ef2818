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

    bool logdir_missing = false;
    g.settings = read_settings(g.program_dir, &logdir_missing);
    g.lang.build_language_tables(g.program_dir, g.settings.LANGUAGE);
    if (logdir_missing && g.ui) g.ui->show_message(g.lang.mess(9), btn::ok);
    g.tips.showtip = g.settings.SHOWTIP;
}

} // namespace vx
