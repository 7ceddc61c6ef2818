// The download's block hand-off: lines to the viewer, the record counter and
// the mission's record file, and the sort at the end of a download.
#include "common/test_data.h"
#include "common/test_state.h"
#include "logger/fake_host.h"
#include "logger/record_handoff.h"

#include <QFile>
#include <gtest/gtest.h>

#include <vector>

using namespace vx;

namespace
{

using Bytes = std::vector<std::uint8_t>;

// Five echoed bytes, 8-byte records (minute, hour, day, A, B low byte first), a sum byte.
Bytes block8(const std::vector<std::array<int, 5>>& records)
{
    Bytes out = {0x0D, 0x0A, 12, 4, 0x92};
    for (const auto& r : records)
        for (int v : {r[0], r[1], r[2] & 0xFF, r[2] >> 8, r[3] & 0xFF, r[3] >> 8, r[4] & 0xFF, r[4] >> 8})
            out.push_back(std::uint8_t(v));
    out.push_back(0);
    return out;
}

struct Fixture : vxtest::TestState {
    vxtest::FakeWindow sink;
    explicit Fixture(std::uint16_t type)
    {
        g.ident.type_code = type;
        g.ident.record_length = 8;
        g.status.mission_name = "MISIA 1";
        g.status.corr1 = 0.5f;
        g.coef.a0 = 2;
        g.coef.a1 = 0.5f;
    }
    QString log_file(const QString& name) const { return home.path("Log/" + name); }
};

} // namespace

TEST(ShowRecords, LinesGoToViewerCounterAndDatabaseFileAndAFailedAppendIsReported)
{
    Fixture f(87);
    f.g.transfer.record_counter = 5;
    f.g.transfer.write_to_database = true;
    // Second record has hour 24 and is skipped; the third lies at midnight.
    const Bytes reply = block8({{5, 7, 366, 400, 20}, {0, 24, 366, 400, 20}, {0, 0, 367, 65519, 100}});
    const ShowResult r = show_records(f.g, reply, 3, f.sink);
    EXPECT_EQ(std::tuple(r.accepted, r.skipped, r.write_failed), std::tuple(2, 1, false));
    EXPECT_EQ(f.g.transfer.record_counter, 7);
    EXPECT_TRUE(f.sink.wide);
    EXPECT_EQ(f.sink.lines, QStringList({"1.1.2001 07:05\t 25,5\t 12,5", "2.1.2001 00:00\t -0,5\t 52,5"}));
    EXPECT_EQ(f.home.read("Log/MISIA 1.txt"), QByteArray("1.1.2001 07:05\t 25,5\t 12,5\r\n"
                                                         "2.1.2001\t -0,5\t 52,5\r\n"));

    // A failed append is reported once; the lines still reach the viewer.
    f.home.write("blocker", "x");
    f.g.settings.LOGDIR = f.home.path("blocker/Log");
    EXPECT_TRUE(show_records(f.g, reply, 3, f.sink).write_failed);
    EXPECT_EQ(f.sink.lines.size(), 4);
    EXPECT_EQ(f.ui.messages.size(), 1);
}

TEST(ShowRecords, CurrentLoopUsesTheActiveCalibrationDefinition)
{
    Fixture f(130);
    f.g.transfer.write_to_database = true;
    f.g.calib.calib_active = true;
    f.g.calib.CAL0 = 1;
    f.g.calib.CAL1 = 10;
    f.g.calib.CAL2 = 0;
    f.g.calib.MinValue = 0;
    f.g.calib.MaxValue = 50;
    f.g.calib.ValueFormat = "0.0";
    // A = 4: 2 + 2 + 0.5 = 4.5 -> 46.0; A = 10: 7.5 -> 76 limited to 50.
    const Bytes reply = block8({{5, 7, 366, 4, 12}, {6, 7, 366, 10, 13}});
    show_records(f.g, reply, 2, f.sink);
    EXPECT_EQ(f.sink.lines, QStringList({"1.1.2001 07:05\t46,0\t     12", "1.1.2001 07:06\t50,0\t     13"}));
    f.g.calib.calib_active = false;
    f.sink.lines.clear();
    show_records(f.g, reply, 1, f.sink);
    EXPECT_EQ(f.sink.lines, QStringList({"1.1.2001 07:05\t  4,50\t     12"}));
}

TEST(SortRecordFile, SkippedForKeyLoggerWhenSwitchedOffOrMissingElseAfterDownloadOfTheAttachedLogger)
{
    Fixture f(93);
    const QByteArray before = vxtest::test_data("records/unsorted_130.txt");
    f.home.write("Log/K.txt", before);
    EXPECT_FALSE(sort_record_file(f.g, f.log_file("K.txt"), 5).sorted);
    f.g.ident.type_code = 130;
    f.g.settings.SORTFILE = false;
    EXPECT_FALSE(sort_record_file(f.g, f.log_file("K.txt"), 6).sorted);
    EXPECT_EQ(f.home.read("Log/K.txt"), before);
    EXPECT_TRUE(f.ui.args("progress_label").isEmpty());
    f.g.settings.SORTFILE = true;
    const SortResult missing = sort_record_file(f.g, f.log_file("none.txt"), 6);
    EXPECT_FALSE(missing.sorted || missing.failed || QFile::exists(f.log_file("none.txt")));
    EXPECT_TRUE(sort_records_in_file(f.log_file("none.txt"), 6).failed);
    EXPECT_TRUE(sort_record_file(f.g, f.log_file("K.txt"), 6).sorted);
    EXPECT_EQ(f.home.read("Log/K.txt"), vxtest::test_data("records/sorted_130.txt"));
    EXPECT_TRUE(f.ui.args("progress_label").contains("SORTING"));
    EXPECT_FALSE(f.ui.progress_visible);

    // After a download the attached logger's file is sorted.
    f.home.write("Log/MISIA 1.txt", before);
    EXPECT_TRUE(sort_after_download(f.g).sorted);
    EXPECT_EQ(f.home.read("Log/MISIA 1.txt"), vxtest::test_data("records/sorted_130.txt"));
    // The old-format logger's file is named by its serial number and has five header lines.
    f.g.ident.type_code = 55;
    f.g.status.serial = 812;
    f.home.write("Log/812.txt", "812\r\nRemark: \r\nSTART: 1.1.2026\r\nPERIOD: 1\r\nGRADIENT: 0\r\n"
                                "2.1.2026 10:00\t  2,0\r\n1.1.2026 10:00\t  1,0\r\n");
    EXPECT_EQ(sort_after_download(f.g).records, 2);
    EXPECT_TRUE(f.home.read("Log/812.txt").endsWith("1.1.2026 10:00\t  1,0\r\n2.1.2026 10:00\t  2,0\r\n"));
}
