// "vorlanix-cli collect": the new records of several loggers at once (see collect.h).
#include "cli/collect.h"

#include "base/printable.h"
#include "base/settings.h"
#include "cli/collect_metrics.h"
#include "cli/commands.h"
#include "cli/help_texts.h"
#include "cli/influx_output.h"
#include "cli/interrupt.h"
#include "cli/options.h"
#include "cli/session.h"
#include "cli/status_report.h"
#include "link/serial_devices.h"
#include "logger/ring_forecast.h"
#include "records/marks.h"

#include <QEventLoop>
#include <QFile>
#include <QMutex>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <limits>
#include <memory>
#include <vector>

namespace vx::cli
{

namespace
{

struct CollectOptions {
    bool yes = false;
    QStringList ports; // COM numbers or device paths; empty: every port of [PORTS]
    int retries = 2;
    int retry_wait_ms = 10000;
    bool influx = false;
    QString metrics;
    qint64 period = 3600;
};

// Reads the options into o; the exit status when the command is not to run
// (help, or a usage error said on err).
std::optional<int> parse_options(const QStringList& args, CollectOptions& o, std::FILE* out, std::FILE* err)
{
    const QString retries_error = QStringLiteral("--retries needs a number from 0 to 1000");
    const QString period_error = QStringLiteral("--period needs the seconds between collections, from 1");
    const QString wait_error = QStringLiteral("--retry-wait needs seconds from 0 to 86400");
    CommandLine c(QStringLiteral("collect"),
                  {{{QStringLiteral("y"), QStringLiteral("yes")}},
                   {{QStringLiteral("ports")}, "LIST"},
                   {{QStringLiteral("retries")}, "N", retries_error},
                   {{QStringLiteral("retry-wait")}, "SECONDS", wait_error},
                   {{QStringLiteral("format")}, "FORMAT"},
                   {{QStringLiteral("metrics")}, "FILE", QStringLiteral("--metrics needs a file name")},
                   {{QStringLiteral("period")}, "SECONDS", period_error}},
                  args);
    c.no_words();
    o.yes = c.is_set(QStringLiteral("yes"));
    if (c.is_set(QStringLiteral("ports"))) {
        for (const QString& part : c.value(QStringLiteral("ports")).split(QLatin1Char(','))) {
            const QString port = part.trimmed();
            bool ok = false;
            const int n = port.toInt(&ok);
            if ((!ok || n < min_com_port || n > max_com_port) && !port.contains(QLatin1Char('/'))) {
                c.fail(QStringLiteral(
                           "--ports takes COM numbers from %1 to %2 or device paths, separated by commas")
                           .arg(min_com_port)
                           .arg(max_com_port));
                break;
            }
            const QString key = ok ? QString::number(n) : port;
            if (!o.ports.contains(key)) o.ports << key;
        }
    }
    o.retries = c.number(QStringLiteral("retries"), 0, 1000, retries_error).value_or(o.retries);
    if (c.is_set(QStringLiteral("retry-wait"))) {
        bool ok = false;
        const double seconds = c.value(QStringLiteral("retry-wait")).toDouble(&ok);
        if (!ok || seconds < 0 || seconds > 86400)
            c.fail(wait_error);
        else
            o.retry_wait_ms = int(seconds * 1000 + 0.5);
    }
    o.influx = c.one_of(QStringLiteral("format"), {QStringLiteral("influx")}).has_value();
    o.metrics = c.value(QStringLiteral("metrics"));
    if (c.is_set(QStringLiteral("metrics")) && o.metrics.isEmpty())
        c.fail(QStringLiteral("--metrics needs a file name"));
    o.period = c.number(QStringLiteral("period"), 1, std::numeric_limits<int>::max(), period_error)
                   .value_or(o.period);
    return c.finish(out, err, help_of(c.command()));
}

// Lives in a port's thread: the interrupt from the main thread reaches the
// port's session there, between its waits.
class PortControl : public QObject
{
public:
    void interrupt()
    {
        interrupted = true;
        if (on_interrupt) on_interrupt();
    }
    bool interrupted = false;
    std::function<void()> on_interrupt;
};

// Missions claimed by the ports of this run. Two loggers with one mission
// name would share its download mark and its record file, and a download of
// one would count from the mark of the other: the second is refused.
class MissionClaims
{
public:
    // Empty when the mission is this port's, else the port that has it.
    QString claim(const QString& mission, const QString& port)
    {
        const QMutexLocker lock(&mutex_);
        const QString other = owners_.value(mission);
        if (other.isEmpty() || other == port) {
            owners_.insert(mission, port);
            return {};
        }
        return other;
    }

private:
    QMutex mutex_;
    QMap<QString, QString> owners_;
};

struct PortJob {
    QString port;  // as listed: a COM number or a device path
    QString label; // "COM3" or the path
    QString name;  // "COM3 (/dev/ttyUSB0)"
    QString device;
    std::unique_ptr<PortControl> control = std::make_unique<PortControl>();
    // The records of --format influx, printed once the port is done.
    char* influx_text = nullptr;
    size_t influx_size = 0;
    std::FILE* influx_out = nullptr;

    // What happened.
    DownloadEnding end{DownloadEnding::Kind::failed, QStringLiteral("not tried"), 0};
    bool up = false;
    int records = 0; // over every try
    int tries = 0;
    std::optional<std::uint16_t> serial, model;
    QString mission;
    std::optional<RingForecast> forecast;
    std::optional<qint64> collected_at;
};

// Waits ms on the event loop, or until the port is interrupted.
void wait_to_retry(PortControl& control, int ms)
{
    if (ms <= 0 || control.interrupted) return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    control.on_interrupt = [&loop] { loop.quit(); };
    timer.start(ms);
    loop.exec();
    control.on_interrupt = nullptr;
}

// One try on the port; true when the logger did not answer (worth another try).
bool try_port(Session& s, PortJob& job, MissionClaims& claims)
{
    using K = DownloadEnding::Kind;
    auto fail = [&](const QString& why) {
        job.end = {s.ui.interrupted() ? K::interrupted : K::failed, why, 0};
    };
    if (const QString why = s.open_port(job.port); !why.isEmpty()) {
        fail(why);
        job.up = false;
        // A device that is gone (an adapter pulled, a logger that hung up) or
        // held for a moment by another program may be back; a wrong one is not.
        const auto fault = s.driver.last_fault();
        return s.setup_failure.isEmpty() &&
               (fault == TCommPortDriver::OpenFault::missing || fault == TCommPortDriver::OpenFault::busy);
    }
    job.name = s.port_name;
    if (const QString why = s.identify(true); !why.isEmpty()) {
        fail(why);
        job.up = false;
        return !s.ui.interrupted();
    }
    job.up = true;
    job.serial = s.g.status.serial;
    job.model = s.g.ident.type_code;
    job.mission = s.name_read ? s.g.status.mission_name : QString();
    if (s.name_read) {
        if (const QString other = claims.claim(job.mission, job.label); !other.isEmpty()) {
            fail(QStringLiteral("mission %1 is on %2 as well: one download mark and one record file cannot "
                                "serve two loggers; give them different mission names")
                     .arg(job.mission, other));
            return false;
        }
    }
    Download download(s.g, s.host);
    const DownloadOutcome outcome = download.new_records();
    job.end = download_ending(s, download, outcome, false);
    job.records += job.end.records;
    if (outcome == DownloadOutcome::failed || outcome == DownloadOutcome::no_name) {
        job.up = false;
        return !s.ui.interrupted();
    }
    if (job.end.kind != K::ok) return false;
    job.collected_at = QDateTime::currentSecsSinceEpoch();
    const int mark = s.name_read ? MarkStore().read_mark(job.mission) : -1;
    job.forecast = ring_forecast(ring_outlook(s.g, mark));
    return false;
}

// A port's thread: tries until one answers or the retries are spent.
void collect_port(PortJob& job, const CollectOptions& o, MissionClaims& claims, std::FILE* err)
{
    PortControl& control = *job.control;
    for (int attempt = 0; attempt <= o.retries; ++attempt) {
        if (attempt > 0) wait_to_retry(control, o.retry_wait_ms);
        if (control.interrupted) {
            if (attempt == 0) job.end = {DownloadEnding::Kind::interrupted, QStringLiteral("interrupted"), 0};
            break;
        }
        ++job.tries;
        Session s(o.yes, err, false);
        s.ui.set_prefix(job.label + QStringLiteral(": "));
        InfluxRecordPrinter influx(s.g, job.influx_out);
        if (o.influx) s.host.set_record_sink(&influx);
        control.on_interrupt = [&s] { s.ui.interrupt(); };
        const bool again = try_port(s, job, claims);
        control.on_interrupt = nullptr;
        if (!again || s.ui.interrupted()) break;
    }
}

// The summary line of a port.
QString summary(const PortJob& job, qint64 period)
{
    using K = DownloadEnding::Kind;
    QString line = (job.name.isEmpty() ? job.label : job.name) + QStringLiteral(": ");
    if (job.serial) {
        line += QStringLiteral("serial %1").arg(*job.serial);
        if (!job.mission.isEmpty()) line += QStringLiteral(", mission ") + job.mission;
        line += QStringLiteral(": ");
    }
    if (job.end.kind == K::failed) line += QStringLiteral("FAILED: ");
    line += job.end.text;
    if (const int earlier = job.records - job.end.records; earlier > 0)
        line += QStringLiteral("; %1 record(s) stored by an earlier try").arg(earlier);
    if (job.tries > 1) line += QStringLiteral("; %1 tries").arg(job.tries);
    if (job.forecast) line += QStringLiteral("; ") + forecast_text(*job.forecast, period);
    return line;
}

} // namespace

int collect_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    CollectOptions o;
    if (const auto status = parse_options(args, o, out, err)) return *status;

    // The ports: those listed, else every port the settings map to a device.
    QString setup_failure;
    const QString dir = find_program_dir(&setup_failure);
    if (dir.isEmpty()) {
        print_line(err, QStringLiteral("vorlanix-cli: ") + setup_failure);
        return exit_failed;
    }
    const Settings settings = read_settings(dir);
    QStringList ports = o.ports;
    if (ports.isEmpty())
        for (const int com : settings.port_devices.keys())
            ports << QString::number(com);
    if (ports.isEmpty()) {
        print_line(err,
                   QStringLiteral("vorlanix-cli: no ports to collect from: map them to devices in section "
                                  "[PORTS] of %1vorlanix.ini (COM3=/dev/ttyUSB0), or give --ports")
                       .arg(dir));
        return exit_failed;
    }

    std::vector<std::unique_ptr<PortJob>> jobs;
    for (const QString& port : ports) {
        auto job = std::make_unique<PortJob>();
        job->port = port;
        bool number = false;
        const int com = port.toInt(&number);
        job->label = number ? QStringLiteral("COM%1").arg(com) : port;
        job->device = number ? com_device(com, settings.port_devices) : port;
        if (o.influx) job->influx_out = open_memstream(&job->influx_text, &job->influx_size);
        jobs.push_back(std::move(job));
    }

    MissionClaims claims;
    std::vector<std::unique_ptr<QThread>> threads;
    QEventLoop loop;
    int running = int(jobs.size());
    for (auto& job : jobs) {
        PortJob* j = job.get();
        std::unique_ptr<QThread> t(
            QThread::create([j, &o, &claims, err] { collect_port(*j, o, claims, err); }));
        j->control->moveToThread(t.get());
        QObject::connect(t.get(), &QThread::finished, &loop, [&] {
            if (--running == 0) loop.quit();
        });
        threads.push_back(std::move(t));
    }
    int signal = 0;
    // Every ending releases the ports: the sessions close them as they end.
    const InterruptNotifier interrupt(
        [&](int caught) {
            if (signal == 0) signal = caught;
            for (auto& job : jobs) {
                PortControl* c = job->control.get();
                QMetaObject::invokeMethod(
                    c, [c] { c->interrupt(); }, Qt::QueuedConnection);
            }
        });
    for (auto& t : threads)
        t->start();
    loop.exec();
    for (auto& t : threads)
        t->wait();

    // With --format influx stdout carries the records, the summary goes to stderr.
    std::FILE* summary_out = o.influx ? err : out;
    bool all_ok = true;
    QList<PortMetrics> metrics;
    const QMap<QString, qint64> before = o.metrics.isEmpty() ? QMap<QString, qint64>() : [&] {
        QFile f(o.metrics);
        return f.open(QIODevice::ReadOnly) ? last_collections(QString::fromUtf8(f.read(1 << 20)))
                                           : QMap<QString, qint64>();
    }();
    for (auto& job : jobs) {
        if (job->influx_out) {
            std::fclose(job->influx_out);
            std::fwrite(job->influx_text, 1, job->influx_size, out);
            std::fflush(out);
            std::free(job->influx_text);
        }
        print_line(summary_out, summary(*job, o.period));
        all_ok = all_ok && job->end.kind == DownloadEnding::Kind::ok;
        PortMetrics m{job->label,        job->device,  job->up,
                      job->collected_at, job->records, std::max(job->tries - 1, 0),
                      job->forecast,     job->serial,  job->model,
                      job->mission};
        if (!m.last_collection && before.contains(job->label)) m.last_collection = before.value(job->label);
        metrics << m;
    }
    if (!o.metrics.isEmpty()) {
        QString why;
        if (!write_metrics_file(o.metrics, collect_metrics_text(metrics), &why)) {
            print_line(
                err,
                QStringLiteral("vorlanix-cli: cannot write the metrics file %1: %2").arg(o.metrics, why));
            all_ok = false;
        }
    }
    if (signal != 0) return 128 + signal;
    return all_ok ? exit_ok : exit_failed;
}

} // namespace vx::cli
