#include "cli/help_texts.h"

namespace vx::cli
{

namespace
{

const char* const main_help = R"(Usage: vorlanix-cli COMMAND [OPTIONS]

The command line of Vorlanix: reads a data logger on a serial port, and its
record files, without the desktop window. It uses the desktop program's
settings file (vorlanix.ini), log directory and download marks, so records
land in the same record files either way. The program directory is
$VORLANIX_HOME when set, else the directory of the program when you may
write there, else $XDG_DATA_HOME/vorlanix or ~/.local/share/vorlanix (made
on first use; relative paths are ignored). A settings file that cannot be
read stops every command that talks to a logger.

Commands:
  status       identify the attached logger; show its status and readings
  download     fetch the new records, or the newest N, into the record file
  collect      fetch the new records of the loggers on every port at once
  set-clock    set the logger clock from this computer's clock
  start        start a new mission on the logger, checked and read back
  export       write a record file as CSV or InfluxDB line protocol
  summary      the figures of a record file: extremes, mean, MKT, excursions
  monitor      stream the live readings as CSV, line protocol or JSON
  audit        list the audit trail (who did what to which logger, when) or
               check its chain
  verify       tell whether a record file is as the program last wrote it

Options:
  -h, --help   show this help; "vorlanix-cli COMMAND --help" shows the help
               of that command
  --version    show the program's version

Language: vorlanix-cli speaks English, whatever language (LANGUAGE in
vorlanix.ini) the desktop window speaks: its own messages and those of the
logger flows. Its JSON, CSV, line protocol and metrics are the same in every
language: the same keys, model and channel names, and units such as °C.

One program at a time uses a serial port: while the desktop program holds the
port, the commands that talk to a logger refuse with a message.

Exit status: 0 done; 1 failed (the last line on stderr says why); 2 wrong
usage (stderr says why and where the help is); 128 + the signal when one
ended the command: 130 Ctrl+C, 143 SIGTERM, 129 SIGHUP, 141 the reader of the
output went away (as in 'monitor | head -1'); what was fetched is kept and
the port is free for the next program.

Examples:
  vorlanix-cli status
  vorlanix-cli download new --yes
  vorlanix-cli collect --yes --metrics /var/lib/prometheus/node-exporter/vorlanix.prom
  vorlanix-cli export Log/MISIA1.txt --csv > misia1.csv
  vorlanix-cli summary Log/MISIA1.txt --above 8 --below 2 --json
  vorlanix-cli monitor --format influx
  vorlanix-cli audit --since 2024-03-01
  vorlanix-cli verify Log/MISIA1.txt
)";

const char* const status_help =
    R"(Usage: vorlanix-cli status [--port N] [--json] [--format prometheus] [--period SECONDS]

Identifies the attached logger (status request, then the mission name) and
shows its model, serial number, clock and its offset against this computer,
record pointer, battery, mission name and live readings, and the forecast:
when its ring is full of records not downloaded yet, so that the next one
overwrites the oldest of them ("ring full of uncollected records in 12
days"), worked out from its interval, its record pointer and the download
mark (without rollover: when its memory is full and it stops recording). A
forecast sooner than two collection periods ends with a WARNING.

Options:
  --port N     the COM port number (default: ComPort of vorlanix.ini); section
               [PORTS] maps COMn to a device, else it is /dev/ttyS(N-1); a
               device path (--port /dev/ttyUSB0) may stand for the number
  --json       print one JSON object instead of text (the forecast is
               "ring_full": seconds, overwrites, uncollected, earliest,
               warning and text; null when nothing will be lost)
  --period SECONDS
               the time between two collections (default 3600, the hourly
               timer of vorlanix-collect.timer): the forecast warns when it
               is sooner than two of them
  --format prometheus
               print Prometheus metrics (for node_exporter's textfile
               collector), each with the labels serial, model and mission:
               vorlanix_battery_percent or vorlanix_battery_volts,
               vorlanix_clock_offset_seconds, vorlanix_records_waiting,
               vorlanix_seconds_since_last_download, vorlanix_reading (labels
               channel and unit), vorlanix_ring_full_seconds,
               vorlanix_mission_running
  -h, --help   show this help

Examples:
  vorlanix-cli status --port 3 --json
  vorlanix-cli status --format prometheus
)";

const char* const collect_help =
    R"(Usage: vorlanix-cli collect [--yes] [--ports LIST] [--retries N] [--retry-wait SECONDS]
                            [--format influx] [--metrics FILE] [--period SECONDS]

Fetches the new records of the logger on every port that section [PORTS] of
vorlanix.ini maps to a device (or on the ports listed), all ports at the same
time, each as "download new" does it: from the mission's download mark,
sorted afterwards, the first contact of a logger only storing its mark (with
--yes; nobody is asked). Made for unattended runs: the systemd user timer
vorlanix-collect.timer runs it every hour.

A port whose logger does not answer (or stops answering) is tried again
after --retry-wait seconds, --retries times; a retry goes on from the mark
the last block stored. Two loggers with the same mission name would share
one mark and one record file: the second port is refused.

One line per port on stdout, in the order of the ports: the port, the
logger's serial number and mission, the records stored and the download mark
(or FAILED: and the reason), the tries, and the forecast of its ring (see
status --help), with a WARNING when it is sooner than two collection periods.
Messages of a port on stderr begin with the port.

Options:
  --yes        a logger met for the first time gets its record pointer as
               its download mark (without it, that port fails)
  --ports LIST COM numbers or device paths, separated by commas (3,5,/dev/ttyUSB2)
  --retries N  tries after the first for a port that does not answer (default 2)
  --retry-wait SECONDS
               the wait before each of them (default 10)
  --format influx
               also print the records stored as InfluxDB line protocol on
               stdout, port after port; the summary then goes to stderr
  --metrics FILE
               write Prometheus metrics to FILE, replaced whole (a temporary
               file beside it is renamed over it; nothing is left behind when
               that fails), labelled port and device: vorlanix_up (0: the
               logger did not answer), vorlanix_last_collection_timestamp_seconds
               (kept from the file before for a port that failed now),
               vorlanix_records_collected, vorlanix_collect_retries,
               vorlanix_collect_ring_full_seconds, vorlanix_logger_info (labels
               serial, model, mission)
  --period SECONDS
               the time between collections, for the forecast's warning
               (default 3600, as the timer)
  -h, --help   show this help

Exit status: 0 every port done; 1 any port failed (the others are stored);
130 on Ctrl+C (143 SIGTERM, 129 SIGHUP, 141 SIGPIPE): the ports stop after
their current block, what was fetched stays stored, the ports are released.

Examples:
  vorlanix-cli collect --yes
  vorlanix-cli collect --yes --ports 3,4 --retries 5 --retry-wait 30
  systemctl --user enable --now vorlanix-collect.timer
)";

const char* const download_help = R"(Usage: vorlanix-cli download new [--yes] [--port N] [--format influx]
       vorlanix-cli download --last N [--port N] [--format influx]

Fetches records from the attached logger into its mission's record file in
the log directory, sorted afterwards, as the desktop program does:
  new          the records written since the last download; the mission's
               download mark moves with every block
  --last N     the newest N records; the mark stays where it is

Sorting keeps every record: a record fetched twice is kept once, records
that only share a time stamp with older ones are all kept, and the summary
says how many share their stamp (was the logger's clock set back?).

A logger met for the first time has no mark yet: its record pointer becomes
the mark and nothing is fetched. That question is asked on a terminal,
answered by --yes, and answered No when there is nobody to ask.

Options:
  --yes        answer Yes to the questions
  --port N     the COM port number, as for status
  --format influx
               also print the records stored as InfluxDB line protocol on
               stdout (as in export --format influx); the summary then goes
               to stderr
  -h, --help   show this help

A progress bar is drawn on stderr when it is a terminal. Ctrl+C stops after
the current block: what was fetched stays in the file and in the mark, and
the exit status is 130. Safe to run from cron while the desktop program is
closed (while it runs, it holds the port and the download refuses).

Example (crontab, every hour):
  0 * * * * VORLANIX_HOME=/home/lab/vorlanix /usr/bin/vorlanix-cli download new --yes >> /home/lab/vorlanix/download.log 2>&1
)";

const char* const set_clock_help = R"(Usage: vorlanix-cli set-clock [--yes] [--port N]

Sets the clock of the attached logger from this computer's clock, field by
field, each acknowledged by the logger. Asks first (on a terminal; --yes
answers Yes; with nobody to ask nothing is set).

A logger whose clock runs ahead would get a time before its newest record
and record those times again: without --yes that is refused, saying how many
records would share their time stamp with older ones. Download first.
The offset of the time set (e.g. +01:00) is noted for the mission's record
file; exports write its records' times with it.

Options:
  --yes        answer Yes to the question
  --port N     the COM port number, as for status
  -h, --help   show this help

Example:
  vorlanix-cli set-clock --yes
)";

const char* const export_help =
    R"(Usage: vorlanix-cli export FILE --csv [--from T] [--to T] [--model TYPE] [--output OUT]
       vorlanix-cli export FILE --format influx [--serial N --model TYPE] [--from T] [--to T] [--output OUT]

Writes the records of a record file as CSV (RFC 4180, UTF-8, CR LF): a
header row "Time" and the channels of the logger's model with their units,
then one row per record with its ISO 8601 time with the UTC offset of the
logger's clock (2026-10-25T02:30:00+02:00; noted at mission start and clock
set, else this computer's zone rules) and the values with a decimal point. A record file does not name its model:
it is told from the file (header lines, values per line, number format)
unless --model gives the type code.

Options:
  --csv          CSV (the default)
  --format F     csv, or influx: InfluxDB line protocol, one point per record
                 (measurement vorlanix, tags serial, model and mission, fields
                 named as the CSV columns without units, nanoseconds of the
                 record's time as for CSV; a record outside 1677-09-21 ..
                 2262-04-11 is refused, naming its line); serial number and model come from
                 what the download noted for the file, or from --serial and
                 --model for files downloaded before; a store of those notes
                 that cannot be read, or notes no number of 0..65535, stops it
  --serial N     the logger's serial number (influx)
  --from T       leave out the records before T
  --to T         leave out the records after T (a date alone: its whole day)
                 T: 2024-03-01, 2024-03-01T10:15, "2024-03-01 10:15" or "1.3.2024 10:15"
  --model TYPE   the logger's type code, e.g. 87 (temperature and humidity)
  --output OUT   write to OUT instead of stdout
  -h, --help     show this help

Examples:
  vorlanix-cli export Log/MISIA1.txt --csv --from 2024-03-01 --to 2024-03-07 > week.csv
  vorlanix-cli export Log/MISIA1.txt --format influx | curl -s --data-binary @- 'http://localhost:8086/write?db=lab'
)";

const char* const monitor_help =
    R"(Usage: vorlanix-cli monitor [--count N] [--format csv|influx|json] [--port N]

Streams the live readings of the attached logger, one line per reading at
the desktop program's poll rhythm (700 ms), until Ctrl+C or N readings.
Every line is flushed, so the stream can feed a pipe or Telegraf's execd
input. Channels are named as in the CSV export.

Options:
  --count N    stop after N readings
  --format F   csv (default): a header row "Time" and the channels with
               their units, then ISO 8601 times with the UTC offset and
               decimal points;
               influx: InfluxDB line protocol (measurement vorlanix, tags
               serial, model and mission); json: one object per line
  --port N     the COM port number, as for status
  -h, --help   show this help

Example:
  vorlanix-cli monitor --count 10 --format json
)";

const char* const summary_help =
    R"(Usage: vorlanix-cli summary FILE [--model TYPE] [--channel N] [--above H] [--below L] [--json]

The figures of a record file, the same as the desktop program's statistics,
HTML report and printout show. Per channel: the records, the first and the
last time, minimum and maximum with their times, the mean; for temperature
channels the mean kinetic temperature (MKT: activation energy 83.144 kJ/mol,
gas constant 8.3144 J/(mol K), so 10,000 K over the temperature in kelvin);
with limits the time above and below them, the number of excursions and the
longest one with its start and end.

Every reading counts for the time until the next reading; the last one for
the median spacing of the file (a logger recording on change has uneven
spacing). An excursion is a run of readings strictly above H (or strictly
below L); a reading on the limit is within it. Durations are measured in
real time (UTC), also across a change of summer time. Channels are named as
in the CSV export, whatever the language; the text is English.

Options:
  --model TYPE   the logger's type code, when not told from the file (e.g. 87)
  --channel N    only channel N (1 = the first value of a line); the limits
                 apply to it (default: to the first channel)
  --above H      upper limit, in the channel's unit (point or comma)
  --below L      lower limit
  --json         one JSON object: {"file", "records", "first", "last",
                 "channels": [{"name", "unit", "min", "min_time", "max",
                 "max_time", "mean", "mkt", "above": {"limit", "minutes",
                 "excursions", "longest_minutes", "longest_start"},
                 "below": {...}}]}; "mkt" only for temperature channels,
                 "above" and "below" only when asked; times in ISO 8601
                 with their UTC offset, means rounded to two decimals
  -h, --help     show this help

Example:
  vorlanix-cli summary Log/SKLAD.txt --above 8 --below 2 --json
)";

const char* const audit_help = R"(Usage: vorlanix-cli audit [--json] [--since TIME] [--verify]

Lists the audit trail, audit.jsonl in the program directory: one entry per
download, mission start, clock set, setup or calibration send, save of a
record file by a record window, and sort that merged repeated records or kept
records sharing a time stamp, failed ones too. Each entry holds the time with
its UTC offset, the user, the computer, the program and its version, the
action, the logger's serial number, model and mission, the result ("ok", or
"failed" with the reason), the details (values before and after, records
stored and the record file's SHA-256) and prev, the SHA-256 of the entry
before it. The desktop program and the command line append to the same trail
under one lock; every entry also goes to the system log (journalctl -t
vorlanix-audit).

Options:
  --json       print a JSON array of the entries as they are stored
  --since T    only the entries from T on; T as for export --from
  --verify     check the chain instead of listing: exit 0 when it holds, 1
               naming the first entry that breaks it (an entry changed,
               removed or moved breaks it at the entry after it)
  -h, --help   show this help

The chain shows changes made with a text editor. It cannot show a trail
rewritten whole, or its newest entries cut off, by someone who may write the
program directory: compare with the copy in the system log for that.

Examples:
  vorlanix-cli audit --since 2024-03-01
  vorlanix-cli audit --verify
)";

const char* const verify_help = R"(Usage: vorlanix-cli verify FILE

Compares a record file with the SHA-256 that the program noted for it when it
last wrote it (after every download, after its sort, and every save of a
record window into the log directory), noted by the file's name beside the
record files' sources (~/.config/VORLANIX/Sources.conf).

Prints "unchanged since <action> at <time>" and exits 0, or "changed since
<action> at <time>" or "no digest noted" and exits 1; then the file's SHA-256
(and the one noted, when they differ). A file that cannot be read: exit 1
with the reason on stderr.

Options:
  -h, --help   show this help

Example:
  vorlanix-cli verify Log/MISIA1.txt
)";

} // namespace

const char* help_of(const QString& command)
{
    if (command == QLatin1String("status")) return status_help;
    if (command == QLatin1String("download")) return download_help;
    if (command == QLatin1String("collect")) return collect_help;
    if (command == QLatin1String("set-clock")) return set_clock_help;
    if (command == QLatin1String("export")) return export_help;
    if (command == QLatin1String("monitor")) return monitor_help;
    if (command == QLatin1String("summary")) return summary_help;
    if (command == QLatin1String("audit")) return audit_help;
    if (command == QLatin1String("verify")) return verify_help;
    return main_help;
}

} // namespace vx::cli
