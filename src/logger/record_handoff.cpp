#include "logger/record_handoff.h"

#include "base/calibration.h"
#include "base/store_lock.h"
#include "base/ui_port.h"
#include "logger/program_state.h"
#include "records/record_source.h"

#include <QFileInfo>

namespace vx
{

DecodeContext decode_context(const Global& g)
{
    DecodeContext c;
    c.type_code = g.ident.type_code;
    c.corr1 = g.status.corr1;
    c.corr2 = g.status.corr2;
    c.coef = &g.coef;
    c.diagnostic = g.poll.diagnostic;
    if (g.calib.calib_active) {
        const Calibration* calib = &g.calib;
        c.calibrated = [calib](float x) { return calib->format_value(calib->calib_value(x)); };
    }
    c.program_dir = g.program_dir;
    return c;
}

DecodeResult decode_block(const Global& g, ByteView reply, int count)
{
    return decode_block(decode_context(g), g.ident.record_length, reply, count);
}

QString log_dir(const Global& g)
{
    return log_dir(g.settings.LOGDIR, g.program_dir);
}

QString database_path(const Global& g, const QString& mission_name)
{
    return database_path(log_dir(g), mission_name);
}

QString old_format_database_path(const Global& g)
{
    return old_format_database_path(log_dir(g), g.status.serial);
}

ShowResult show_records(Global& g, ByteView reply, int count, RecordSink& sink)
{
    const DecodeResult block = decode_block(g, reply, count);
    ShowResult out;
    out.skipped = block.skipped;
    if (block.wide) sink.set_wide(true);
    QStringList file_lines;
    for (const DecodedLine& line : block.lines) {
        sink.add_line(line.display_line);
        ++g.transfer.record_counter;
        ++out.accepted;
        file_lines.append(line.file_line);
    }
    // The block goes to the file in one append that is on the disk before
    // the caller moves the download mark past it.
    if (g.transfer.write_to_database && !file_lines.isEmpty() &&
        !append_record_lines(database_path(g, g.status.mission_name), file_lines, g.ui, &g.lang))
        out.write_failed = true;
    sink.block_done(!out.write_failed);
    return out;
}

SortResult sort_record_file(Global& g, const QString& path, int header_count, qint64 appended_from)
{
    if (g.ident.type_code == 93 || !g.settings.SORTFILE || !QFileInfo::exists(path)) return {};
    UiPort* ui = g.ui;
    if (ui) {
        const QString caption = g.lang.mess(45);
        ui->progress_show(caption.isEmpty() ? builtin_text(QStringLiteral("MESS45")) : caption);
        ui->progress_label(QStringLiteral("SORTING"));
        ui->progress_range(100);
    }
    SortOptions options;
    options.appended_from = appended_from;
    options.progress = [ui](qint64 done, qint64 total) {
        if (ui && total > 0) ui->progress_position(int(done * 100 / total));
        return true;
    };
    const SortResult result = sort_records_in_file(path, header_count, options);
    if (ui) ui->progress_hide();
    return result;
}

QString attached_record_file(const Global& g)
{
    return g.ident.type_code == 55 ? old_format_database_path(g) : database_path(g, g.status.mission_name);
}

SortResult sort_after_download(Global& g, qint64 appended_from)
{
    return sort_record_file(g, attached_record_file(g), header_line_count(g.ident.type_code), appended_from);
}

bool note_record_source(Global& g)
{
    const std::uint16_t type = g.ident.type_code;
    const bool old_format = type == 55;
    const QString path = old_format ? old_format_database_path(g) : database_path(g, g.status.mission_name);
    const RecordSource source{g.status.serial, type, old_format ? QString() : g.status.mission_name, g.now()};
    if (const StoreLock lock(g.program_dir); RecordSourceStore().write(QFileInfo(path).fileName(), source))
        return true;
    if (g.ui)
        g.ui->show_message(QStringLiteral("Unable to write to ") + RecordSourceStore::location(), btn::ok);
    return false;
}

bool note_clock(Global& g, const QString& path, const ClockNote& note, bool restart)
{
    if (const StoreLock lock(g.program_dir);
        RecordSourceStore().add_clock_note(QFileInfo(path).fileName(), note, restart))
        return true;
    if (g.ui)
        g.ui->show_message(QStringLiteral("Unable to write to ") + RecordSourceStore::location(), btn::ok);
    return false;
}

} // namespace vx
