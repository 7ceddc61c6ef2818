#pragma once
// The program-wide state of one test: a temporary program directory (its Log
// folder is the record directory), the built-in texts, the scripted user, and
// the simulated logger with a serial driver to reach it.
#include "base/audit_trail.h"

#include "common/fake_ui.h"
#include "common/sim_process.h"
#include "common/temp_home.h"
#include "link/bytes.h"
#include "link/serial_port.h"
#include "logger/program_state.h"
#include "logger/status.h"
#include <QJsonArray>

#include <QList>
#include <QPair>
#include <QPrinter>
#include <functional>

namespace vxtest
{

using Frames = QList<QPair<int, int>>; // command, parameter

// The computer's clock of the tests that fix it.
inline QDateTime pc_time()
{
    return QDateTime(QDate(2024, 3, 1), QTime(12, 34, 56));
}

struct TestState {
    TempHome home;
    FakeUi ui;
    SimProcess sim;
    vx::TCommPortDriver driver;
    vx::Global g;

    TestState()
    {
        g.program_dir = home.dir();
        g.settings.LOGDIR = home.path("Log");
        g.lang.build_language_tables(home.dir(), "SLOVAK");
        g.ui = &ui;
        g.link.attach_ui(&ui);
        g.link.attach_driver(&driver);
    }
    ~TestState() { g.link.close_comport(); }

    // Starts the simulator with args and opens it as the logger port COM 1;
    // false when either fails.
    bool connect(const QStringList& args)
    {
        g.link.close_comport();
        if (!sim.start(args)) return false;
        g.settings.port_devices[1] = sim.link();
        return g.link.open_comport(1, g.settings.port_devices);
    }
    // connect(), then the computer's clock fixed at pc_time() and the
    // logger's status read into g once; false when a step fails.
    bool start_logger(const QStringList& args)
    {
        g.now = pc_time;
        if (!connect(args)) return false;
        g.link.send_command(10, 160);
        g.link.delay(400);
        const bool ok = read_status();
        g.link.rx_buffer.clear();
        return ok;
    }
    // Decodes g.link.rx_buffer as a status reply into g; true when recognised.
    bool read_status()
    {
        vx::DecodeInputs in;
        in.ident = g.ident;
        in.status = g.status;
        in.coef = g.coef;
        in.pc_date = g.now().date();
        const vx::StatusDecode d = vx::identify_and_decode(vx::view(g.link.rx_buffer), in);
        g.ident = d.ident;
        if (!d.recognised) return false;
        g.status = d.status;
        g.coef = d.coef;
        return true;
    }
    // A printer dialog's answer: the PDF file name in the temporary directory.
    std::function<bool(QPrinter&)> pdf_printer(const QString& name) const
    {
        return [this, name](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(home.path(name));
            return true;
        };
    }
    int frame_count() const { return int(sim.frames().size()); }
    // Frames the simulator received from the index from on, after waiting
    // for at least count of them (stragglers of the last exchange).
    Frames frames_from(int from, int count = 0) const
    {
        sim.wait_frames(from + count, 2000);
        Frames out;
        for (const SimFrame& f : sim.frames().mid(from))
            out.append({f.cmd, f.param});
        return out;
    }
    // The audit trail's entries from the index from on, each as
    // "action result[: reason]", and the last entry.
    QStringList audit_from(int from) const
    {
        QStringList out;
        for (const vx::AuditRow& row : vx::AuditTrail(home.dir()).read().entries.mid(from)) {
            const QJsonObject& e = row.entry;
            out << e.value("action").toString() + ' ' + e.value("result").toString() +
                       (e.contains("reason") ? ": " + e.value("reason").toString() : QString());
        }
        return out;
    }
    QJsonObject last_audit() const
    {
        const auto rows = vx::AuditTrail(home.dir()).read().entries;
        return rows.isEmpty() ? QJsonObject{} : rows.last().entry;
    }
};

} // namespace vxtest
