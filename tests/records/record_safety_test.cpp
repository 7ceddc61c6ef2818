// No silent loss in record files: appends that survive a kill part-way and are on the disk when they
// return; writes that fail aloud without a code page converter.
#include "base/settings.h"
#include "common/fake_ui.h"
#include "common/temp_home.h"
#include "records/record_file.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <iconv.h>
#include <random>
#include <set>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vx;

// The product is linked into this program, so these stand in for the
// system's: fdatasync notes the size it synced, iconv_open can fail.
static qint64 g_synced_size = -1;
static bool g_no_converter = false;
extern "C" int fdatasync(int fd)
{
    g_synced_size = ::lseek(fd, 0, SEEK_END);
    return reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fdatasync"))(fd);
}
extern "C" iconv_t iconv_open(const char* to, const char* from)
{
    if (g_no_converter) return reinterpret_cast<iconv_t>(-1);
    return reinterpret_cast<iconv_t (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "iconv_open"))(to, from);
}

namespace
{
// Line i: one minute apart from 1.1.2020 00:01, value i.
QString line_no(int i)
{
    return format_time_stamp(QDateTime(QDate(2020, 1, 1), QTime(0, 0)).addSecs(60LL * (i + 1))) +
           QStringLiteral("\t%1").arg(i);
}
} // namespace

TEST(RecordAppend, UnendedLastLineIsEndedOrDroppedAndTheAppendIsSynced)
{
    const QByteArray L1 = "1.1.2024 10:00\t1\r\n", L2 = "1.1.2024 10:01\t2\r\n";
    const std::pair<QByteArray, QByteArray> cases[] = {
        // file before, file after appending L1 and L2
        {"A\r\n", "A\r\n" + L1 + L2},
        {"A\r\nfrag", "A\r\nfrag\r\n" + L1 + L2},
        {"A\r\nB\r", "A\r\nB\r\n" + L1 + L2},
        {"A\r\n1.1.2024 10:01\t", "A\r\n" + L1 + L2},                         // a cut copy of L2
        {"A\r\n1.1.2024 10:00\t12", "A\r\n1.1.2024 10:00\t12\r\n" + L1 + L2}, // no copy
    };
    for (const auto& [before, after] : cases) {
        vxtest::TempHome home;
        home.write("M.txt", before);
        ASSERT_TRUE(append_record_lines(home.path("M.txt"), {L1.trimmed(), L2.trimmed()}, nullptr));
        EXPECT_EQ(home.read("M.txt"), after);
        EXPECT_EQ(g_synced_size, after.size());
    }
}

TEST(CodePage, WritesFailAloudWithoutAConverter)
{
    vxtest::TempHome home;
    vxtest::FakeUi ui;
    ASSERT_TRUE(write_record(home.path("M.txt"), QString::fromUtf8("1.1.2024\t漢č"), &ui));
    home.write("vorlanix.ini", "[GLOBAL]\r\n");
    g_no_converter = true;
    EXPECT_FALSE(write_record(home.path("M.txt"), "1.1.2024 10:01\t2", &ui));
    EXPECT_FALSE(write_header(home.path("N.txt"), RecordFileHeader{}, &ui));
    EXPECT_FALSE(write_setting_int(home.dir(), key::GLOBAL, key::ComPort, 5));
    g_no_converter = false;
    EXPECT_EQ(home.read("M.txt"), "1.1.2024\t?\xE8\r\n"); // '?' marks what the code page lacks
    EXPECT_EQ(home.read("vorlanix.ini"), "[GLOBAL]\r\n");
    EXPECT_EQ(ui.args("plain_message"), QStringList({"Unable to write to " + home.path("M.txt"),
                                                     "Unable to write to " + home.path("N.txt")}));
}

// Children append batches and report each once the append returned; each is
// killed at a random moment (every other one in the middle of a write, by
// the file-size limit) and the next starts after the last reported line, as
// a download starts again at its mark. Every reported line stays whole.
TEST(RecordAppend, KilledAppendsLoseNoReportedLine)
{
    ASSERT_EQ(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1)
        << "a child of a threaded program could block on a lock";
    vxtest::TempHome home;
    const QString path = home.path("M.txt");
    std::mt19937 rng(20240301);
    int next = 0, cut_files = 0;
    for (int round = 0; round < 100; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const int batch = 50 + int(rng() % 350);
        const rlim_t limit = rlim_t(QFileInfo(path).size() + 1 + rng() % (batch * 20));
        const pid_t pid = ::fork();
        if (pid == 0) {
            const rlimit none{0, 0}, size{limit, limit};
            ::setrlimit(RLIMIT_CORE, &none);
            if (round % 2) ::setrlimit(RLIMIT_FSIZE, &size);
            for (int first = next;; first += batch) {
                QStringList lines;
                for (int i = first; i < first + batch; ++i)
                    lines << line_no(i);
                const int done = first + batch;
                if (!append_record_lines(path, lines, nullptr) || ::write(fds[1], &done, sizeof done) < 0)
                    ::_exit(1);
            }
        }
        ::close(fds[1]);
        ::usleep(useconds_t(rng() % 20000));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        for (int done = 0; ::read(fds[0], &done, sizeof done) == sizeof done;)
            next = std::max(next, done);
        ::close(fds[0]);
        cut_files += home.read("M.txt").endsWith('\n') ? 0 : 1;
    }
    EXPECT_GT(cut_files, 10) << "too few appends were cut part-way";

    // Every ended line is a whole record line or the start of one, never two run together.
    std::set<QString> whole, present;
    for (int i = 0; i < next + 400; ++i)
        whole.insert(line_no(i));
    QList<QByteArray> lines = home.read("M.txt").split('\n');
    lines.removeLast(); // empty, or the last child's own unended line
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromLatin1(raw.chopped(1)); // without its CR
        const auto it = whole.lower_bound(line);
        ASSERT_TRUE(it != whole.end() && it->startsWith(line)) << raw.constData();
        present.insert(line);
    }
    for (int i = 0; i < next; ++i)
        ASSERT_TRUE(present.count(line_no(i))) << "reported line " << i << " is lost";
}
