#include "cli/cli_host.h"

#include "cli/terminal_ui.h"

namespace vx::cli
{

template <typename T>
std::optional<T> CliHost::latest(ControlView StatusView::*control, std::optional<T> ControlView::*field) const
{
    for (auto it = views_.rbegin(); it != views_.rend(); ++it)
        if (const auto& v = ((*it).*control).*field) return v;
    return std::nullopt;
}

std::optional<QString> CliHost::text_of(ControlView StatusView::*control) const
{
    return latest(control, &ControlView::text);
}

std::optional<bool> CliHost::visible_of(ControlView StatusView::*control) const
{
    return latest(control, &ControlView::visible);
}

StatusView CliHost::live_panels() const
{
    StatusView v;
    for (ControlView StatusView::*c :
         {&StatusView::pantemp, &StatusView::panhumi, &StatusView::PanTempFahren, &StatusView::panIBname})
        (v.*c).text = text_of(c);
    return v;
}

RecordSink* CliHost::open_text_window(const QString&, const QString&)
{
    return sink_ ? sink_ : &window_;
}

bool CliHost::confirm_first_contact(const QString& mission, int pointer)
{
    return ui_.confirm(
        QStringLiteral("The logger of mission \"%1\" is met for the first time here: store its "
                       "record pointer %2 as the download mark? Later downloads then fetch the "
                       "records written from now on (older ones: download --last N).")
            .arg(mission)
            .arg(pointer));
}

} // namespace vx::cli
