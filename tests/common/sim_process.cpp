#include "sim_process.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTextStream>
#include <QThread>
#include <algorithm>

namespace vxtest
{

bool SimProcess::start(const QStringList& args)
{
    kill();
    QStringList all = args;
    all << "--link" << link() << "--log" << dir_.path() + "/frames.log"
        << "--dump-ring" << dir_.path() + "/ring.txt"
        << "--state" << dir_.path() + "/state.txt";
    proc_.setProcessChannelMode(QProcess::SeparateChannels);
    proc_.start(QStringLiteral(VORLAN_SIM_PATH), all);
    if (!proc_.waitForStarted(5000)) return false;
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        if (proc_.canReadLine()) {
            if (proc_.readLine().startsWith("PTY ")) return true;
        } else if (!proc_.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
            if (proc_.state() == QProcess::NotRunning) return false;
        }
    }
    return false;
}

void SimProcess::kill()
{
    if (proc_.state() == QProcess::NotRunning) return;
    proc_.terminate();
    if (!proc_.waitForFinished(3000)) {
        proc_.kill();
        proc_.waitForFinished(3000);
    }
}

QVector<SimFrame> SimProcess::frames() const
{
    QVector<SimFrame> out;
    QFile f(dir_.path() + "/frames.log");
    if (!f.open(QIODevice::ReadOnly)) return out;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QStringList parts = in.readLine().split(' ', Qt::SkipEmptyParts);
        if (parts.size() != 3) continue;
        out.push_back({parts[0].toLongLong(), parts[1].toInt(), parts[2].toInt()});
    }
    return out;
}

QVector<SimFrame> SimProcess::frames(int cmd) const
{
    QVector<SimFrame> out;
    for (const SimFrame& f : frames())
        if (f.cmd == cmd) out.push_back(f);
    return out;
}

bool SimProcess::wait_frames(int count, int ms) const
{
    QDeadlineTimer deadline(ms);
    while (frames().size() < count) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return true;
}

QStringList SimProcess::ring() const
{
    QFile f(dir_.path() + "/ring.txt");
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

QMap<QString, QString> SimProcess::state() const
{
    QMap<QString, QString> out;
    QFile f(dir_.path() + "/state.txt");
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0) out.insert(QString::fromLatin1(line.left(eq)), QString::fromLatin1(line.mid(eq + 1)));
    }
    return out;
}

QString SimProcess::errors() const
{
    return QString::fromLocal8Bit(proc_.readAllStandardError());
}

} // namespace vxtest
