// No silent loss in the record files: names that stay visible and apart,
// appends that survive a kill part-way and reach the disk before they are
// reported, writes that fail aloud when the code page cannot be produced,
// and a sort that leaves a sorted file as it is.
#include "base/code_page.h"
#include "base/settings.h"
#include "common/fake_ui.h"
#include "common/temp_home.h"
#include "records/marks.h"
#include "records/record_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <iconv.h>
#include <random>
#include <set>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vx;

// ---- Seams: the test program's own fdatasync and iconv_open stand in for
// the system's (the product is linked into this program), so a test can see
// what was synced and can take the code page converter away.

namespace
{
struct SyncSeen {
    QString path;
    qint64 size;
};
std::vector<SyncSeen> g_synced;
bool g_no_converter = false;
} // namespace

extern "C" int fdatasync(int fd)
{
    static auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fdatasync"));
    struct stat st {
    };
    if (::fstat(fd, &st) == 0) {
        const QString path = QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(fd)).symLinkTarget();
        g_synced.push_back({path, qint64(st.st_size)});
    }
    return real(fd);
}

extern "C" iconv_t iconv_open(const char* to, const char* from)
{
    static auto real =
        reinterpret_cast<iconv_t (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "iconv_open"));
    if (g_no_converter) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    return real(to, from);
}

namespace
{

QByteArray read_all(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write_all(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Record line number i: one minute apart from 1.1.2020 00:01, value i.
QString record_line(int i)
{
    const QDateTime t = QDateTime(QDate(2020, 1, 1), QTime(0, 0)).addSecs(60LL * (i + 1));
    return format_time_stamp(t) + QStringLiteral("\t%1").arg(i);
}

} // namespace

TEST(RecordFileName, EveryNameGivesAVisibleFileInTheLogDirectory)
{
    struct Case {
        QString name;
        QString file; // the name part before ".txt"
    };
    const Case cases[] = {
        {"MISIA 1", "MISIA 1"},                                               // plain names keep their names
        {QString::fromUtf8("Pivnica č.2"), QString::fromUtf8("Pivnica č.2")}, //
        {"Sklad: 1", "Sklad: 1"},                                             // a colon inside stays
        {"a.b", "a.b"},
        {" x", " x"},
        {"", "%20"}, // empty and blanks only: named as their download mark
        {"   ", "%20"},
        {".skryte", "%2Eskryte"},
        {"..", "%2E."},
        {":x", "%3Ax"}, // a leading colon would make a resource path
        {"50%", "50%25"},
        {"a/b\\c", "a%2Fb%5Cc"},
        {QString("x") + QChar(0x81), "x%81"},
    };
    vxtest::TempHome home;
    const QString log = home.path("Log");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(safe_file_name(c.name), c.file);
        const QString path = database_path(log, c.name);
        EXPECT_EQ(QFileInfo(path).absolutePath(), log);
        EXPECT_EQ(QFileInfo(path).fileName(), c.file + ".txt");
        ASSERT_TRUE(write_record(path, "1.1.2024 10:00\t1", nullptr));
        EXPECT_TRUE(QFileInfo::exists(path));
    }
}

TEST(RecordFileName, NameBytesWithoutACharacterStayApartInFileAndMark)
{
    // 0x81, 0x83, 0x88, 0x90 and 0x98 have no character in code page 1250.
    const QByteArray bytes[] = {"A\x81", "A\x83", "A\x88", "A\x90", "A\x98", "A?"};
    std::set<QString> files, keys;
    MarkStore marks;
    int value = 1;
    for (const QByteArray& b : bytes) {
        const QString name = from_cp1250_distinct(b);
        files.insert(safe_file_name(name));
        keys.insert(MarkStore::key_for(name));
        ASSERT_TRUE(marks.write_mark(name, value++));
    }
    EXPECT_EQ(files.size(), std::size(bytes));
    EXPECT_EQ(keys.size(), std::size(bytes));
    EXPECT_EQ(safe_file_name(from_cp1250_distinct("A\x81")), "A%81");
    EXPECT_EQ(MarkStore::key_for(from_cp1250_distinct("A\x98")), "A%98");
    value = 1;
    for (const QByteArray& b : bytes) {
        EXPECT_EQ(marks.read_mark(from_cp1250_distinct(b)), value++);
        marks.remove_mark(from_cp1250_distinct(b));
    }
    // Defined bytes read as the code page says.
    EXPECT_EQ(from_cp1250_distinct("\x9D\xE8"), QString::fromUtf8("ťč"));
}

TEST(RecordAppend, AnUnendedLastLineIsEndedOrDroppedWhenItIsTheStartOfANewLine)
{
    struct Case {
        const char* what;
        QByteArray before; // file contents; "-" for no file
        QStringList lines;
        QByteArray after;
    };
    const Case cases[] = {
        {"no file", "-", {"1.1.2024 10:00\t1"}, "1.1.2024 10:00\t1\r\n"},
        {"ended", "A\r\n", {"1.1.2024 10:00\t1"}, "A\r\n1.1.2024 10:00\t1\r\n"},
        {"unended", "A\r\nfrag", {"1.1.2024 10:00\t1"}, "A\r\nfrag\r\n1.1.2024 10:00\t1\r\n"},
        {"CR only", "A\r\nB\r", {"1.1.2024 10:00\t1"}, "A\r\nB\r\n1.1.2024 10:00\t1\r\n"},
        {"only line", "A", {"1.1.2024 10:00\t1"}, "A\r\n1.1.2024 10:00\t1\r\n"},
        {"torn copy of the first", "A\r\n1.1.2024 10:0", {"1.1.2024 10:00\t1"}, "A\r\n1.1.2024 10:00\t1\r\n"},
        {"torn copy of a later one",
         "A\r\n1.1.2024 10:00\t1\r\n1.1.2024 10:01\t",
         {"1.1.2024 10:00\t1", "1.1.2024 10:01\t2"},
         "A\r\n1.1.2024 10:00\t1\r\n1.1.2024 10:00\t1\r\n1.1.2024 10:01\t2\r\n"},
        {"a value cut short is no copy",
         "A\r\n1.1.2024 10:00\t12",
         {"1.1.2024 10:00\t1"},
         "A\r\n1.1.2024 10:00\t12\r\n1.1.2024 10:00\t1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vxtest::TempHome home;
        const QString path = home.path("Log/M.txt");
        if (c.before != "-") write_all(path, c.before);
        ASSERT_TRUE(append_record_lines(path, c.lines, nullptr));
        EXPECT_EQ(read_all(path), c.after);
    }
}

TEST(RecordAppend, LinesAreSyncedToTheDiskBeforeTheAppendReturns)
{
    vxtest::TempHome home;
    const QString path = home.path("Log/M.txt");
    for (int n : {1, 10}) {
        QStringList lines;
        for (int i = 0; i < n; ++i)
            lines << record_line(i);
        g_synced.clear();
        ASSERT_TRUE(n == 1 ? write_record(path, lines[0], nullptr)
                           : append_record_lines(path, lines, nullptr));
        const qint64 size = QFileInfo(path).size();
        bool synced = false;
        for (const SyncSeen& s : g_synced)
            synced =
                synced || (QFileInfo(s.path).canonicalFilePath() == QFileInfo(path).canonicalFilePath() &&
                           s.size == size);
        EXPECT_TRUE(synced) << n << " line(s): no sync of the whole file";
    }
}

TEST(CodePage, WritesFailAloudWithoutAConverterAndMarkWhatTheyCannotWrite)
{
    vxtest::TempHome home;
    vxtest::FakeUi ui;
    const QString path = home.path("Log/M.txt");
    // Characters without a form in the code page become '?'.
    ASSERT_TRUE(write_record(path, QString::fromUtf8("1.1.2024 10:00\t漢€č"), &ui));
    EXPECT_EQ(read_all(path), QByteArray("1.1.2024 10:00\t?\x80\xE8\r\n"));

    const QByteArray ini = "[GLOBAL]\r\nComPort=2\r\n";
    home.write("vorlanix.ini", ini);
    g_no_converter = true;
    EXPECT_EQ(to_cp1250("abc"), std::nullopt);
    EXPECT_FALSE(write_record(path, "1.1.2024 10:01\t2", &ui));
    EXPECT_FALSE(append_record_lines(path, {"1.1.2024 10:02\t3"}, &ui));
    RecordFileHeader h;
    h.name = "M";
    EXPECT_FALSE(write_header(home.path("Log/N.txt"), h, &ui));
    QString error;
    EXPECT_FALSE(write_setting_int(home.dir(), key::GLOBAL, key::ComPort, 5, &error));
    g_no_converter = false;

    EXPECT_EQ(read_all(path), QByteArray("1.1.2024 10:00\t?\x80\xE8\r\n"));
    EXPECT_FALSE(QFileInfo::exists(home.path("Log/N.txt")));
    EXPECT_EQ(home.read("vorlanix.ini"), ini);
    EXPECT_EQ(error, "Unable to write to " + home.path("vorlanix.ini"));
    const QString told = "Unable to write to " + path;
    EXPECT_EQ(ui.plain, QStringList({told, told, "Unable to write to " + home.path("Log/N.txt")}));
}

// Children append batches of record lines and report each batch once the
// append has returned; each is killed part-way at a random moment (every
// other one by the file-size limit in the middle of a write), and the next
// child starts again after the last reported line, as a download starts
// again at its mark. Every reported line must be a whole, dated line.
TEST(RecordAppend, KilledAppendsLoseNoReportedLine)
{
    // A child of a program with other threads could find a lock held for ever.
    ASSERT_EQ(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
    vxtest::TempHome home;
    const QString path = home.path("Log/M.txt");
    ASSERT_TRUE(QDir().mkpath(home.path("Log")));
    std::mt19937 rng(20240301);
    int next = 0; // first line not yet reported
    int torn_rounds = 0;
    constexpr int rounds = 100;
    for (int round = 0; round < rounds; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const int batch = 50 + int(rng() % 350);
        const bool cut = round % 2 == 1;
        const qint64 size_before = QFileInfo(path).size();
        const qint64 limit = size_before + 1 + qint64(rng() % (batch * 24));
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            const rlimit no_core{0, 0};
            ::setrlimit(RLIMIT_CORE, &no_core);
            if (cut) {
                const rlimit size_limit{rlim_t(limit), rlim_t(limit)};
                ::setrlimit(RLIMIT_FSIZE, &size_limit);
            }
            for (int first = next;; first += batch) {
                QStringList lines;
                for (int i = first; i < first + batch; ++i)
                    lines << record_line(i);
                if (!append_record_lines(path, lines, nullptr)) ::_exit(3);
                const int reported = first + batch;
                if (::write(fds[1], &reported, sizeof reported) != sizeof reported) ::_exit(4);
            }
        }
        ::close(fds[1]);
        ::usleep(useconds_t(rng() % 20000));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "child ended by itself, status " << status;
        int reported = 0;
        while (::read(fds[0], &reported, sizeof reported) == sizeof reported)
            next = std::max(next, reported);
        ::close(fds[0]);
        const QByteArray now = read_all(path);
        torn_rounds += !now.isEmpty() && !now.endsWith("\r\n") ? 1 : 0;
    }
    EXPECT_GT(torn_rounds, 10) << "too few appends were cut part-way to show anything";

    // Every ended line is a whole, dated record line or the cut-off start of
    // one (a copy whose batch was not fetched again whole); never two run
    // together. The whole lines hold every reported line.
    const QByteArray data = read_all(path);
    QList<QByteArray> lines = data.split('\n');
    lines.removeLast(); // after the last line end: empty, or the last child's own cut line
    std::set<QString> expected;
    for (int i = 0; i < next + 400; ++i)
        expected.insert(record_line(i));
    std::set<QString> present;
    int fragments = 0;
    for (const QByteArray& raw : lines) {
        ASSERT_TRUE(raw.endsWith('\r')) << raw.constData();
        const QString line = QString::fromLatin1(raw.chopped(1));
        if (expected.count(line)) {
            present.insert(line);
            continue;
        }
        const auto after = expected.lower_bound(line);
        ASSERT_TRUE(after != expected.end() && after->startsWith(line))
            << "not a record line: " << raw.constData();
        ++fragments;
    }
    for (int i = 0; i < next; ++i)
        ASSERT_TRUE(present.count(record_line(i))) << "reported line " << i << " is lost";
    EXPECT_LT(fragments, torn_rounds);
}

TEST(SortRecords, SortingASortedFileChangesNothing)
{
    struct Case {
        const char* what;
        QByteArray file;
    };
    const QByteArray header = "M\r\nRemark: \r\nSTART: 1.1.2024\r\nPERIOD: 10\r\nGRADIENT: 0\r\n";
    const Case cases[] = {
        {"duplicate pulls a trailing note up",
         "H1\r\nH2\r\nH3\r\n1.1.2024 10:00\t1\r\n1.1.2024 10:00\t1\r\nnote\r\n"},
        {"note among the first lines after the records",
         "1.1.2024 10:00\t1\r\n1.1.2024 10:10\t2\r\nnote\r\n"},
        {"header, records, notes", header + "2.1.2024 10:00\t2\r\n1.1.2024 10:00\t1\r\nnote 1\r\nnote 2\r\n"},
        {"record inside the header", "H1\r\n1.1.2024 10:00\t1\r\nH2\r\nH3\r\nH4\r\nnote\r\n"},
        {"blank line after the records", "H1\r\n1.1.2024 10:00\t1\r\n\r\nnote\r\n"},
        {"header only", header},
        {"no records", "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vxtest::TempHome home;
        const QString path = home.path("M.txt");
        write_all(path, c.file);
        ASSERT_FALSE(sort_records_in_file(path, 5).failed);
        const QByteArray once = read_all(path);
        ASSERT_FALSE(sort_records_in_file(path, 5).failed);
        EXPECT_EQ(read_all(path), once);
    }
}
