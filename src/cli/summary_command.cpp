// vorlanix-cli summary; see summary_command.h.
#include "cli/summary_command.h"

#include "base/code_page.h"
#include "base/printable.h"
#include "base/safe_file.h"
#include "cli/commands.h"
#include "cli/help_texts.h"
#include "cli/options.h"
#include "records/record_file.h"
#include "records/record_summary.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace vx::cli
{

namespace
{

struct Options {
    QString file;
    bool json = false;
    SummaryOptions summary;
};

// Reads the options from c; errors are noted in c.
Options read_options(CommandLine& c)
{
    Options o;
    o.json = c.is_set(QStringLiteral("json"));
    if (const auto model =
            c.number(QStringLiteral("model"), 1, 65535, QStringLiteral("--model needs a logger type code")))
        o.summary.type_code = static_cast<std::uint16_t>(*model);
    if (const auto channel = c.number(QStringLiteral("channel"), 1, 10,
                                      QStringLiteral("--channel needs a channel number from 1 to 10")))
        o.summary.channel = *channel - 1;
    for (const char* name : {"above", "below"}) {
        if (!c.is_set(QLatin1String(name))) continue;
        const auto limit = parse_record_value(c.value(QLatin1String(name)));
        if (!limit) c.fail(QStringLiteral("--%1 needs a number, such as 8 or 8.5").arg(QLatin1String(name)));
        (name[0] == 'a' ? o.summary.above : o.summary.below) = limit;
    }
    o.file = c.one_word(QStringLiteral("summary needs the record file"));
    return o;
}

// ISO 8601 with the offset written out, also for UTC itself ("+00:00").
QJsonValue iso(const Instant& i)
{
    const int minutes = std::abs(i.offset) / 60;
    return i.time().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (i.offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// Figures a person reads: two decimals.
double rounded(double v)
{
    return std::round(v * 100) / 100;
}

QJsonObject excursions_json(const Excursions& e)
{
    return {{QStringLiteral("limit"), e.limit},
            {QStringLiteral("minutes"), rounded(e.seconds / 60)},
            {QStringLiteral("excursions"), e.count},
            {QStringLiteral("longest_minutes"), rounded(e.longest_seconds / 60)},
            {QStringLiteral("longest_start"), e.count ? iso(e.longest_start) : QJsonValue()}};
}

QByteArray summary_json(const RecordSummary& s, const QString& file)
{
    QJsonArray channels;
    for (const ChannelSummary& c : s.channels) {
        QJsonObject o{
            {QStringLiteral("name"), c.channel.name}, {QStringLiteral("unit"), c.channel.unit},
            {QStringLiteral("min"), c.minimum},       {QStringLiteral("min_time"), iso(c.minimum_time)},
            {QStringLiteral("max"), c.maximum},       {QStringLiteral("max_time"), iso(c.maximum_time)},
            {QStringLiteral("mean"), rounded(c.mean)}};
        if (c.mkt) o.insert(QStringLiteral("mkt"), rounded(*c.mkt));
        if (c.above) o.insert(QStringLiteral("above"), excursions_json(*c.above));
        if (c.below) o.insert(QStringLiteral("below"), excursions_json(*c.below));
        channels.append(o);
    }
    const QJsonObject root{{QStringLiteral("file"), file},
                           {QStringLiteral("records"), s.records},
                           {QStringLiteral("first"), s.records ? iso(s.first) : QJsonValue()},
                           {QStringLiteral("last"), s.records ? iso(s.last) : QJsonValue()},
                           {QStringLiteral("channels"), channels}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

// The command line's words (English, whatever the desktop's language).
SummaryWords english_words()
{
    return {QStringLiteral("Summary of the records"),
            QStringLiteral("Records"),
            QStringLiteral("First record"),
            QStringLiteral("Last record"),
            QStringLiteral("Minimum"),
            QStringLiteral("Maximum"),
            QStringLiteral("Mean"),
            QStringLiteral("Mean kinetic temperature (MKT)"),
            QStringLiteral("Above %1"),
            QStringLiteral("Below %1"),
            QStringLiteral("%1, excursions: %2"),
            QStringLiteral("Longest excursion")};
}

void print(std::FILE* f, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), f);
    std::fflush(f);
}

} // namespace

int summary_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    const auto value = [](const char* name, const char* value, const char* needs) {
        return OptionSpec{{QLatin1String(name)}, value, QLatin1String(needs)};
    };
    CommandLine c(QStringLiteral("summary"),
                  {{{QStringLiteral("json")}},
                   value("model", "TYPE", "--model needs a logger type code"),
                   value("channel", "N", "--channel needs a channel number from 1 to 10"),
                   value("above", "H", "--above needs a number, such as 8 or 8.5"),
                   value("below", "L", "--below needs a number, such as 8 or 8.5")},
                  args);
    Options o = read_options(c);
    if (const auto status = c.finish(out, err, help_of(c.command()))) return *status;
    QFile f;
    // A device or a pipe may never end.
    if (const QString why = open_regular_file(f, o.file, QIODevice::ReadOnly, Links::follow);
        !why.isEmpty()) {
        print(err, printable(QStringLiteral("vorlanix-cli: cannot read %1: %2").arg(o.file, why)) + '\n');
        return exit_failed;
    }
    const QString text = from_cp1250(f.readAll());
    o.summary.clock_notes = RecordSourceStore().clock_notes(QFileInfo(o.file).fileName());
    const RecordSummary s = summarize_records(text, o.summary);
    if (o.summary.channel && s.channels.empty() && s.records > 0) {
        print(err, printable(QStringLiteral("vorlanix-cli: %1 has no channel %2")
                                 .arg(o.file)
                                 .arg(*o.summary.channel + 1)) +
                       '\n');
        return exit_failed;
    }
    if (o.json) {
        const QByteArray json = summary_json(s, o.file);
        std::fwrite(json.constData(), 1, size_t(json.size()), out);
        std::fflush(out);
        return exit_ok;
    }
    const SummaryWords words = english_words();
    QStringList lines = summary_lines(summary_table(s, words), words.title + QStringLiteral(" of ") + o.file);
    if (lines.isEmpty()) lines << QStringLiteral("%1: no records").arg(o.file);
    for (const QString& line : lines)
        print(out, printable(line) + QLatin1Char('\n'));
    return exit_ok;
}

} // namespace vx::cli
