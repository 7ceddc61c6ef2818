// The download's block hand-off: decoding with the attached logger's state,
// the viewer's text pane and the mission's record file.
#include "records/record_decode.h"
#include "records/record_file.h"
#include "shell/calib.h"
#include "shell/global.h"

namespace vx
{

DecodeContext DecodeContext::from(const Global& g)
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
    return decode_block(DecodeContext::from(g), g.ident.record_length, reply, count);
}

ShowResult show_records(Global& g, ByteView reply, int count, RecordSink& sink)
{
    const DecodeResult block = decode_block(g, reply, count);
    ShowResult out;
    out.skipped = block.skipped;
    if (block.wide) sink.set_wide(true);
    const QString path = g.transfer.write_to_database ? database_path(g, g.status.mission_name) : QString();
    for (const DecodedLine& line : block.lines) {
        sink.add_line(line.display_line);
        ++g.transfer.record_counter;
        ++out.accepted;
        // After a failed append the download ends; no further line is tried.
        if (g.transfer.write_to_database && !out.write_failed && !write_record(g, path, line.file_line))
            out.write_failed = true;
    }
    return out;
}

} // namespace vx
