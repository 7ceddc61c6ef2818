#include "logger/program_state.h"

#include "base/ui_port.h"

#include <QDir>
#include <QFileInfo>

namespace vx
{

HelpPage find_help_page(const Global& g)
{
    const QStringList places = help_page_places(g.program_dir, g.data_dir, g.settings.LANGUAGE);
    for (const QString& page : places)
        if (QFileInfo(page).isFile()) return {page, g.lang.mess(48).arg(page)};
    return {{}, g.lang.mess(49) + places.join(QStringLiteral("\r\n"))};
}

QString load_settings(Global& g, const QString& language)
{
    // Run-time state that the file does not hold.
    g.poll.clock_countdown = 0;
    g.poll.diagnostic = false;
    g.tips.skip_first_page_tip = true;
    g.tips.attach(g.program_dir, &g.lang, g.data_dir);

    SettingsNotes notes;
    g.settings = read_settings(g.program_dir, &notes);
    g.lang.build_language_tables(g.program_dir, language.isEmpty() ? g.settings.LANGUAGE : language,
                                 g.data_dir);
    // The tips of the language just built.
    g.tips.count_day_tips();
    // The message names the directory, so that the user knows which one to mend.
    if (notes.logdir_missing && g.ui)
        g.ui->show_message(g.lang.mess(9) + QStringLiteral("\r\n") +
                               QDir::toNativeSeparators(notes.missing_logdir),
                           btn::ok);
    if (!notes.bad_com_port.isEmpty() && g.ui) g.ui->show_message(notes.bad_com_port, btn::ok);
    g.tips.showtip = g.settings.SHOWTIP;
    if (notes.unreadable.isEmpty()) return {};
    const QString unreadable =
        g.lang.mess(201).arg(QDir::toNativeSeparators(g.program_dir + key::settings_file), notes.unreadable);
    if (g.ui) g.ui->show_message(unreadable, btn::ok);
    return unreadable;
}

} // namespace vx
