// Record files exported in a stream give the text the whole-file exports give
// for the same lines: every model's columns, key names, flow totals, ranges,
// the autumn clock change, undated lines, lines past a read piece.
#include "base/code_page.h"
#include "common/test_data.h"
#include "records/record_export.h"

#include <QBuffer>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace
{

using namespace vx;

struct Streamed {
    QByteArray text;
    StreamedExport result;
};
template <typename Stream> Streamed streamed(QByteArray file, Stream stream)
{
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    Streamed out;
    out.result = stream(buffer, [&out](QByteArrayView bytes) { return !out.text.append(bytes).isNull(); });
    return out;
}

// Empty when a equals b, else where they part (texts of a megabyte stay readable).
std::string difference(const QByteArray& a, const QByteArray& b)
{
    qsizetype i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    return a == b ? std::string()
                  : "at byte " + std::to_string(i) + ": \"" + a.mid(i, 40).toStdString() + "\" against \"" +
                        b.mid(i, 40).toStdString() + "\"";
}

QByteArray many_lines(int n, const char* end)
{
    QByteArray out = "VELKY\r\nRemark: \r\n";
    for (int i = 0; i < n; ++i)
        out += vxtest::file_stamp(vxtest::at(2026, 10, 24, 0, 0).addSecs(60LL * i)).toLatin1() + "\t " +
               QByteArray::number(i % 40) + "," + QByteArray::number(i % 10) + end;
    return out;
}

} // namespace

TEST(RecordExport, StreamGivesWhatTheWholeFileGives)
{
    const QByteArray two =
        "M\r\nRemark: \r\n1.3.2024 10:00\t 21,5\t 45,0\r\nnot a record\r\n"
        "1.3.2024 10:10\t-0,3\t 100,0\r\n2.3.2024\t 22,0\t 50,5\r\n2.3.2024 00:10\t 22,5\r\n";
    const QByteArray autumn =
        "A\r\n25.10.2026 01:50\t 1,0\r\n25.10.2026 02:30\t 2,0\r\n25.10.2026 02:30\t 3,0\r\n"
        "25.10.2026 03:00\t 4,0\r\n";
    const QDateTime summer_set = QDateTime(QDate(2026, 6, 1), QTime(0, 0), Qt::UTC);
    struct Case {
        const char* name;
        QByteArray file;
        CsvOptions options = {}; // model, range and clock notes
    };
    const Case cases[] = {
        {"two channels, other text, an undated line, a short row", two},
        {"a range, both ends included",
         two,
         {{}, vxtest::at(2024, 3, 1, 10, 5), vxtest::at(2024, 3, 2, 0, 0), {}}},
        {"key names with commas, quotes and code page letters",
         "K\r\n1.3.2024 08:00\tNov\xe1k, J\xe1n\r\n1.3.2024 08:05\tDvere \"A\"\t\r\n1.3.2024 "
         "08:09\tK\xbe\xfa\xe8\r\n"},
        {"current loop header", "M\r\nSTATUS: \t5\r\n1.3.2024 10:00\t  4,25\t   17\r\n"},
        {"flow totals",
         "V\r\nKonstanta prietokomera=10,0\r\n1.3.2024 11:00\t110,0\tm3\r\n1.3.2024 12:00\t130,0\tm3\r\n"},
        {"a given model, values beyond its channels", two, {85, {}, {}, {}}},
        {"a late line turns the model and adds a column",
         "M\r\n1.3.2024 10:00\t 21,5\r\n1.3.2024 10:10\tError\r\n1.3.2024 10:20\t 1,0\t 2,0\t 3,0\r\n"},
        {"the autumn hour by the zone's rules", autumn},
        {"the autumn hour of a clock set in summer", autumn, {{}, {}, {}, {{summer_set, 7200}}}},
        {"lines past a read piece, LF ends, no last line end", many_lines(60000, "\n").chopped(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList lines = from_cp1250(c.file).split(QRegularExpression("\r?\n"));
        const CsvOptions& options = c.options;
        const CsvExport whole = records_to_csv(lines, options);
        const Streamed csv =
            streamed(c.file, [&](QIODevice& d, const ExportSink& s) { return stream_csv(d, options, s); });
        EXPECT_TRUE(csv.result.ok());
        EXPECT_EQ(csv.result.written, whole.rows);
        EXPECT_EQ(difference(csv.text, whole.text.toUtf8()), "");

        const RecordSource source{7, whole.type_code, "M", {}};
        const InfluxExport points =
            records_to_influx(lines, source, options.from, options.to, options.clock_notes);
        for (const bool check_first : {false, true}) {
            const Streamed influx = streamed(c.file, [&](QIODevice& d, const ExportSink& s) {
                return stream_influx(d, source, options.from, options.to, options.clock_notes, s,
                                     check_first);
            });
            EXPECT_EQ(influx.result.written, points.points);
            EXPECT_EQ(difference(influx.text, points.text.toUtf8()), "");
        }
    }
}

TEST(RecordExport, InfluxPrintsNothingBeforeARecordItCannotHold)
{
    // Many points, then a record after 2262: an output that cannot be taken back gets none.
    const QByteArray file = many_lines(3000, "\r\n") + "1.1.2300 10:00\t 2,0\r\n";
    const RecordSource source{7, 85, "M", {}};
    for (const bool check_first : {false, true}) {
        SCOPED_TRACE(check_first);
        const Streamed influx = streamed(file, [&](QIODevice& d, const ExportSink& s) {
            return stream_influx(d, source, {}, {}, {}, s, check_first);
        });
        EXPECT_TRUE(influx.result.error.startsWith("line 3003: 2300-01-01T10:00:00+01:00 lies outside"))
            << influx.result.error.toStdString();
        EXPECT_EQ(influx.text.isEmpty(), check_first);
    }
}
