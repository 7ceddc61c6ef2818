// vorlanix-cli summary; see summary_command.h.
#include "cli/summary_command.h"

#include "base/code_page.h"
#include "base/printable.h"
#include "base/safe_file.h"
#include "cli/commands.h"
#include "cli/help_texts.h"
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
    bool help = false, json = false;
    SummaryOptions summary;
};

// Reads the options; an error text, or empty.
QString parse(const QStringList& args, Options& o)
{
    for (int i = 0; i < args.size(); ++i) {
        QString a = args[i];
        std::optional<QString> inline_value;
        if (a.startsWith(QLatin1String("--")) && a.contains(QLatin1Char('='))) {
            inline_value = a.mid(a.indexOf(QLatin1Char('=')) + 1);
            a = a.left(a.indexOf(QLatin1Char('=')));
        }
        auto value = [&]() -> QString {
            if (inline_value) return *inline_value;
            return i + 1 < args.size() ? args[++i] : QString();
        };
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            o.help = true;
        } else if (a == QLatin1String("--json")) {
            o.json = true;
        } else if (a == QLatin1String("--model")) {
            bool ok = false;
            const int n = value().toInt(&ok);
            if (!ok || n < 1 || n > 65535) return QStringLiteral("--model needs a logger type code");
            o.summary.type_code = static_cast<std::uint16_t>(n);
        } else if (a == QLatin1String("--channel")) {
            bool ok = false;
            const int n = value().toInt(&ok);
            if (!ok || n < 1 || n > 10)
                return QStringLiteral("--channel needs a channel number from 1 to 10");
            o.summary.channel = n - 1;
        } else if (a == QLatin1String("--above") || a == QLatin1String("--below")) {
            const auto limit = parse_record_value(value());
            if (!limit) return QStringLiteral("%1 needs a number, such as 8 or 8.5").arg(a);
            (a == QLatin1String("--above") ? o.summary.above : o.summary.below) = limit;
        } else if (!a.startsWith(QLatin1Char('-')) && o.file.isEmpty()) {
            o.file = a;
        } else {
            return QStringLiteral("unknown argument '%1' for summary").arg(args[i]);
        }
    }
    if (!o.help && o.file.isEmpty()) return QStringLiteral("summary needs the record file");
    return {};
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
    Options o;
    if (const QString error = parse(args, o); !error.isEmpty()) {
        print(err,
              QStringLiteral("vorlanix-cli: %1\nTry 'vorlanix-cli summary --help'.\n").arg(printable(error)));
        return exit_usage;
    }
    if (o.help) {
        print(out, QString::fromUtf8(help_of(QStringLiteral("summary"))));
        return exit_ok;
    }
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
