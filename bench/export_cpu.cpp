// CPU time and peak memory of "vorlanix-cli export FILE --csv" on a record
// file of a two-channel logger (1,000,000 records by default), against the
// awk script bench/export_csv.awk that writes the same CSV. Both run as
// child processes; their CPU (user + system) and peak resident memory come
// from wait4. The outputs are compared byte for byte before any figure is
// printed. The logger's clock is noted at +01:00 for the whole file, as a
// download notes it, and the zone is Europe/Bratislava.
//   build/bench/export_cpu            (1,000,000 records, best of 3 runs)
//   build/bench/export_cpu 250000 5   (records, runs)
#include "records/record_source.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{

// The header lines of a mission start, then one record a minute from
// 1.1.2024 00:01 with temperature and humidity (CR LF, decimal comma).
bool write_records(const QString& path, int records)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray out = "BIG\r\nRemark: \r\nSTART: 1.1.2024 00:00\r\nPERIOD: 1\r\nGRADIENT: 0\r\n";
    QDateTime t(QDate(2024, 1, 1), QTime(0, 1), Qt::UTC);
    char line[96];
    for (int i = 0; i < records; ++i, t = t.addSecs(60)) {
        const QDate d = t.date();
        const QTime h = t.time();
        const int n = std::snprintf(line, sizeof line, "%d.%d.%d %02d:%02d\t%5.1f\t%5.1f\r\n", d.day(),
                                    d.month(), d.year(), h.hour(), h.minute(), 20 + 5 * std::sin(i * 0.001),
                                    50 + 20 * std::cos(i * 0.0007));
        for (int c = 0; c < n; ++c)
            if (line[c] == '.' && c > 10) line[c] = ',';
        out.append(line, n);
        if (out.size() > (1 << 22)) {
            if (f.write(out) != out.size()) return false;
            out.clear();
        }
    }
    return f.write(out) == out.size();
}

struct Run {
    int status = -1;
    double cpu_ms = 0;
    double peak_mb = 0;
};

// Runs args with its standard output into out_path.
Run run(const std::vector<std::string>& args, const QString& out_path)
{
    Run r;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, QFile::encodeName(out_path).constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return r;
    int status = 0;
    rusage u{};
    if (wait4(pid, &status, 0, &u) != pid) return r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.cpu_ms =
        (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
    r.peak_mb = u.ru_maxrss / 1024.0;
    return r;
}

// The best of runs runs (least CPU), with the highest peak memory seen.
Run best_of(int runs, const std::vector<std::string>& args, const QString& out_path)
{
    Run best;
    for (int i = 0; i < runs; ++i) {
        const Run r = run(args, out_path);
        if (r.status != 0) return r;
        if (i == 0 || r.cpu_ms < best.cpu_ms) best.cpu_ms = r.cpu_ms;
        best.peak_mb = std::max(best.peak_mb, r.peak_mb);
        best.status = 0;
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    const int records = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    QTemporaryDir dir;
    // The child processes read the clock note from this store.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    qputenv("VORLANIX_HOME", QFile::encodeName(dir.path()));
    qputenv("TZ", "Europe/Bratislava");
    qputenv("LC_ALL", "C");
    const QString file = dir.filePath("BIG.txt");
    if (!write_records(file, records) ||
        !vx::RecordSourceStore().add_clock_note(
            "BIG.txt", vx::ClockNote{QDateTime(QDate(2023, 12, 31), QTime(0, 0), Qt::UTC), 3600}, true)) {
        std::fprintf(stderr, "cannot write the record file or its clock note in %s\n",
                     qPrintable(dir.path()));
        return 1;
    }
    const std::string path = QFile::encodeName(file).toStdString();
    const QString program_out = dir.filePath("program.csv"), awk_out = dir.filePath("awk.csv");
    const Run awk = best_of(runs, {"awk", "-f", VORLANIX_SOURCE_DIR "/bench/export_csv.awk", path}, awk_out);
    const Run program = best_of(runs, {VORLANIX_CLI_PATH, "export", path, "--csv"}, program_out);
    const Run to_file = best_of(
        runs, {VORLANIX_CLI_PATH, "export", path, "--csv", "--output", dir.filePath("o.csv").toStdString()},
        dir.filePath("o.out"));
    if (awk.status != 0 || program.status != 0 || to_file.status != 0) {
        std::fprintf(stderr, "a run failed: awk %d, program %d, program --output %d\n", awk.status,
                     program.status, to_file.status);
        return 1;
    }
    QFile a(awk_out), p(program_out), o(dir.filePath("o.csv"));
    if (!a.open(QIODevice::ReadOnly) || !p.open(QIODevice::ReadOnly) || !o.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray expected = a.readAll();
    if (expected != p.readAll() || expected != o.readAll()) {
        std::fprintf(stderr, "the program's CSV differs from the awk script's (kept in %s)\n",
                     qPrintable(dir.path()));
        dir.setAutoRemove(false);
        return 1;
    }
    std::printf("%d records, %.1f MB in, %.1f MB CSV, identical; best of %d runs\n", records,
                QFile(file).size() / 1e6, expected.size() / 1e6, runs);
    std::printf("awk script              CPU %8.0f ms  peak RSS %7.1f MB\n", awk.cpu_ms, awk.peak_mb);
    std::printf("export to stdout        CPU %8.0f ms  peak RSS %7.1f MB  CPU ratio %.2f\n", program.cpu_ms,
                program.peak_mb, program.cpu_ms / awk.cpu_ms);
    std::printf("export --output FILE    CPU %8.0f ms  peak RSS %7.1f MB  CPU ratio %.2f\n", to_file.cpu_ms,
                to_file.peak_mb, to_file.cpu_ms / awk.cpu_ms);
    return 0;
}
