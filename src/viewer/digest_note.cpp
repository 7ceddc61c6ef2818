// A record file's digest in the user's language; see digest_note.h.
#include "viewer/digest_note.h"

#include "base/audit_trail.h"
#include "base/language.h"

namespace vx
{

namespace
{

// The time a digest was noted, with the UTC offset it was noted in.
QString noted_time(const QDateTime& t)
{
    const int offset = t.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return t.toString(QStringLiteral("d.M.yyyy hh:mm:ss")) +
           QStringLiteral(" (UTC%1%2:%3)")
               .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString digest_state_text(const Language& lang, const DigestStatus& status)
{
    if (status.state == DigestState::none) return lang.mess(220);
    // MESS214..219: unchanged since / changed after, by the action that noted the digest.
    int first = 214;
    if (status.action == audit_action::record_file_save) first = 216;
    if (status.action == audit_action::mission_start) first = 218;
    return lang.mess(first + (status.state == DigestState::changed ? 1 : 0)).arg(noted_time(status.time));
}

QStringList digest_lines(const Language& lang, const QString& path)
{
    if (path.isEmpty()) return {};
    const DigestStatus status = digest_status(path);
    return {lang.mess(213).arg(status.actual.isEmpty() ? lang.mess(222) : status.actual),
            digest_state_text(lang, status)};
}

} // namespace vx
