// vorlanix-cli as a user runs it: the real program as a child process, with
// a program directory whose settings map COM7 to the simulated logger.
// Expected values are worked out here from the simulator's settings and its
// record rule (record k at 2024-01-01 00:00 + 10k minutes; a digital
// temperature logger stores t = 320 + (7k mod 160) sixteenths of a degree).
#include "common/qt_print.h"
#include "common/test_data.h"
#include "common/test_state.h"
#include "logger/download.h"
#include "logger/fake_host.h"
#include "records/marks.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace
{

struct CliRun {
    int status = -1;
    QString out, err;
};

// The record file lines of ring positions from .. to - 1 of a digital
// temperature logger (no wrap), with the Slovak decimal comma.
QStringList temperature_lines(int from, int to)
{
    QStringList out;
    for (int p = from; p < to; ++p)
        out << vxtest::file_stamp(QDateTime(QDate(2024, 1, 1), QTime(0, 0)).addSecs(600LL * p)) + '\t' +
                   vxtest::comma_fixed((320 + (7 * p) % 160) / 16.0, 5, 1);
    return out;
}

class Cli : public ::testing::Test
{
protected:
    // Starts the simulator and points COM7 of the program directory at it.
    void start_sim(const QStringList& args)
    {
        ASSERT_TRUE(sim.start(args)) << sim.errors().toStdString();
        home.write("vorlanix.ini",
                   ("[GLOBAL]\r\nComPort=7\r\n[PORTS]\r\nCOM7=" + sim.link() + "\r\n").toUtf8());
        QDir().mkpath(home.path("Log"));
    }

    // Runs the program, or with a wrapper (a program and its arguments) the wrapper on it.
    void start(QProcess& p, const QStringList& args, const QStringList& wrapper = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VORLANIX_HOME", home.dir());
        // Numbers as the desktop tests write them: the Slovak decimal comma.
        env.insert("LC_ALL", "sk_SK.UTF-8");
        p.setProcessEnvironment(env);
        const QString program = VORLANIX_CLI_PATH;
        if (wrapper.isEmpty())
            p.start(program, args);
        else
            p.start(wrapper.first(), wrapper.mid(1) + QStringList{program} + args);
    }

    CliRun cli(const QStringList& args, const QStringList& wrapper = {}) const
    {
        QProcess p;
        start(p, args, wrapper);
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    QByteArray record_file(const QString& mission) const { return home.read("Log/" + mission + ".txt"); }
    QStringList record_lines(const QString& mission) const
    {
        return vxtest::file_lines(home.path("Log/" + mission + ".txt"));
    }

    static QString last_line(const QString& text) { return text.trimmed().split('\n').last(); }

    vxtest::TempHome home;
    vxtest::SimProcess sim;
    vx::MarkStore marks;
};

} // namespace

TEST_F(Cli, StatusOfThreeModelsAsTextAndJson)
{
    struct Case {
        int type;
        const char* sim; // more simulator arguments
        const char* model;
        const char* battery;
        QStringList values; // name|text|unit
    };
    const Case cases[] = {
        // 400/16 degrees; battery 12 x 5 %.
        {89, "--battery 12 --raw1 400", "VORLAN Olvek", "60%", {"Teplota|25,0|'C"}},
        // 448/16 degrees; humidity -5 + 0.25 x 300.
        {87,
         "--coef -5,0.25,0 --battery 4 --raw1 448 --raw2 300",
         "Zapisovač Teplota+Vlhkosť",
         "20%",
         {"Teplota|28,0|'C", "Vlhkost|70,0|%RH"}},
        // Humidity ((3000 - 2000) x 16 / 160 + 0) / 2; pressure 113 + 900 hPa; 8.1 - 0.03182 x 170 V.
        {133,
         "--battery 170 --raw1 320 --raw2 2000 --raw3 113",
         "SOLVA-Fenko",
         "2,7 V",
         {"Teplota|20,0|'C", "Vlhkost|50,0|%RH", "Air Pressure hPa|1013|"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        start_sim(QString("--type %1 %2 --serial 4321 --name TEPLO1 --fill 30 --clock-offset -3600")
                      .arg(c.type)
                      .arg(c.sim)
                      .split(' '));
        const CliRun json = cli({"status", "--json"});
        ASSERT_EQ(json.status, 0) << json.err.toStdString();
        const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
        EXPECT_EQ(QStringList({QString::number(o["type"].toInt()), o["model"].toString(),
                               QString::number(o["serial"].toInt()), QString::number(o["pointer"].toInt()),
                               o["mission"].toString(), o["battery"].toString()}),
                  QStringList({QString::number(c.type), c.model, "4321", "30", "TEPLO1", c.battery}));
        EXPECT_NEAR(o["clock_offset_s"].toDouble(), -3600, 2);
        const QJsonArray values = o["values"].toArray();
        ASSERT_EQ(values.size(), c.values.size());
        // The same as text, on the port given.
        const CliRun text = cli({"status", "--port", "7"});
        ASSERT_EQ(text.status, 0) << text.err.toStdString();
        QStringList want = {QString("Model:          %1 %2").arg(c.type).arg(c.model),
                            QString("Battery:        ") + c.battery};
        for (qsizetype i = 0; i < values.size(); ++i) {
            const QStringList v = c.values[i].split('|');
            const QJsonObject got = values[i].toObject();
            EXPECT_EQ(QStringList({got["name"].toString(), got["text"].toString(), got["unit"].toString()}),
                      v);
            EXPECT_DOUBLE_EQ(got["value"].toDouble(), QString(v[1]).replace(',', '.').toDouble());
            want << (v[0] + ':').leftJustified(16) + v[1] + (v[2].isEmpty() ? "" : ' ' + v[2]);
        }
        for (const QString& line : want)
            EXPECT_TRUE(text.out.contains(line + '\n')) << line.toStdString() << "\n"
                                                        << text.out.toStdString();
        EXPECT_TRUE(text.out.contains(QRegularExpression("\nClock offset:   -(3599|3600|3601) s ")))
            << text.out.toStdString();
    }
}

TEST_F(Cli, NewRecordsLeaveTheSameFileAndMarkAsTheDesktopFlow)
{
    const QStringList logger = {"--type", "87", "--coef", "-5,0.25,0", "--name", "CMP1", "--fill", "130"};
    // The desktop flow in this process, on one simulator.
    QByteArray desktop_file;
    int desktop_mark = 0;
    {
        vxtest::TestState s;
        ASSERT_TRUE(s.start_logger(logger));
        marks.write_mark("CMP1", 100);
        vxtest::FakeHost host;
        host.pointer = QString::number(s.g.status.record_pointer);
        EXPECT_EQ(vx::Download(s.g, host).new_records(), vx::DownloadOutcome::done);
        desktop_file = s.home.read("Log/CMP1.txt");
        desktop_mark = marks.read_mark("CMP1");
    }
    ASSERT_EQ(desktop_mark, 130);
    ASSERT_EQ(desktop_file.count("\r\n"), 30);

    // The command line on a simulator started the same way.
    marks.write_mark("CMP1", 100);
    start_sim(logger);
    const CliRun run = cli({"download", "new"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "30 record(s) stored in " + home.path("Log/CMP1.txt") + "; download mark 130\n");
    EXPECT_EQ(record_file("CMP1"), desktop_file);
    EXPECT_EQ(marks.read_mark("CMP1"), desktop_mark);
}

TEST_F(Cli, FirstContactNeedsYesThenOnlyNewRecordsAreFetched)
{
    start_sim({"--type", "89", "--name", "NOVY", "--fill", "40"});
    marks.remove_mark("NOVY");

    // Nobody to ask: nothing is stored.
    CliRun run = cli({"download", "new"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(last_line(run.err).contains("met for the first time and its download mark was not stored"))
        << run.err.toStdString();
    EXPECT_EQ(marks.read_mark("NOVY"), -1);

    run = cli({"download", "new", "--yes"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(marks.read_mark("NOVY"), 40);
    EXPECT_TRUE(record_file("NOVY").isEmpty());

    // The logger wrote 15 more records; the second download in a row finds none.
    start_sim({"--type", "89", "--name", "NOVY", "--fill", "55"});
    run = cli({"download", "new"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(record_lines("NOVY"), temperature_lines(40, 55));
    EXPECT_EQ(marks.read_mark("NOVY"), 55);
    const QByteArray first = record_file("NOVY");
    run = cli({"download", "new"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "no new records of mission NOVY\n");
    EXPECT_EQ(record_file("NOVY"), first);
    EXPECT_EQ(marks.read_mark("NOVY"), 55);
}

TEST_F(Cli, NewestRecordsLeaveTheMarkAlone)
{
    start_sim({"--type", "89", "--name", "POSL", "--fill", "50"});
    marks.write_mark("POSL", 7);
    CliRun run = cli({"download", "--last", "25"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(record_lines("POSL"), temperature_lines(25, 50));
    EXPECT_EQ(marks.read_mark("POSL"), 7);

    run = cli({"download", "--last", "99999"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(last_line(run.err), "vorlanix-cli: the logger holds at most 10401 records");
}

TEST_F(Cli, BlockThatNeverReadsEndsWithTheReasonAndTheMarkBeforeIt)
{
    // The third block's reply always carries a wrong sum.
    start_sim({"--type", "89", "--name", "CHYBA", "--fill", "60", "--corrupt-block", "3",
               "--corrupt-block-times", "100"});
    marks.write_mark("CHYBA", 0);
    const CliRun run = cli({"download", "new"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(last_line(run.err), "vorlanix-cli: the logger stopped answering; 20 record(s) stored in " +
                                      home.path("Log/CHYBA.txt") +
                                      "; the next download continues from mark 20");
    EXPECT_EQ(record_lines("CHYBA"), temperature_lines(0, 20));
    EXPECT_EQ(marks.read_mark("CHYBA"), 20);
}

TEST_F(Cli, InterruptKeepsWhatWasFetchedAndFails)
{
    start_sim({"--type", "89", "--name", "DLHA", "--fill", "2000"});
    marks.write_mark("DLHA", 0);
    QProcess p;
    start(p, {"download", "new"});
    // Interrupt once a few blocks have come.
    QDeadlineTimer deadline(30000);
    while (sim.frames(12).size() < 5 && !deadline.hasExpired())
        QThread::msleep(20);
    ASSERT_LT(sim.frames(12).size(), 200);
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 130);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(last_line(err).startsWith("vorlanix-cli: interrupted: ")) << err.toStdString();

    const int mark = marks.read_mark("DLHA");
    EXPECT_GT(mark, 0);
    EXPECT_LT(mark, 2000);
    EXPECT_EQ(mark % 10, 0);
    EXPECT_EQ(record_lines("DLHA"), temperature_lines(0, mark));
}

TEST_F(Cli, PortHeldByAnotherProgramIsRefused)
{
    start_sim({"--type", "89"});
    {
        vx::TCommPortDriver desktop;
        desktop.setPortName(sim.link());
        ASSERT_TRUE(desktop.Connect());
        const CliRun run = cli({"status"});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(last_line(run.err), "vorlanix-cli: COM7 (" + sim.link() +
                                          ") is in use by another program (the desktop Vorlanix?); close it "
                                          "and try again");
    }
    EXPECT_EQ(cli({"status"}).status, 0);
}

TEST_F(Cli, DeviceWithoutPermissionExplainsTheDialoutGroup)
{
    // A device the user may not open. Root may open anything, so as root the
    // program runs as "nobody" (for whom the root-owned device is closed).
    const QString device = home.path("ttyUSB0");
    home.write("ttyUSB0", {});
    home.write("vorlanix.ini", ("[GLOBAL]\r\nComPort=7\r\n[PORTS]\r\nCOM7=" + device + "\r\n").toUtf8());
    const auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup;
    QFile::setPermissions(home.dir(), readable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    QFile::setPermissions(home.path("vorlanix.ini"), readable);
    QFile::setPermissions(device, QFile::ReadOwner | QFile::WriteOwner);
    QStringList as_nobody;
    if (geteuid() == 0) {
        if (!QFile::exists("/usr/bin/setpriv")) GTEST_SKIP() << "needs setpriv to run as another user";
        as_nobody = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    } else {
        QFile::setPermissions(device, {});
    }
    const CliRun run = cli({"status"}, as_nobody);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(
        last_line(run.err),
        "vorlanix-cli: no permission to open COM7 (" + device +
            "): add your user to the group dialout (sudo usermod -aG dialout $USER), then log in again");
}

TEST_F(Cli, SetClockAsksFirst)
{
    start_sim({"--type", "89", "--clock-offset", "-7200"});
    CliRun run = cli({"set-clock"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(last_line(run.err), "vorlanix-cli: clock not set: nobody to ask (--yes answers yes)");
    EXPECT_TRUE(sim.frames(22).isEmpty());

    run = cli({"set-clock", "--yes"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    for (int command : {22, 23, 24, 25, 26})
        EXPECT_EQ(sim.frames(command).size(), 1) << command;
    const QJsonObject o = QJsonDocument::fromJson(cli({"status", "--json"}).out.toUtf8()).object();
    EXPECT_NEAR(o["clock_offset_s"].toDouble(), 0, 2);
}

TEST_F(Cli, ExportWritesCsvOfARange)
{
    home.write("Log/KLUCE.txt",
               QByteArray("KLUCE\r\nRemark: \r\nSTART: 1.3.2024\r\nPERIOD: 1\r\nGRADIENT: 0\r\n"
                          "29.2.2024 23:59\tJan\r\n1.3.2024 08:00\tNov\xe1k, J\xe1n\r\n"
                          "1.3.2024 23:59\tDvere \"A\"\r\n2.3.2024 00:00\tK\xbe\xfa\xe8\r\n"));
    const CliRun run =
        cli({"export", home.path("Log/KLUCE.txt"), "--csv", "--from", "2024-03-01", "--to", "2024-03-01"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(
        run.out,
        "Time,Key\r\n2024-03-01T08:00:00,\"Novák, Ján\"\r\n2024-03-01T23:59:00,\"Dvere \"\"A\"\"\"\r\n");

    EXPECT_EQ(cli({"export", home.path("Log/KLUCE.txt"), "--csv", "--model", "85", "--from", "2.3.2024",
                   "--output", home.path("k.csv")})
                  .status,
              0);
    EXPECT_EQ(home.read("k.csv"),
              QByteArray("Time,Temperature [°C]\r\n2024-03-02T00:00:00,K\xc4\xbe\xc3\xba\xc4\x8d\r\n"));
    EXPECT_EQ(cli({"export", home.path("Log/NONE.txt")}).status, 1);
}

TEST_F(Cli, HelpSaysWhatEachCommandDoesAndAWrongCallWhy)
{
    // Help goes to the output with an example and exit status 0; a wrong call to the errors with 2.
    const std::tuple<QStringList, int, const char*> cases[] = {
        {{"--help"}, 0, "Usage: vorlanix-cli COMMAND [OPTIONS]"},
        {{"status", "--help"}, 0, "Usage: vorlanix-cli status [--port N] [--json]"},
        {{"download", "--help"}, 0, "Usage: vorlanix-cli download new [--yes] [--port N]"},
        {{"export", "--help"}, 0, "Usage: vorlanix-cli export FILE --csv"},
        {{"start", "--help"}, 0, "Usage: vorlanix-cli start --name NAME --interval MINUTES"},
        {{}, 2, "vorlanix-cli: a command is missing\n"},
        {{"fetch"}, 2, "vorlanix-cli: unknown command 'fetch'\n"},
        {{"download"}, 2, "vorlanix-cli: download needs either 'new' or '--last N'\n"},
        {{"export", "a.txt", "--to", "tomorrow"},
         2,
         "vorlanix-cli: --to needs a time such as 2024-03-01 or 2024-03-01T10:15\n"},
    };
    for (const auto& [args, status, text] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const CliRun run = cli(args);
        EXPECT_EQ(run.status, status);
        EXPECT_TRUE((status ? run.err : run.out).startsWith(text)) << (run.out + run.err).toStdString();
        EXPECT_TRUE(status || run.out.contains("Example"));
    }
}

TEST_F(Cli, StartChecksFirstAndPassesOnlyAMissionReadBackAsSent)
{
    struct Case {
        const char* label;
        QStringList sim;  // more simulator arguments
        QStringList args; // after "start --name ZIMA --yes"
        int status;
        const char* last; // start of the last line on stderr
        int changing;     // frames that change the logger (all but status and name requests)
    };
    const Case cases[] = {
        {"clean start", {}, {"--interval", "15"}, 0, "vorlanix-cli: ---- POZOR ----", 24},
        {"name frames never acknowledged",
         {"--drop-acks-of", "48"},
         {"--interval", "15"},
         1,
         "vorlanix-cli: Zapisovač nepotvrdil príjatie Opakujte Neúspešný krok: názov misie (znak 1)",
         6 + 7},
        {"interval acknowledged, not taken",
         {"--ignore", "34"},
         {"--interval", "15"},
         1,
         "vorlanix-cli: Zapisovač potvrdil misiu, ale po prečítaní sa líši: - interval: odoslané 15, "
         "prečítané 10",
         24},
        {"delayed start before the logger's clock",
         {},
         {"--interval", "15", "--delay-until", "2024-03-01T09:00"},
         1,
         "vorlanix-cli: Nie je možné tak odložiť štart",
         0},
        {"interval 0", {}, {"--interval", "0"}, 2, "vorlanix-cli: Perióda: povolený rozsah 1..255", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        start_sim(QStringList{"--type", "85", "--clock", "2024-03-01T10:00:05"} + c.sim);
        marks.remove_mark("ZIMA");
        QFile::remove(home.path("Log/ZIMA.txt"));
        const int before = static_cast<int>(sim.frames().size()); // the log keeps earlier runs
        const CliRun run = cli(QStringList{"start", "--name", "ZIMA", "--yes"} + c.args);
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        EXPECT_TRUE(last_line(run.err).startsWith(QString::fromUtf8(c.last))) << run.err.toStdString();
        int changing = 0;
        for (const vxtest::SimFrame& f : sim.frames().mid(before))
            changing += f.cmd != 10 && f.cmd != 13;
        EXPECT_EQ(changing, c.changing);
        EXPECT_EQ(sim.frames().size() == before, c.status == 2); // wrong usage: not even a status request
        // Only a mission read back as sent gets its header and mark.
        EXPECT_EQ(QFile::exists(home.path("Log/ZIMA.txt")), c.status == 0);
        EXPECT_EQ(marks.read_mark("ZIMA"), c.status == 0 ? 0 : -1);
        EXPECT_EQ(run.out, c.status == 0 ? "mission ZIMA started on logger 1234 (type 85): Overené\n" : "");
    }
}
