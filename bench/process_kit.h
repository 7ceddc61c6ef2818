#pragma once
// What benchmarks of the whole program share: the CPU time and resident
// memory of this process, and a user-interface port that lets every flow
// run on without a person.
#include "base/ui_port.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <sys/resource.h>
#include <unistd.h>

namespace vxbench
{

// User and system CPU time of this process (all its threads) so far, in ms.
inline double cpu_ms()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

// Resident memory of this process now, in megabytes; 0 when unknown.
inline double rss_mb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1
               ? double(fields[1].toLongLong()) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0)
               : 0;
}

// Answers every message with OK where it offers OK, else with No, and
// every input box with Cancel; shows nothing.
class QuietUi : public vx::UiPort
{
public:
    int show_message(const QString&, int buttons, int = 0) override
    {
        return (buttons & vx::btn::ok) ? vx::mr::ok : vx::mr::no;
    }
    void plain_message(const QString&) override {}
    std::optional<QString> input_box(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    void progress_show(const QString&) override {}
    void progress_hide() override {}
    void progress_label(const QString&) override {}
    void progress_range(int) override {}
    void progress_position(int) override {}
    void progress_log(const QString&) override {}
    void progress_clear_log() override {}
};

} // namespace vxbench
