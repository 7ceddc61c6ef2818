#include "cli/influx_output.h"

#include "base/safe_file.h"
#include "cli/commands.h"
#include "cli/export_output.h"
#include "logger/program_state.h"
#include "logger/record_handoff.h"
#include "records/line_protocol.h"
#include "records/record_export.h"
#include "records/record_source.h"

#include <QFile>
#include <QFileInfo>

namespace vx::cli
{

namespace
{

void write_utf8(std::FILE* f, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), f);
    std::fflush(f);
}

int failure(std::FILE* err, const QString& why)
{
    write_utf8(err, QStringLiteral("vorlanix-cli: %1\n").arg(why));
    return exit_failed;
}

} // namespace

void InfluxRecordPrinter::add_line(const QString& line)
{
    pending_.append(line);
}

void InfluxRecordPrinter::block_done(bool stored)
{
    // Only records on disk are printed: a block that failed is fetched and
    // printed again by the next download.
    if (stored && !pending_.isEmpty()) {
        const bool old_format = g_.ident.type_code == 55;
        const RecordSource source{
            g_.status.serial, g_.ident.type_code, old_format ? QString() : g_.status.mission_name, {}};
        if (!times_)
            times_.emplace(RecordSourceStore().clock_notes(
                QFileInfo(old_format ? old_format_database_path(g_)
                                     : database_path(g_, g_.status.mission_name))
                    .fileName()));
        const InfluxExport points = records_to_influx(pending_, source, *times_);
        write_utf8(out_, points.text);
    }
    pending_.clear();
}

int export_influx(const QString& file, std::optional<std::uint16_t> serial,
                  std::optional<std::uint16_t> model, const std::optional<QDateTime>& from,
                  const std::optional<QDateTime>& to_time, const QString& output, std::FILE* out,
                  std::FILE* err)
{
    const QFileInfo info(file);
    QString store_failure;
    const auto noted = RecordSourceStore().read(info.fileName(), &store_failure);
    // A store that cannot be read is said as such, not taken for one that notes nothing.
    if (!store_failure.isEmpty()) return failure(err, store_failure);
    RecordSource source;
    if (noted) source = *noted;
    if (serial) source.serial = *serial;
    if (model) source.type_code = *model;
    if (!noted && (!serial || !model)) {
        const QString missing = !serial && !model ? QStringLiteral("serial number and model")
                                : !serial         ? QStringLiteral("serial number")
                                                  : QStringLiteral("model");
        const QString options = !serial && !model ? QStringLiteral("--serial N --model TYPE")
                                : !serial         ? QStringLiteral("--serial N")
                                                  : QStringLiteral("--model TYPE");
        return failure(err, QStringLiteral("%1: no download has noted the %2 of its logger; give %3")
                                .arg(file, missing, options));
    }
    if (source.mission.isEmpty() && source.type_code != 55) source.mission = info.completeBaseName();

    QFile f;
    // A device or a pipe may never end.
    if (const QString why = open_regular_file(f, file, QIODevice::ReadOnly, Links::follow); !why.isEmpty())
        return failure(err, QStringLiteral("cannot read %1: %2").arg(file, why));
    ExportOutput to(output, out);
    if (!to.open()) return failure(err, to.error());
    // Points printed cannot be taken back: a record InfluxDB cannot hold is found before the first.
    const StreamedExport influx = stream_influx(
        f, source, from, to_time, RecordSourceStore().clock_notes(info.fileName()),
        [&to](QByteArrayView bytes) { return to.write(bytes); }, !to.to_file());
    if (!influx.error.isEmpty()) return failure(err, QStringLiteral("%1: %2").arg(file, influx.error));
    if (influx.sink_failed || !to.finish()) return failure(err, to.error());
    return exit_ok;
}

} // namespace vx::cli
