#pragma once
// Where a download's records go, seen from the attached logger: decoding
// with its model, corrections and coefficients, its mission's record file in
// the configured log directory, the viewer's text pane, and the sort at the
// end of a transfer.
#include "link/bytes.h"
#include "records/record_decode.h"
#include "records/record_file.h"
#include "records/record_source.h"

namespace vx
{

struct Global;

// The conversions of the attached logger as record decoding needs them.
DecodeContext decode_context(const Global& g);
DecodeResult decode_block(const Global& g, ByteView reply, int count);

// The configured log directory, and the record files of a mission and of
// the old-format logger (named by its serial number) in it.
QString log_dir(const Global& g);
QString database_path(const Global& g, const QString& mission_name);
QString old_format_database_path(const Global& g);

struct ShowResult {
    int accepted = 0;
    int skipped = 0;
    bool write_failed = false; // a database append failed; the download should end
};

// The block hand-off of a download: every accepted record goes to the sink
// and increments g.transfer.record_counter; with
// g.transfer.write_to_database the block's records are appended to the
// mission's record file in one append that is flushed to the disk.
ShowResult show_records(Global& g, ByteView reply, int count, RecordSink& sink);

// The sort after a download: nothing for type 93, with SORTFILE off or when
// the file does not exist; otherwise "SORTING" in the progress window.
// appended_from: the file's size before the download appended to it (see
// SortOptions), -1 when not known.
SortResult sort_record_file(Global& g, const QString& path, int header_lines, qint64 appended_from = -1);
// The attached logger's record file (type 55: the serial-number file).
QString attached_record_file(const Global& g);
// The sort at the end of a download that decoded records: the attached
// logger's record file with its model's header line count.
SortResult sort_after_download(Global& g, qint64 appended_from = -1);

// Notes the attached logger (serial number, model, mission) and the time as
// the source of its record file (records/record_source.h), at the end of a
// download that added records. False, with "Unable to write to <store>"
// through the user-interface port, when the store cannot be written.
bool note_record_source(Global& g);

// Notes the UTC offset the logger's clock runs at from note.since on, for
// the record file at path (records/record_times.h); with restart the file's
// earlier notes are dropped (a mission start that began the file anew).
// False, with "Unable to write to <store>", when the store cannot be written.
bool note_clock(Global& g, const QString& path, const ClockNote& note, bool restart = false);

} // namespace vx
