// vorlanix-cli as a user runs it: the real program as a child process, with
// a program directory whose settings map COM7 to the simulated logger.
// Expected values are worked out here from the simulator's settings and its
// record rule (record k at 2024-01-01 00:00 + 10k minutes; a digital
// temperature logger stores t = 320 + (7k mod 160) sixteenths of a degree).
#include "base/store_lock.h"
#include "common/qt_print.h"
#include "common/test_data.h"
#include "common/test_state.h"
#include "influx_server.h"
#include "records/marks.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
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
        map_ports("COM7=" + sim.link());
    }
    // Settings whose port COM7 is the default and section [PORTS] holds the lines given; a log folder.
    void map_ports(const QString& lines)
    {
        home.write("vorlanix.ini", ("[GLOBAL]\r\nComPort=7\r\n[PORTS]\r\n" + lines + "\r\n").toUtf8());
        QDir().mkpath(home.path("Log"));
    }

    // Runs the program, or with a wrapper (a program and its arguments) the wrapper on it.
    void start(QProcess& p, const QStringList& args, const QStringList& wrapper = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VORLANIX_HOME", home.dir());
        // Numbers as the desktop tests write them: the Slovak decimal comma.
        env.insert("LC_ALL", "sk_SK.UTF-8");
        for (auto it = extra_env.cbegin(); it != extra_env.cend(); ++it)
            env.insert(it.key(), it.value());
        p.setProcessEnvironment(env);
        const QStringList all = wrapper + QStringList{VORLANIX_CLI_PATH} + args;
        p.start(all.first(), all.mid(1));
    }

    CliRun cli(const QStringList& args, const QStringList& wrapper = {}) const
    {
        QProcess p;
        start(p, args, wrapper);
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    QStringList record_lines(const QString& mission) const
    {
        return vxtest::file_lines(home.path("Log/" + mission + ".txt"));
    }

    static QString last_line(const QString& text) { return text.trimmed().split('\n').last(); }

    vxtest::TempHome home;
    vxtest::SimProcess sim;
    vx::MarkStore marks;
    QMap<QString, QString> extra_env; // for the program, over this process's
};

} // namespace

TEST_F(Cli, StatusAsTextAndJson)
{
    // Each model's readings and battery text are worked out in the status decoding tests; here one
    // with three channels: humidity ((3000 - 2000) x 16 / 160 + 0) / 2; pressure 113 + 900 hPa;
    // 8.1 - 0.03182 x 170 V. A mission name with control characters, written out except in JSON.
    const QString name = "\x1b]0;X\a\x1b[2J";
    start_sim({"--type", "133", "--battery", "170", "--raw1", "320", "--raw2", "2000", "--raw3", "113",
               "--serial", "4321", "--name", name, "--fill", "30", "--clock-offset", "-3600"});
    const QStringList values[] = {
        {"Temperature", "20,0", "°C"}, {"Humidity", "50,0", "%RH"}, {"Air pressure", "1013", "hPa"}};
    const CliRun json = cli({"status", "--json"});
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(QStringList({QString::number(o["type"].toInt()), o["model"].toString(),
                           QString::number(o["serial"].toInt()), QString::number(o["pointer"].toInt()),
                           o["mission"].toString(), o["battery"].toString()}),
              QStringList({"133", "SOLVA-Fenko", "4321", "30", name, "2,7 V"}));
    EXPECT_NEAR(o["clock_offset_s"].toDouble(), -3600, 2);
    const QJsonArray got = o["values"].toArray();
    ASSERT_EQ(got.size(), 3);
    // The same as text, on the port given, with the window in English: the same names.
    ASSERT_TRUE(vx::write_setting_string(home.dir(), "GLOBAL", "LANGUAGE", "ENGLISH"));
    const CliRun text = cli({"status", "--port", "7"});
    ASSERT_EQ(text.status, 0) << text.err.toStdString();
    QStringList want = {"Model:          133 SOLVA-Fenko", "Battery:        2,7 V",
                        "Mission name:   \\e]0;X\\a\\e[2J"};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject v = got[i].toObject();
        EXPECT_EQ(QStringList({v["name"].toString(), v["text"].toString(), v["unit"].toString()}), values[i]);
        EXPECT_DOUBLE_EQ(v["value"].toDouble(), QString(values[i][1]).replace(',', '.').toDouble());
        want << (values[i][0] + ':').leftJustified(16) + values[i][1] + ' ' + values[i][2];
    }
    for (const QString& line : want)
        EXPECT_TRUE(text.out.contains(line + '\n')) << line.toStdString() << "\n" << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QRegularExpression("\nClock offset:   -(3599|3600|3601) s ")))
        << text.out.toStdString();
    EXPECT_FALSE(text.out.contains('\x1b'));
}

TEST_F(Cli, EachDownloadEndsWithItsStatusItsLastLineAndItsMark)
{
    // A digital temperature logger "M" with records 0..59 and the mark given (-1: none); %1 is its file.
    struct Case {
        const char* args;
        int mark, status;
        int from, to; // the records in the file afterwards
        int mark_after;
        const char* last;     // the start of the last line written, all of it when it ends in \n
        const char* sim = ""; // more simulator arguments
    };
    const Case cases[] = {
        {"download new", -1, 1, 0, 0, -1, "vorlanix-cli: mission M is met for the first time and its"},
        {"download new --yes", -1, 0, 0, 0, 60, "mission M met for the first time: download mark set to 60"},
        {"download new", 30, 0, 30, 60, 60, "30 record(s) stored in %1; download mark 60\n"},
        {"download new", 60, 0, 0, 0, 60, "no new records of mission M\n"},
        {"download --last 25", 7, 0, 35, 60, 7, "25 record(s) stored in %1\n"}, // the mark stays
        {"download --last 99999", 7, 1, 0, 0, 7, "vorlanix-cli: the logger holds at most 10401 records\n"},
        {"download new", 0, 1, 0, 20, 20,
         "vorlanix-cli: the logger stopped answering; 20 record(s) stored in %1; the next download continues "
         "from mark 20\n",
         "--corrupt-block 3 --corrupt-block-times 100"}, // the third block's sum is always wrong
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last);
        start_sim(("--type 89 --name M --fill 60 " + QString(c.sim)).split(' ', Qt::SkipEmptyParts));
        QFile::remove(home.path("Log/M.txt"));
        ASSERT_TRUE(c.mark < 0 ? marks.remove_mark("M") : marks.write_mark("M", c.mark));
        const CliRun run = cli(QString(c.args).split(' '));
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        const QString last = QString(c.last).replace("%1", home.path("Log/M.txt"));
        EXPECT_TRUE((last_line(c.status ? run.err : run.out) + "\n").startsWith(last))
            << (run.out + run.err).toStdString();
        EXPECT_EQ(record_lines("M"), temperature_lines(c.from, c.to));
        EXPECT_EQ(marks.read_mark("M"), c.mark_after);
    }
}

TEST_F(Cli, EverySignalThatEndsACommandKeepsWhatWasFetchedFreesThePortAndFails)
{
    // In a pipe the shell reports the program's own exit status.
    const auto piped = [](const char* reader) {
        return QStringList{"bash", "-c", QString("\"$0\" \"$@\" | %1; exit ${PIPESTATUS[0]}").arg(reader)};
    };
    const struct {
        QStringList args, wrapper;
        int signal; // sent once the logger got `frames` frames; 0: the reader of the output goes away
        int frames;
    } cases[] = {
        {{"download", "new"}, {}, SIGINT, 12}, // a few blocks in
        {{"monitor"}, {}, SIGTERM, 3},
        {{"monitor"}, piped("head -1 >/dev/null"), 0, 0},
        {{"status"}, piped("true"), 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.args.join(' ') + ' ' + QString::number(c.signal)).toStdString());
        start_sim({"--type", "89", "--name", "DLHA", "--fill", "2000"});
        marks.write_mark("DLHA", 0);
        QFile::remove(home.path("Log/DLHA.txt"));
        const int before = static_cast<int>(sim.frames().size()); // the log keeps earlier runs
        QProcess p;
        start(p, c.args, c.wrapper);
        if (c.signal) {
            ASSERT_TRUE(sim.wait_frames(before + c.frames, 20000));
            ::kill(static_cast<pid_t>(p.processId()), c.signal);
        }
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 128 + (c.signal ? c.signal : SIGPIPE)) << err.toStdString();
        if (c.args[0] == "download") {
            EXPECT_TRUE(last_line(err).startsWith("vorlanix-cli: interrupted: ")) << err.toStdString();
            const int mark = marks.read_mark("DLHA");
            EXPECT_TRUE(mark > 0 && mark < 2000 && mark % 10 == 0) << mark;
            EXPECT_EQ(record_lines("DLHA"), temperature_lines(0, mark));
        }
        // Root may open a port in exclusive use, but the flag shows what others would hear.
        const int fd = ::open(QFile::encodeName(sim.link()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        int exclusive = -1;
        EXPECT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0);
        ::close(fd);
        vx::TCommPortDriver next;
        next.setPortName(sim.link());
        EXPECT_TRUE(next.Connect());
    }
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
    map_ports("COM7=" + device);
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
    const QJsonObject o = QJsonDocument::fromJson(cli({"status", "--json"}).out.toUtf8()).object();
    EXPECT_NEAR(o["clock_offset_s"].toDouble(), 0, 2);

    // A logger 90 minutes ahead, its 25 records of every 10 minutes never
    // downloaded: about 9 of them would share their stamps.
    start_sim({"--type", "89", "--name", "AHEAD", "--clock-offset", "5400"});
    run = cli({"set-clock"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        last_line(run.err).contains(QRegularExpression("^vorlanix-cli: clock not set: the logger runs ahead; "
                                                       "its newest record is from .*, so about 9 record")))
        << run.err.toStdString();
    EXPECT_EQ(sim.frames(22).size(), 1);
    EXPECT_EQ(cli({"set-clock", "--yes"}).status, 0);
    EXPECT_EQ(sim.frames(22).size(), 2);
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
    EXPECT_EQ(run.out, "Time,Key\r\n2024-03-01T08:00:00+01:00,\"Novák, "
                       "Ján\"\r\n2024-03-01T23:59:00+01:00,\"Dvere \"\"A\"\"\"\r\n");

    EXPECT_EQ(cli({"export", home.path("Log/KLUCE.txt"), "--csv", "--model", "85", "--from", "2.3.2024",
                   "--output", home.path("k.csv")})
                  .status,
              0);
    EXPECT_EQ(home.read("k.csv"),
              QByteArray("Time,Temperature [°C]\r\n2024-03-02T00:00:00+01:00,K\xc4\xbe\xc3\xba\xc4\x8d\r\n"));
    EXPECT_EQ(cli({"export", home.path("Log/NONE.txt")}).status, 1);
}

TEST_F(Cli, SummaryAsJsonWithTimesAndTheLimitsAskedFor)
{
    // 2, 2, 5, 8, 8, 8, 8 every 10 minutes: MKT 6.25, 40 minutes above 5 from 10:30 (5 is on the limit).
    home.write("Log/SKLAD.txt", "SKLAD\r\nRemark: \r\n1.3.2026 10:00\t 2,0\r\n1.3.2026 10:10\t 2,0\r\n"
                                "1.3.2026 10:20\t 5,0\r\n1.3.2026 10:30\t 8,0\r\n1.3.2026 10:40\t 8,0\r\n"
                                "1.3.2026 10:50\t 8,0\r\n1.3.2026 11:00\t 8,0\r\n");
    const CliRun run = cli({"summary", home.path("Log/SKLAD.txt"), "--above", "5", "--json"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(o["records"].toInt(), 7);
    EXPECT_EQ(o["first"].toString(), "2026-03-01T10:00:00+01:00");
    const QJsonObject t = o["channels"].toArray().at(0).toObject();
    EXPECT_EQ(t["name"].toString() + t["unit"].toString(), "Temperature°C");
    EXPECT_EQ(t["mkt"].toDouble(), 6.25);
    EXPECT_EQ(t["max_time"].toString(), "2026-03-01T10:30:00+01:00");
    EXPECT_FALSE(t.contains("below"));
    EXPECT_EQ(
        QJsonDocument(t["above"].toObject()).toJson(QJsonDocument::Compact),
        R"({"excursions":1,"limit":5,"longest_minutes":40,"longest_start":"2026-03-01T10:30:00+01:00","minutes":40})");
}

TEST_F(Cli, HelpSaysWhatEachCommandDoesAndAWrongCallWhy)
{
    // Help goes to the output with an example and exit status 0; a wrong call to the errors with 2.
    const std::tuple<QStringList, int, const char*> cases[] = {
        {{"--help"}, 0, "Usage: vorlanix-cli COMMAND [OPTIONS]"},
        {{"status", "--help"}, 0, "Usage: vorlanix-cli status [--port N] [--json]"},
        {{"download", "--help"}, 0, "Usage: vorlanix-cli download new [--yes] [--port N]"},
        {{"export", "--help"}, 0, "Usage: vorlanix-cli export FILE --csv"},
        {{"summary", "--help"}, 0, "Usage: vorlanix-cli summary FILE"},
        {{"summary", "--above", "x"}, 2, "vorlanix-cli: --above needs a number, such as 8 or 8.5\n"},
        {{"audit", "--help"}, 0, "Usage: vorlanix-cli audit [--json] [--since TIME] [--verify]"},
        {{"verify", "-h"}, 0, "Usage: vorlanix-cli verify FILE"},
        {{"monitor", "-h", "--count", "0"}, 0, "Usage: vorlanix-cli monitor [--count N]"},
        {{"start", "--port", "x", "--help"}, 0, "Usage: vorlanix-cli start --name NAME --interval MINUTES"},
        {{"status", "--bogus"}, 2, "vorlanix-cli: unknown argument '--bogus' for status\n"},
        {{"set-clock", "--yes=1"}, 2, "vorlanix-cli: --yes takes no value\n"},
        {{"monitor", "--count"}, 2, "vorlanix-cli: --count needs a number of readings from 1\n"},
        {{"download", "new", "--port", "0"}, 2, "vorlanix-cli: --port takes a COM number from 1 to 256"},
        {{"start", "--interval", "5"}, 2, "vorlanix-cli: start needs --name\n"},
        {{"audit", "--since", "soon"}, 2, "vorlanix-cli: --since needs a time such as 2024-03-01"},
        {{"collect", "--help"}, 0, "Usage: vorlanix-cli collect [--yes] [--ports LIST] [--retries N]"},
        {{"collect", "--retries", "x"}, 2, "vorlanix-cli: --retries needs a number from 0 to 1000\n"},
        {{"collect", "--ports", "3,x"}, 2, "vorlanix-cli: --ports takes COM numbers from 1 to 256 or device"},
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
        // Every wrong call ends with where the help is: the command's, or the program's.
        const bool known = !args.isEmpty() && args[0] != "fetch";
        EXPECT_TRUE(!status ||
                    run.err.endsWith("\nTry 'vorlanix-cli " + (known ? args[0] + ' ' : "") + "--help'.\n"))
            << run.err.toStdString();
    }
    // Both programs name the build's version, the desktop one without a display.
    for (const QString& program : {QString(VORLANIX_CLI_PATH), QString(VORLANIX_BUILD_DIR "/bin/vorlanix")}) {
        QProcess p;
        p.start(program, {"--version"});
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_EQ(p.readAllStandardOutput(),
                  QFileInfo(program).fileName().toUtf8() + " " VORLANIX_VERSION "\n");
    }
}

TEST_F(Cli, DownloadAndExportAsLineProtocolReadBackFromInfluxDb)
{
    vxtest::InfluxServer influx;
    const QString why = influx.start();
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    ASSERT_EQ(influx.post("CREATE DATABASE lab"), 200);

    // A mission name that needs escaping as a tag value.
    const QString mission = "TEP LO,1=a";
    start_sim({"--type", "89", "--serial", "4321", "--name", mission, "--fill", "40"});
    marks.write_mark(mission, 20);
    const CliRun download = cli({"download", "new", "--format", "influx"});
    ASSERT_EQ(download.status, 0) << download.err.toStdString();
    EXPECT_TRUE(last_line(download.err).startsWith("20 record(s) stored in")) << download.err.toStdString();
    // The export finds the logger the download noted, and gives the same points.
    const CliRun exported = cli({"export", home.path("Log/" + mission + ".txt"), "--format", "influx"});
    EXPECT_EQ(exported.out, download.out);
    for (const CliRun& run : {download, exported})
        ASSERT_EQ(influx.post({}, "lab", run.out.toUtf8()), 204);

    // Worked out from the simulator's record rule; InfluxDB answers in UTC.
    QJsonArray want;
    for (int p = 20; p < 40; ++p)
        want.append(QJsonArray{
            QDateTime(QDate(2024, 1, 1), QTime(0, 0)).addSecs(600LL * p).toUTC().toString(Qt::ISODate),
            QString::number((320 + (7 * p) % 160) / 16.0, 'f', 1).toDouble(), "4321", "89", mission});
    EXPECT_EQ(influx.query("lab", "SELECT Temperature, serial, model, mission FROM vorlanix")["values"],
              want);

    // A file from before: the export names what it lacks until it is given. A record
    // without a single value is no point.
    const QString old = home.path("Log/STARY.txt");
    home.write("Log/STARY.txt", "STARY\r\nRemark: \r\nSTART: 1.3.2024\r\nPERIOD: 1\r\nGRADIENT: 0\r\n"
                                "1.3.2024 10:15\t 21,5\t 45,0\r\n1.3.2024 10:16\tError\t 46,0\r\n"
                                "1.3.2024 10:17\tError\tError\r\n1.3.2024 10:18\t 22,0\t 47,0\r\n");
    const CliRun missing = cli({"export", old, "--format", "influx", "--model", "87"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(last_line(missing.err),
              "vorlanix-cli: " + old +
                  ": no download has noted the serial number of its logger; give --serial N");
    const CliRun given = cli(
        {"export", old, "--format", "influx", "--model", "87", "--serial", "7", "--to", "2024-03-01T10:17"});
    ASSERT_EQ(influx.post({}, "lab", given.out.toUtf8()), 204);
    EXPECT_EQ(
        QJsonDocument(
            influx.query("lab", "SELECT Temperature, Humidity FROM vorlanix WHERE serial = '7'")["values"]
                .toArray())
            .toJson(QJsonDocument::Compact),
        R"([["2024-03-01T09:15:00Z",21.5,45],["2024-03-01T09:16:00Z",null,46]])");
}

TEST_F(Cli, StatusAsPrometheusMetricsPassesPromtool)
{
    // A name that needs escaping as a label value; 20 records after its mark, 5 of them downloaded.
    start_sim({"--type", "87", "--coef", "-5,0.25,0", "--raw1", "448", "--raw2", "300", "--battery", "4",
               "--serial", "4321", "--name", "SKLAD \"A\"\\", "--fill", "30", "--clock-offset", "-60"});
    marks.write_mark("SKLAD \"A\"\\", 10);
    ASSERT_EQ(cli({"download", "--last", "5"}).status, 0);
    const CliRun run = cli({"status", "--format", "prometheus"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    QProcess promtool;
    promtool.start("promtool", {"check", "metrics"});
    ASSERT_TRUE(promtool.waitForStarted(5000))
        << "promtool (Debian package prometheus; scripts/setup installs it)";
    promtool.write(run.out.toUtf8());
    promtool.closeWriteChannel();
    ASSERT_TRUE(promtool.waitForFinished(20000));
    EXPECT_EQ(promtool.exitCode(), 0) << promtool.readAll().toStdString() << run.out.toStdString();

    const QString labels = R"({serial="4321",model="87",mission="SKLAD \"A\"\\")";
    for (const QString& line :
         {"vorlanix_battery_percent" + labels + "} 20", "vorlanix_records_waiting" + labels + "} 20",
          "vorlanix_reading" + labels + R"(,channel="Temperature",unit="°C"} 28)",
          "vorlanix_reading" + labels + R"(,channel="Humidity",unit="%RH"} 70)",
          "vorlanix_mission_running" + labels + "} 1", QString("# TYPE vorlanix_clock_offset_seconds gauge"),
          // 3901 positions, 20 of them not downloaded, every 10 minutes.
          "vorlanix_ring_full_seconds" + labels + "} " + QString::number((3901 - 20) * 600)})
        EXPECT_TRUE(run.out.contains(line + '\n')) << line.toStdString() << "\n" << run.out.toStdString();
    const QRegularExpression offset("\nvorlanix_clock_offset_seconds\\{.*\\} -(59|60|61)\n");
    const QRegularExpression since("\nvorlanix_seconds_since_last_download\\{.*\\} ([0-9.]+)\n");
    EXPECT_TRUE(offset.match(run.out).hasMatch()) << run.out.toStdString();
    EXPECT_LT(since.match(run.out).captured(1).toDouble(), 60) << run.out.toStdString();
}

TEST_F(Cli, MonitorStreamsFlushedLinesInEachFormat)
{
    start_sim({"--type", "87", "--coef", "-5,0.25,0", "--raw1", "448", "--raw2", "300", "--serial", "4321",
               "--name", "TEP LO,1"});
    const QString time = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d))";
    const std::pair<const char*, QString> cases[] = {
        {"csv", "Time,Temperature \\[°C\\],Humidity \\[%RH\\]\n(" + time + ",28\\.0,70\\.0\n){2}"},
        {"influx",
         R"((vorlanix,serial=4321,model=87,mission=TEP\\ LO\\,1 Temperature=28,Humidity=70 \d{19}\n){2})"},
        {"json",
         R"((\{"mission":"TEP LO,1","model":87,"serial":4321,"time":")" + time +
             R"(","units":\{"Humidity":"%RH","Temperature":"°C"\},"values":\{"Humidity":70,"Temperature":28\}\}\n){2})"},
    };
    for (const auto& [format, pattern] : cases) {
        SCOPED_TRACE(format);
        const CliRun run = cli({"monitor", "--count", "2", "--format", format});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(QRegularExpression("^" + pattern + "$").match(run.out).hasMatch())
            << run.out.toStdString();
    }

    // Without a count it streams until Ctrl+C; each line reaches the pipe at once.
    QProcess p;
    start(p, {"monitor"});
    QDeadlineTimer deadline(20000);
    while (p.bytesAvailable() < 100 && !deadline.hasExpired())
        p.waitForReadyRead(500);
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "Time,Temperature [°C],Humidity [%RH]");
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 130);
}

TEST_F(Cli, UnattendedFailuresExitOneAndSayWhyLast)
{
    // A logger with records 0..59 whose mission has the mark 20 (unless the store is broken).
    const QString file = home.path("Log/TVRDY.txt");
    const QByteArray header = "TVRDY\nRemark: \nSTART: 1.1.2024\nPERIOD: 10\nGRADIENT: 0\n";
    const qint64 new_bytes =
        temperature_lines(20, 60).join("\r\n").size() + 2; // of records 20..59 in the file
    const QString limit = "--fsize=" + QString::number(header.size() + new_bytes);
    const QString store = home.path("config/VORLANIX");
    const struct {
        const char* what;
        QString args;
        bool size_limit;
        std::function<void()> arrange;
        QString last_line;
        int mark; // afterwards
    } cases[] = {
        {"the mark store cannot be written", "download new --yes", false,
         [&] {
             extra_env["XDG_CONFIG_HOME"] = home.path("config");
             home.write("config/VORLANIX", "a file where the store's folder belongs");
         },
         "Cannot store the download mark of mission TVRDY in " + store +
             "/VORLANIX.conf: cannot create the folder " + store,
         20},
        {"a link in the log folder", "download new --format influx", false,
         [&] { QFile::link(home.path("victim"), file); },
         "cannot write the record file " + file + ": it is a symbolic link, not followed", 20},
        {"a hard link in the log folder", "download new", false,
         [&] {
             ::link(QFile::encodeName(home.path("victim")).constData(), QFile::encodeName(file).constData());
         },
         "cannot write the record file " + file + ": it has more than one hard link, not written through",
         20},
        {"settings that cannot be read", "download new", false,
         [&] {
             QFile::remove(home.path("vorlanix.ini"));
             QDir().mkpath(home.path("vorlanix.ini"));
         },
         "The settings file " + home.path("vorlanix.ini") +
             " cannot be read: it is not a regular file The logger's port is not opened until the file can "
             "be read.",
         20},
        {"a record source store that cannot be read", "export " + file + " --format influx", false,
         [&] {
             extra_env["XDG_CONFIG_HOME"] = home.path("store");
             QDir().mkpath(home.path("store/VORLANIX/Sources.conf"));
         },
         "cannot read the record source store " + home.path("store/VORLANIX/Sources.conf") +
             ": it is not a regular file",
         20},
        {"the file grows past the file-size limit", "download new", true,
         [&] { home.write("Log/TVRDY.txt", header + QByteArray(new_bytes, 'x')); },
         "cannot write the record file " + file, 20},
        {"the sorted copy exceeds the file-size limit", "download new", true,
         [&] { home.write("Log/TVRDY.txt", header); },
         "The records are stored in " + file + ", but the file could not be sorted: File too large", 60},
        {"a device to export", "export /dev/zero --csv", false, [] {},
         "cannot read /dev/zero: it is not a regular file", 20},
        {"an output folder that is missing", "export " + file + " --csv --output " + home.path("no/x.csv"),
         false, [&] { home.write("Log/TVRDY.txt", header); }, "Unable to write to " + home.path("no/x.csv"),
         20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(home.path("vorlanix.ini")).removeRecursively();
        start_sim({"--type", "89", "--name", "TVRDY", "--fill", "60"});
        QFile::remove(file);
        home.write("victim", header); // what a link in the log folder points at
        extra_env.clear();
        marks.write_mark("TVRDY", 20);
        c.arrange();
        const CliRun run =
            cli(c.args.split(' '), c.size_limit ? QStringList{"prlimit", limit} : QStringList{});
        EXPECT_EQ(run.status, 1) << run.err.toStdString();
        EXPECT_EQ(last_line(run.err), "vorlanix-cli: " + c.last_line);
        EXPECT_EQ(marks.read_mark("TVRDY"), c.mark);
        // Records that never reached the file are not printed as points either.
        EXPECT_EQ(run.out, "");
        // The link's target is as it was.
        EXPECT_EQ(home.read("victim"), header);
    }
}

TEST_F(Cli, StartChecksFirstAndPassesOnlyAMissionReadBackAsSent)
{
    struct Case {
        const char* sim;  // more simulator arguments
        const char* args; // after "start", split at '|'; "@" stands for --name ZIMA --yes --interval 15
        int status;
        const char* last; // start of the last line on stderr, after "vorlanix-cli: "
        int changing;     // frames that change the logger (all but status and name requests); -1: no frame
        int mark = -1;    // ZIMA's download mark afterwards
        bool broken_store = false; // the download marks cannot be stored
    };
    const Case cases[] = {
        {"", "@", 0, "---- WARNING ----", 24, 0},
        {"--drop-acks-of 48", "@", 1,
         "The logger did not acknowledge Try again Failed step: mission name (character 1)", 6 + 7},
        // A start in the hour the computer's clock skips is a time on the logger's clock all the same.
        {"--clock 2024-03-31T01:00:05", "@|--delay-until|2024-03-31T02:30", 0, "---- WARNING ----", 24, 0},
        {"", "--name|ZIMA|--interval|0", 2, "Interval: allowed range 1..255", 0},
        {"", "--name|Ω omega|--interval|15", 2,
         "Mission name: the character U+03A9 'Ω' cannot be written in code page", -1},
        {"", "@|--remark|x\r\nCONST: \t5", 2, "Remark: the control character U+000D", -1},
        {"", "--x\x1b[2J", 2, "unknown argument '--x\\e[2J'", -1},
        {"", "--name|ZIMA|--interval|15", 1, "the logger holds 25 record(s) of mission MISIA1 that this", 0},
        {"", "@|--port|/dev/null", 1, "COM7 (/dev/null) is no serial port", -1},
        {"", "@", 1, "The download mark of mission ZIMA cannot be stored", 24, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        start_sim(
            QString("--type 85 --clock 2024-03-01T10:00:05 %1").arg(c.sim).split(' ', Qt::SkipEmptyParts));
        marks.remove_mark("ZIMA");
        QFile::remove(home.path("Log/ZIMA.txt"));
        extra_env.clear();
        if (c.broken_store) {
            extra_env["XDG_CONFIG_HOME"] = home.path("config");
            home.write("config/VORLANIX", "a file where the store's folder belongs");
        }
        const int before = static_cast<int>(sim.frames().size()); // the log keeps earlier runs
        const QString args = QString::fromUtf8(c.args).replace('@', "--name|ZIMA|--yes|--interval|15");
        const CliRun run = cli(QStringList{"start"} + args.split('|'));
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        // A wrong call says why, then where the help is.
        const QString why = c.status == 2 ? run.err.section('\n', -3, -3) : last_line(run.err);
        EXPECT_TRUE(why.startsWith("vorlanix-cli: " + QString::fromUtf8(c.last))) << run.err.toStdString();
        EXPECT_TRUE(c.status != 2 || run.err.endsWith("\nTry 'vorlanix-cli start --help'.\n"));
        EXPECT_FALSE(run.err.contains('\x1b'));
        int changing = 0;
        for (const vxtest::SimFrame& f : sim.frames().mid(before))
            changing += f.cmd != 10 && f.cmd != 13;
        EXPECT_EQ(changing, std::max(c.changing, 0));
        EXPECT_EQ(sim.frames().size() == before, c.changing < 0);
        // Only a mission read back as sent gets its header.
        EXPECT_EQ(QFile::exists(home.path("Log/ZIMA.txt")), c.status == 0 || c.broken_store);
        EXPECT_EQ(marks.read_mark("ZIMA"), c.mark);
        EXPECT_EQ(run.out, c.status == 0 ? "mission ZIMA started on logger 1234 (type 85): Verified\n" : "");
    }
}

TEST_F(Cli, AuditListsTheTrailAndVerifySeesARecordFileChangedSinceItsDownload)
{
    start_sim({"--type", "89", "--name", "AUDIT", "--serial", "4321"});
    ASSERT_EQ(cli({"download", "--last", "5"}).status, 0);
    ASSERT_EQ(cli({"set-clock", "--yes"}).status, 0);
    const QString file = home.path("Log/AUDIT.txt");
    home.write("Log/OTHER.txt", "OTHER\r\n");
    const struct {
        QStringList args;
        int status;
        QString pattern;    // of stdout, or with status 1 of stderr's last line
        QStringList edit{}; // before the run: a file, a text in it and what replaces it
    } cases[] = {
        {{"audit"},
         0,
         "\\S+\\+0[12]:00 download ok serial 4321 model 89 mission AUDIT by \\S+@\\S+ \\(vorlanix-cli "
         "\\S+\\): digest [0-9a-f]{64}; file " +
             QRegularExpression::escape(file) +
             "; kind newest; records 5; requested 5\n\\S+ clock-set ok serial 4321 model 89 mission AUDIT by "
             ".*: clock: \\S+ -> \\S+; offset \\d+\n"},
        {{"audit", "--since", "2999-01-01"}, 0, ""},
        {{"audit", "--verify"}, 0, "audit trail \\S+audit.jsonl: chain holds, 2 entries\n"},
        {{"verify", file}, 0, "unchanged since download at \\S+\nsha256 [0-9a-f]{64}\n"},
        {{"verify", home.path("Log/OTHER.txt")}, 1, "no digest noted\nsha256 [0-9a-f]{64}\n"},
        {{"verify", file},
         1,
         "changed since download at \\S+\nsha256 [0-9a-f]{64}\nnoted  [0-9a-f]{64}\n",
         {"Log/AUDIT.txt", ",", "."}},
        {{"audit", "--verify"},
         1,
         "vorlanix-cli: audit trail \\S+: chain broken at entry 2: it does not follow entry 1 \\(an entry "
         "was changed, removed or moved\\)",
         {"audit.jsonl", "\"records\":5", "\"records\":6"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        if (!c.edit.isEmpty())
            home.write(c.edit[0], home.read(c.edit[0]).replace(c.edit[1].toUtf8(), c.edit[2].toUtf8()));
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        const QString text = c.status && c.args.first() == "audit" ? last_line(run.err) : run.out;
        EXPECT_TRUE(QRegularExpression("^" + c.pattern + "$").match(text).hasMatch()) << text.toStdString();
    }
    const QJsonArray entries = QJsonDocument::fromJson(cli({"audit", "--json"}).out.toUtf8()).array();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[1].toObject().value("action").toString(), "clock-set");
}

TEST_F(Cli, CollectStoresTheLiveLoggersRetriesTheOthersAndReplacesItsMetrics)
{
    // COM3 a live logger, COM4 one that ends after two blocks, COM5 one that never answers.
    vxtest::SimProcess dying, dead;
    ASSERT_TRUE(sim.start({"--type", "89", "--name", "A", "--fill", "60"}));
    ASSERT_TRUE(dying.start({"--type", "89", "--name", "B", "--fill", "60", "--close-after-blocks", "2"}));
    ASSERT_TRUE(dead.start({"--type", "89", "--silent"}));
    map_ports("COM3=" + sim.link() + "\r\nCOM4=" + dying.link() + "\r\nCOM5=" + dead.link());
    QDir().mkpath(home.path("prom"));
    for (const char* m : {"A", "B"})
        marks.write_mark(m, 20);
    const QString metrics = home.path("prom/vorlanix.prom");
    home.write("prom/vorlanix.prom",
               "vorlanix_last_collection_timestamp_seconds{port=\"COM5\",device=\"x\"} 1234\n");
    ::link(QFile::encodeName(metrics).constData(), QFile::encodeName(home.path("before.prom")).constData());

    const CliRun run = cli({"collect", "--retries", "1", "--retry-wait", "0.2", "--metrics", metrics});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    const QString file_a = home.path("Log/A.txt"), file_b = home.path("Log/B.txt");
    const QStringList lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3) << run.out.toStdString();
    EXPECT_EQ(lines[0], "COM3 (" + sim.link() + "): serial 1234, mission A: 40 record(s) stored in " +
                            file_a + "; download mark 60; ring full of uncollected records in 72 days");
    EXPECT_EQ(lines[1], "COM4 (" + dying.link() + "): serial 1234, mission B: FAILED: COM4 (" + dying.link() +
                            ") does not exist; map the COM number to a device in section [PORTS] of "
                            "vorlanix.ini, or give --port; 20 record(s) stored by an earlier try; 2 tries");
    EXPECT_EQ(lines[2],
              "COM5 (" + dead.link() + "): FAILED: no logger answers on COM5 (" + dead.link() + "); 2 tries");
    EXPECT_TRUE(run.err.contains("vorlanix-cli: COM4: Timeout")) << run.err.toStdString();
    // Every record of the live ones stored once, the marks where the files end; the dead one asked twice.
    EXPECT_EQ(record_lines("A"), temperature_lines(20, 60));
    EXPECT_EQ(record_lines("B"), temperature_lines(20, 40));
    EXPECT_EQ(QList<int>({marks.read_mark("A"), marks.read_mark("B")}), QList<int>({60, 40}));
    EXPECT_EQ(dead.frames(10).size(), 2 * 4);

    // Replaced by a new file (the old one stays under its other name), nothing else left beside it.
    EXPECT_EQ(home.read("before.prom").count('\n'), 1);
    EXPECT_EQ(QDir(home.path("prom")).entryList(QDir::Files | QDir::Hidden), QStringList{"vorlanix.prom"});
    const QString text = QString::fromUtf8(home.read("prom/vorlanix.prom"));
    for (const char* line :
         {R"(vorlanix_up{port="COM3",device="%1"} 1)", R"(vorlanix_up{port="COM4",device="%2"} 0)",
          R"(vorlanix_up{port="COM5",device="%3"} 0)",
          R"(vorlanix_records_collected{port="COM3",device="%1"} 40)",
          R"(vorlanix_records_collected{port="COM4",device="%2"} 20)",
          R"(vorlanix_collect_retries{port="COM5",device="%3"} 1)",
          R"(vorlanix_last_collection_timestamp_seconds{port="COM5",device="%3"} 1234)",
          R"(vorlanix_logger_info{port="COM3",device="%1",serial="1234",model="89",mission="A"} 1)"})
        EXPECT_TRUE(text.contains(
            QString(line).replace("%1", sim.link()).replace("%2", dying.link()).replace("%3", dead.link()) +
            '\n'))
            << line << "\n"
            << text.toStdString();
    EXPECT_TRUE(
        QRegularExpression(R"(\nvorlanix_last_collection_timestamp_seconds\{port="COM3",.*\} 1[0-9]{9}\n)")
            .match(text)
            .hasMatch());
    EXPECT_FALSE(text.contains(R"(last_collection_timestamp_seconds{port="COM4")"));

    // A metrics file that cannot take the place of what is there (a folder) leaves nothing behind.
    QDir().mkpath(home.path("prom/busy.prom"));
    const CliRun refused = cli({"collect", "--ports", "/nonexistent/tty", "--retries", "0", "--metrics",
                                home.path("prom/busy.prom")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(last_line(refused.err).startsWith("vorlanix-cli: cannot write the metrics file"))
        << refused.err.toStdString();
    EXPECT_EQ(QDir(home.path("prom")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"busy.prom", "vorlanix.prom"}));
}

TEST_F(Cli, CollectEndsOnASignalWithWhatWasFetchedAndThePortsFree)
{
    vxtest::SimProcess other;
    for (const auto& [sig, status] : {std::pair{SIGHUP, 129}, {SIGPIPE, 141}}) {
        SCOPED_TRACE(sig);
        ASSERT_TRUE(sim.start({"--type", "89", "--name", "L1", "--fill", "2000"}));
        ASSERT_TRUE(other.start({"--type", "89", "--name", "L2", "--fill", "2000"}));
        map_ports("COM3=" + sim.link() + "\r\nCOM4=" + other.link());
        for (const char* m : {"L1", "L2"}) {
            marks.write_mark(m, 0);
            QFile::remove(home.path(QString("Log/%1.txt").arg(m)));
        }
        QProcess p;
        // The simulators' logs keep the frames of earlier runs.
        const int seen = int(sim.frames().size()), seen_other = int(other.frames().size());
        // While the lock on the stores is held, no port gets past its first mark (5 frames).
        std::optional<vx::StoreLock> lock(std::in_place, home.dir());
        start(p, {"collect"});
        ASSERT_TRUE(sim.wait_frames(seen + 5, 10000) && other.wait_frames(seen_other + 5, 10000));
        EXPECT_FALSE(sim.wait_frames(seen + 6, 1000))
            << "a frame after the first block while the lock is held";
        lock.reset();
        ASSERT_TRUE(sim.wait_frames(seen + 5 + 2 * 5, 10000) &&
                    other.wait_frames(seen_other + 5 + 2 * 5, 10000));
        ::kill(static_cast<pid_t>(p.processId()), sig);
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), status) << p.readAllStandardError().toStdString();
        for (const char* m : {"L1", "L2"}) {
            const int mark = marks.read_mark(m);
            EXPECT_TRUE(mark > 0 && mark < 2000) << mark;
            EXPECT_EQ(record_lines(m), temperature_lines(0, mark));
        }
        for (const char* port : {"3", "4"})
            EXPECT_EQ(cli({"status", "--port", port}).status, 0) << port;
    }
}
