#include "common/logger_session.h"

#include "link/bytes.h"
#include "logger/status.h"

#include <QDir>
#include <QFile>

namespace vxtest
{

LoggerSession::LoggerSession()
{
    QDir().mkpath(home.path("Log"));
    g.program_dir = home.dir();
    g.settings.LOGDIR = home.path("Log");
    g.lang.build_language_tables(home.dir(), "SLOVAK");
    g.ui = &ui;
    g.now = [] { return pc_time(); };
    g.link.attach_driver(&driver);
    g.link.attach_ui(&ui);
}

LoggerSession::~LoggerSession()
{
    g.link.close_comport();
}

bool LoggerSession::start(const QStringList& args)
{
    if (!sim.start(args + QStringList{"--state", home.path("sim-state.txt")})) return false;
    if (!g.link.open_comport(1, {{1, sim.device()}})) return false;
    g.link.send_command(10, 160);
    g.link.delay(400);
    const bool ok = decode_status();
    g.link.rx_buffer.clear();
    return ok;
}

bool LoggerSession::decode_status()
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

QMap<QString, QString> LoggerSession::state() const
{
    QMap<QString, QString> out;
    QFile f(home.path("sim-state.txt"));
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0) out.insert(QString::fromLatin1(line.left(eq)), QString::fromLatin1(line.mid(eq + 1)));
    }
    return out;
}

Frames LoggerSession::frames_from(int from, int count) const
{
    sim.wait_frames(from + count, 2000);
    Frames out;
    const auto all = sim.frames();
    for (qsizetype i = from; i < all.size(); ++i)
        out.append({all[i].cmd, all[i].param});
    return out;
}

} // namespace vxtest
