#pragma once
// Record decoding: the stored records of a logger, as read in blocks of ten,
// turned into time stamps and physical values, one text line per record.
//
// Record layout in logger memory (little-endian):
//   0     minute 0..59
//   1     hour, bits 0..6 (0..23); bit 7 is a logger flag and ignored
//   2..3  day number, days since 1 January 2000 (day 0)
//   4..5  value A, raw first channel
//   6..7  value B, raw second channel      (records of 8 or 9 bytes)
//   8     extra byte, third channel         (records of 9 bytes)
// A block reply holds the five echoed bytes of the read command, then ten
// records, then a sum byte.
//
// The old-format logger (type 55) streams 7-byte records instead: BCD hour,
// BCD minute, day (BCD, bits 0..5) with the year modulo 4 in bits 6..7, BCD
// month (bits 0..4), a big-endian raw value and a sum byte.
#include "link/bytes.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vx
{

struct Coefficients;

// One record as stored by the logger, before conversion.
struct RawRecord {
    QDateTime time;         // local time without zone; seconds only for type 132
    std::uint16_t a = 0;    // value A
    std::uint16_t b = 0;    // value B (0 for 6-byte records)
    std::uint8_t extra = 0; // extra byte (0 unless 9-byte records)
};

// Splits one stored record. The day number counts from 1 January 2000 in the
// logger's calendar (every year divisible by 4 is a leap year). nullopt when
// type_code is 0, fewer than record_length bytes are given, the minute is
// above 59 or the hour above 23, the day is one the real calendar lacks
// (29 February 2100), or (type 132, seconds in value B) B is 60 or more.
std::optional<RawRecord> parse_record(std::uint16_t type_code, int record_length, ByteView bytes);

// What the conversions need to know about the attached logger.
struct DecodeContext {
    std::uint16_t type_code = 0;
    float corr1 = 0, corr2 = 0; // sensor corrections, degrees C
    const Coefficients* coef = nullptr;
    bool diagnostic = false; // humidity neither limited nor converted
    // The user calibration in force: its text for a current-loop value (the
    // value through the definition's polynomial, in its number format).
    // Empty when no definition is active.
    std::function<QString(float)> calibrated;
    QString program_dir; // where the key list "kluce.txt" lives (with trailing '/')
};

// Conversions from a raw count to a physical value, in single precision.
float temp16(const DecodeContext& c, std::uint16_t r);     // 1/16 degree, + correction 1 (not type 131)
float temp16_t2(const DecodeContext& c, std::uint16_t r);  // 1/16 degree, + correction 2
float poly_value(const DecodeContext& c, std::uint16_t r); // a0 + a1 r + a2 r^2 + correction 1
float humi_value(const DecodeContext& c,
                 std::uint16_t r); // poly_value limited to 0..100 (not in diagnostic mode)
float humi_cap(const DecodeContext& c, std::uint16_t r); // capacitive humidity from F0, S and trim byte T

// Whether the viewer shows records of this type in the wide (two-column) pane.
bool is_wide_type(std::uint16_t type_code);

// The values of one record as text, joined by tabs (no time stamp).
QString record_values(const DecodeContext& c, const RawRecord& rec);

// One accepted record.
struct DecodedLine {
    QDateTime time;
    QString values;       // tab-joined values
    QString display_line; // as the viewer shows it: "d.M.yyyy hh:mm" (132: "hh:mm:ss"), tab, values
    QString file_line;    // as the record file holds it (see record_file.h)
};

struct DecodeResult {
    std::vector<DecodedLine> lines;
    int skipped = 0; // records that failed their checks
    bool wide = false;
};

// Decodes the first count records (at most 10) of a block reply as received
// (five echoed bytes, records, sum byte). Records past the end of the reply
// count as skipped.
DecodeResult decode_block(const DecodeContext& c, int record_length, ByteView reply, int count);

// Where decoded lines go: the text pane of the record viewer.
class RecordSink
{
public:
    virtual ~RecordSink() = default;
    virtual void add_line(const QString& line) = 0;
    // Called with true for the types shown in the two-column pane.
    virtual void set_wide(bool wide) { (void)wide; }
    // Called after the lines of one block were added: stored is true when
    // they reached the record file (or the download keeps no file), false
    // when writing them failed.
    virtual void block_done(bool stored) { (void)stored; }
};

// Old-format (type 55) record of exactly 7 bytes. pc_year is the current
// year of the computer clock; the record's year is the latest year not after
// it with the record's year modulo 4. nullopt on a wrong sum or an invalid
// date or time.
struct OldRecord {
    QDateTime time;
    float value = 0;
};
std::optional<OldRecord> parse_old_record(ByteView bytes, int pc_year, const Coefficients& coef);
// Its line: "d.M.yyyy hh:mm", tab, value "%5.1f".
QString old_record_line(const OldRecord& rec);

} // namespace vx
