// The record file on disk: appends, header, safe file names and the sort.
#include "base/code_page.h"
#include "common/fake_ui.h"
#include "common/qt_print.h"
#include "common/temp_home.h"
#include "common/test_data.h"
#include "records/marks.h"
#include "records/record_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

#include <unistd.h>

#include <set>
#include <tuple>

using namespace vx;

namespace
{

struct FileFixture {
    vxtest::TempHome home;
    vxtest::FakeUi ui;
    QString log = home.path("Log");
    QString log_file(const QString& name) const { return home.path("Log/" + name); }
    // Every file below the temporary program directory, relative to it.
    QStringList all_files() const
    {
        QStringList out;
        QDirIterator it(home.dir(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << QDir(home.dir()).relativeFilePath(it.next());
        out.sort();
        return out;
    }
};

RecordFileHeader sample_header(std::uint16_t type)
{
    const QDateTime start(QDate(2026, 3, 5), QTime(8, 15));
    return {type, "MISIA 1", QString::fromUtf8("pivnica č.2"), start, "10", "0,5", "125", "2,5"};
}

} // namespace

TEST(WriteRecord, CreatesLogDirAndAppendsCrLfLinesInCodePage1250)
{
    FileFixture f;
    const QString path = database_path(f.log, "MISIA 1");
    ASSERT_TRUE(write_record(path, QString::fromUtf8("5.3.2026 08:20\t 21,5\tkľúč"), &f.ui));
    ASSERT_TRUE(write_record(path, "5.3.2026\t 20,0", &f.ui));
    EXPECT_EQ(f.home.read("Log/MISIA 1.txt"), QByteArray("5.3.2026 08:20\t 21,5\tk\xbe\xfa\xe8\r\n"
                                                         "5.3.2026\t 20,0\r\n"));
    ASSERT_TRUE(append_record_lines(path, {"6.3.2026 10:00\t  1,0", "6.3.2026 10:10\t  2,0"}, &f.ui));
    EXPECT_TRUE(
        f.home.read("Log/MISIA 1.txt").endsWith("6.3.2026 10:00\t  1,0\r\n6.3.2026 10:10\t  2,0\r\n"));
}

TEST(RecordHeader, FiveLinesOrSixForFlowAndCurrentModels)
{
    FileFixture f;
    EXPECT_EQ(header_line_count(55), 5);
    for (std::uint16_t type : {85, 102, 130}) {
        SCOPED_TRACE(type);
        const QString path = database_path(f.log, "MISIA 1");
        ASSERT_TRUE(write_header(path, sample_header(type), &f.ui));
        EXPECT_EQ(f.home.read("Log/MISIA 1.txt"),
                  vxtest::test_data(QString("records/header_%1.txt").arg(type)));
        EXPECT_EQ(header_lines(sample_header(type)).size(), header_line_count(type));
    }
}

TEST(DatabasePath, VisibleDistinctNamesInsideTheLogDirectory)
{
    FileFixture f;
    const QString log = QDir(f.log).absolutePath();
    // Plain names stay; empty or blank names, a leading dot or colon, separators, control characters,
    // name bytes without a character and the escape character itself are escaped one to one.
    const QString slovak = QString::fromUtf8("Pivnica č.2 - sever_Ľ.á");
    const std::pair<QString, QString> cases[] = {
        {slovak, slovak},
        {"Sklad: 1", "Sklad: 1"},
        {"", "%20"},
        {"   ", "%20"},
        {".x", "%2Ex"},
        {":x", "%3Ax"},
        {"..", "%2E."},
        {"../../etc/passwd", "%2E.%2F..%2Fetc%2Fpasswd"},
        {QString("../a\\b\nc") + QChar(0x7F) + "%2F", "%2E.%2Fa%5Cb%0Ac%7F%252F"},
        {from_cp1250_distinct("A\x81"), "A%81"}};
    QSet<QString> expected;
    for (const auto& [name, file] : cases) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(safe_file_name(name), file);
        ASSERT_TRUE(write_record(database_path(f.log, name), "5.3.2026\t1", &f.ui));
        expected << "Log/" + file + ".txt";
    }
    // Nothing appeared outside the log directory.
    const QStringList files_written = f.all_files();
    EXPECT_EQ(QSet<QString>(files_written.begin(), files_written.end()), expected);
    EXPECT_EQ(old_format_database_path(log, 4711), log + "/4711.txt");
    // Name bytes without a character in the code page stay apart in file names and marks.
    std::set<QString> files, keys;
    for (const char* b : {"A\x81", "A\x83", "A\x88", "A\x90", "A\x98", "A?"}) {
        files.insert(safe_file_name(from_cp1250_distinct(b)));
        keys.insert(MarkStore::key_for(from_cp1250_distinct(b)));
    }
    EXPECT_EQ(files.size(), 6u);
    EXPECT_EQ(keys.size(), 6u);
}

TEST(SortRecordFile, GoldenFileKeepsHeaderMergesRepeatsKeepsSharedStampsAndUndated)
{
    FileFixture f;
    const QString path = f.log_file("MISIA 1.txt");
    f.home.write("Log/MISIA 1.txt", vxtest::test_data("records/unsorted_130.txt"));
    const SortResult r = sort_records_in_file(path, 6);
    // One line fetched twice is merged; two records that only share a stamp stay, in file order.
    EXPECT_EQ(std::tuple(r.sorted, r.failed, r.records, r.repeats, r.shared_stamps, r.undated),
              std::tuple(true, false, 8, 1, 2, 1));
    EXPECT_EQ(f.home.read("Log/MISIA 1.txt"), vxtest::test_data("records/sorted_130.txt"));
    // Sorting again changes nothing, also where a later repeat left out could pull
    // the note after the records into the header.
    const SortResult again = sort_records_in_file(path, 6);
    EXPECT_EQ(std::tuple(again.repeats, again.shared_stamps), std::tuple(0, 2));
    EXPECT_EQ(f.home.read("Log/MISIA 1.txt"), vxtest::test_data("records/sorted_130.txt"));
    // With the appended part known, an appended line repeats an old one only
    // once; equal lines within one part are records that agree.
    const QByteArray old_part = "H\r\nH\r\nH\r\nH\r\nH\r\n1.1.2024 10:00\t1\r\n1.1.2024 10:00\t1\r\n";
    f.home.write("Log/A.txt", old_part + "1.1.2024 10:00\t1\r\n1.1.2024 10:00\t2\r\n1.1.2024 10:00\t2\r\n");
    SortOptions appended;
    appended.appended_from = old_part.size();
    const SortResult a = sort_records_in_file(f.log_file("A.txt"), 5, appended);
    EXPECT_EQ(std::tuple(a.records, a.repeats, a.shared_stamps, a.new_shared_stamps), std::tuple(4, 1, 3, 2));
    for (const QByteArray& file :
         {QByteArray("H\r\nH\r\nH\r\n1.1.2024 10:00\t1\r\n1.1.2024 10:00\t1\r\nnote\r\n"),
          QByteArray("H\r\n1.1.2024 10:00\t1\r\nH\r\n\r\nnote\r\n")}) {
        f.home.write("Log/S.txt", file);
        sort_records_in_file(f.log_file("S.txt"), 5);
        const QByteArray once = f.home.read("Log/S.txt");
        sort_records_in_file(f.log_file("S.txt"), 5);
        EXPECT_EQ(f.home.read("Log/S.txt"), once) << file.constData();
    }
}

TEST(SortRecordFile, RecordsAfter2030SecondsClockChangeHourAndAFileWithoutHeaderAreOrdered)
{
    FileFixture f;
    // Each record's value is its place in time; 29.3.2026 02:30 is in the hour local clocks skip.
    QStringList lines = {"01.01.2040 00:00:05\t8", "01.01.2040 00:00:04\t7", "1.1.2030\t6",
                         "31.12.2029 23:59\t5",    "7.2.2106 06:28\t9",      "1.1.2000\t1",
                         "29.3.2026 03:30\t4",     "29.3.2026 02:30\t3",     "29.3.2026 01:30\t2"};
    const QByteArray header = "L\r\nRemark: \r\nSTART: 1.1.2026\r\nPERIOD: 1\r\nGRADIENT: 0\r\n";
    const QByteArray unsorted = header + lines.join("\r\n").toLatin1() + "\r\n";
    std::sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.back() < b.back(); });
    const struct {
        const char* name;
        int header_lines, records;
        QByteArray before, after;
    } cases[] = {
        {"after 2030, seconds, clock change", 5, 9, unsorted,
         header + lines.join("\r\n").toLatin1() + "\r\n"},
        // A first download into a missing file writes no header.
        {"no header", 5, 6,
         "5.3.2026 08:50\t5\r\n5.3.2026 08:40\t4\r\n5.3.2026 08:10\t1\r\n5.3.2026 08:30\t3\r\n5.3.2026 "
         "08:20\t2\r\n5.3.2026 08:00\t0\r\n",
         "5.3.2026 08:00\t0\r\n5.3.2026 08:10\t1\r\n5.3.2026 08:20\t2\r\n5.3.2026 08:30\t3\r\n5.3.2026 "
         "08:40\t4\r\n5.3.2026 08:50\t5\r\n"},
        {"a header only, which stays as it is", 6, 0, vxtest::test_data("records/header_102.txt"),
         vxtest::test_data("records/header_102.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        f.home.write("Log/L.txt", c.before);
        const SortResult r = sort_records_in_file(f.log_file("L.txt"), c.header_lines);
        EXPECT_TRUE(r.sorted);
        EXPECT_EQ(std::pair(r.records, r.undated), std::pair(c.records, 0));
        EXPECT_EQ(f.home.read("Log/L.txt"), c.after);
    }
}

TEST(SortRecordFile, AbandonedSortLeavesOldFileIntact)
{
    FileFixture f;
    const QByteArray before = vxtest::test_data("records/unsorted_130.txt");
    f.home.write("Log/MISIA 1.txt", before);
    SortOptions options;
    int calls = 0;
    options.progress = [&calls](qint64, qint64) { return ++calls < 1; }; // dies at the first report
    const SortResult r = sort_records_in_file(f.log_file("MISIA 1.txt"), 6, options);
    EXPECT_TRUE(r.failed);
    EXPECT_FALSE(r.sorted);
    EXPECT_EQ(f.home.read("Log/MISIA 1.txt"), before);
    // No temporary file is left behind.
    EXPECT_EQ(f.all_files(), QStringList{"Log/MISIA 1.txt"});
}

TEST(RecordFileLinks, AnUncreatableLogDirAFolderOrALinkUnderAMissionsNameIsNeverWrittenThrough)
{
    FileFixture f;
    QDir().mkpath(f.log_file("M.txt")); // a directory in the file's place
    EXPECT_FALSE(write_record(f.log_file("M.txt"), "5.3.2026\t1", &f.ui));
    f.home.write("blocker", "a file where the directory should be");
    f.log = f.home.path("blocker/Log");
    EXPECT_FALSE(write_record(database_path(f.log, "M"), "5.3.2026\t1", &f.ui));
    EXPECT_FALSE(write_header(database_path(f.log, "M"), sample_header(85), &f.ui));
    EXPECT_EQ(f.ui.args("show_message").value(0),
              QString::fromUtf8("Adresár \\LOG nie je možné vytvoriť, Závažná chyba Vášho PC\r\n") + f.log);

    // Whoever may write to the log folder plants a link to another file: a
    // symbolic one, or a second name of the file itself.
    const QByteArray victim = "3.3.2026\t2\r\n1.3.2026\t1\r\n";
    for (const bool symbolic : {true, false}) {
        SCOPED_TRACE(symbolic ? "symbolic link" : "hard link");
        FileFixture f;
        f.home.write("victim", victim);
        QDir().mkpath(f.log);
        const QString path = f.log_file("M.txt");
        const QByteArray target = QFile::encodeName(f.home.path("victim"));
        ASSERT_EQ(symbolic ? ::symlink(target, QFile::encodeName(path))
                           : ::link(target, QFile::encodeName(path)),
                  0);
        const QString why = symbolic ? "it is a symbolic link" : "it has more than one hard link";
        EXPECT_FALSE(write_record(path, "5.3.2026\t1", &f.ui));
        EXPECT_EQ(f.ui.args("plain_message"), QStringList{"Unable to write to " + path + ": " + why});
        EXPECT_EQ(sort_records_in_file(path, 0).error, why);
        EXPECT_EQ(f.home.read("victim"), victim);
        // A new header takes the link's place.
        ASSERT_TRUE(write_header(path, sample_header(85), &f.ui));
        EXPECT_FALSE(QFileInfo(path).isSymLink());
        EXPECT_EQ(f.home.read("victim"), victim);
    }
}
