#include "base/ini_file.h"
#include "base/settings.h"
#include "common/fake_ui.h"
#include "common/temp_home.h"
#include "logger/program_state.h"

#include <QDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace vx;

namespace
{

struct SettingsFixture : ::testing::Test {
    vxtest::TempHome home;
    Global g;
    vxtest::FakeUi ui;

    SettingsFixture()
    {
        g.program_dir = home.dir();
        g.ui = &ui;
    }
    void write_ini(const QByteArray& bytes) { home.write("vorlanix.ini", bytes); }
    QByteArray ini_bytes() const { return home.read("vorlanix.ini"); }
};

const QString mess9 =
    QString::fromUtf8("Nie je možné nájsť adresár LOG, kam budú ukladané súbory databázy\r\n"
                      "nastavte v Menu Služby->nastavenia");

} // namespace

TEST(IniInt, DecimalHexAndRejects)
{
    EXPECT_EQ(parse_ini_int("42"), 42);
    EXPECT_EQ(parse_ini_int(" -7 "), -7);
    EXPECT_EQ(parse_ini_int("0x10"), 16);
    EXPECT_EQ(parse_ini_int("0XfF"), 255);
    EXPECT_EQ(parse_ini_int("0xFFFFFFFF"), -1);
    EXPECT_EQ(parse_ini_int("yes"), std::nullopt);
    EXPECT_EQ(parse_ini_int("12abc"), std::nullopt);
    EXPECT_EQ(parse_ini_int(""), std::nullopt);
    EXPECT_EQ(parse_ini_int("0x"), std::nullopt);
    EXPECT_EQ(parse_ini_int("0x-1"), std::nullopt);
    EXPECT_EQ(parse_ini_int("99999999999"), std::nullopt);
}

TEST(IniParse, CaseInsensitiveFirstKeyWinsEmptySectionIsAbsent)
{
    const IniFile ini = IniFile::parse("stray=1\r\n"
                                       "[Alpha]\r\n"
                                       "; comment=9\r\n"
                                       "  Key = first value  \r\n"
                                       "KEY=second\r\n"
                                       "[empty]\r\n"
                                       "\r\n"
                                       "[ALPHA]\r\n"
                                       "other=x\n"
                                       "noequals\n");
    EXPECT_EQ(ini.value("alpha", "key"), QString("first value"));
    EXPECT_EQ(ini.value("ALPHA", "Other"), QString("x"));
    EXPECT_EQ(ini.value("Alpha", "comment"), std::nullopt);
    EXPECT_EQ(ini.value("", "stray"), std::nullopt);
    EXPECT_TRUE(ini.has_section("alpha"));
    EXPECT_FALSE(ini.has_section("Empty"));
    EXPECT_FALSE(ini.has_section("missing"));
    EXPECT_EQ(ini.keys("alpha"), QStringList({"Key", "other"}));
}

TEST_F(SettingsFixture, MissingFileGivesDefaultsAndCreatesNothing)
{
    load_settings(g);
    const Settings& s = g.settings;
    EXPECT_EQ(s.ComPort, 2);
    EXPECT_EQ(s.LANGUAGE, "SLOVAK");
    EXPECT_EQ(s.LOGDIR, home.dir() + "Log");
    // No stored geometry: the window keeps its designed bounds.
    EXPECT_EQ(s.TOP, 0);
    EXPECT_EQ(s.LEFT, 0);
    EXPECT_EQ(s.WIDTH, 0);
    EXPECT_EQ(s.HEIGHT, 0);
    EXPECT_TRUE(s.CHECKTIME);
    EXPECT_TRUE(s.SORTFILE);
    EXPECT_TRUE(s.SHOWTIP);
    EXPECT_EQ(s.print_cols, 2);
    EXPECT_EQ(s.print_rows, 50);
    EXPECT_EQ(s.partner.NAME, "NONAME");
    EXPECT_EQ(s.partner.WWW, "-----");
    for (int c : s.colors)
        EXPECT_EQ(c, 0);
    // The default log directory does not exist either: the user is told, and
    // nothing is created.
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].first, mess9);
    EXPECT_EQ(ui.messages[0].second, btn::ok);
    EXPECT_EQ(QDir(home.dir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

TEST_F(SettingsFixture, ValuesOfWrongTypeTakeTheirDefaults)
{
    QDir().mkpath(home.path("Log"));
    write_ini("[global]\r\n"
              "comport=0x10\r\n"
              "CHECKTIME=yes\r\n"
              "SORTFILE=0\r\n"
              "SHOWTIP=5\r\n"
              "TOP=abc\r\n"
              "LEFT=-20\r\n"
              "LOGDIR=X\r\n"
              "[GRAPH]\r\n"
              "COLOR1=255\r\n"
              "COLOR20=0xFF00\r\n"
              "LEFTPOINTS=2\r\n"
              "RIGHTPOINTS=1.5\r\n"
              "[PRINTER]\r\n"
              "ROWS=60\r\n"
              "COLS=\r\n"
              "HEAD=Hlavi\xE8ka\r\n"
              "[Partner]\r\n"
              "NAME=0123456789012345678901234567890123456789\r\n"
              "tel=+421 2 1234 5678\r\n"
              "[PORTS]\r\n"
              "COM3=/dev/ttyUSB0\r\n"
              "COMX=/dev/null\r\n");
    load_settings(g);
    const Settings& s = g.settings;
    EXPECT_EQ(s.ComPort, 16);
    EXPECT_TRUE(s.CHECKTIME);
    EXPECT_FALSE(s.SORTFILE);
    EXPECT_TRUE(s.SHOWTIP);
    EXPECT_EQ(s.TOP, 0);
    EXPECT_EQ(s.LEFT, -20);
    EXPECT_EQ(s.LOGDIR, home.dir() + "Log");
    EXPECT_TRUE(ui.messages.isEmpty()); // the default directory exists
    EXPECT_EQ(s.colors[0], 255);
    EXPECT_EQ(s.colors[19], 0xFF00);
    EXPECT_EQ(s.LEFTPOINTS, 2);
    EXPECT_EQ(s.RIGHTPOINTS, 0);
    EXPECT_EQ(s.print_rows, 60);
    EXPECT_EQ(s.print_cols, 2);
    EXPECT_EQ(s.print_head, QString::fromUtf8("Hlavička"));
    EXPECT_EQ(s.partner.NAME, "01234567890123456789012345678901");
    EXPECT_EQ(s.partner.TEL, "+421 2 1234 5678");
    EXPECT_EQ(s.partner.FAX, "-----");
    EXPECT_EQ(s.port_devices.size(), 1);
    EXPECT_EQ(s.port_devices.value(3), "/dev/ttyUSB0");
}

TEST_F(SettingsFixture, LongValuesAreCut)
{
    QDir().mkpath(home.path("Log"));
    write_ini("[PRINTER]\r\nHEAD=" + QByteArray(3000, 'h') +
              "\r\n[PARTNER]\r\nEMAIL=" + QByteArray(200, 'e') + "\r\nWWW=" + QByteArray(129, 'w') + "\r\n");
    load_settings(g);
    EXPECT_EQ(g.settings.print_head, QString(2047, 'h'));
    EXPECT_EQ(g.settings.partner.EMAIL, QString(128, 'e'));
    EXPECT_EQ(g.settings.partner.WWW, QString(128, 'w'));
}

TEST_F(SettingsFixture, MissingLogDirectoryFallsBackWithTheLanguageText)
{
    // The language table is built before the directory is checked, so the
    // message comes from the configured language.
    write_ini("[GLOBAL]\r\nLANGUAGE=English\r\nLOGDIR=" + QFile::encodeName(home.path("nowhere")) + "\r\n");
    home.write("vorlan.lng", "[ENGLISH]\r\nMESS9=No log folder\\nset it in the setup\r\n");
    load_settings(g);
    EXPECT_TRUE(g.lang.language_loaded);
    EXPECT_EQ(g.settings.LOGDIR, home.dir() + "Log");
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].first, "No log folder\r\nset it in the setup");
}

TEST_F(SettingsFixture, ExistingLogDirectoryIsKept)
{
    QDir().mkpath(home.path("data/records"));
    write_ini("[GLOBAL]\r\nLOGDIR=" + QFile::encodeName(home.path("data/records")) + "\r\n");
    load_settings(g);
    EXPECT_EQ(g.settings.LOGDIR, home.path("data/records"));
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(SettingsFixture, LoadResetsRunTimeStateAndCountsTips)
{
    QDir().mkpath(home.path("Log"));
    write_ini("[GLOBAL]\r\nSHOWTIP=0\r\n");
    home.write("vntip.tip", "[DAY000]\r\na\r\n[DAY001]\r\nb\r\n");
    g.poll.clock_countdown = 5;
    g.poll.diagnostic = true;
    g.tips.skip_first_page_tip = false;
    load_settings(g);
    EXPECT_EQ(g.poll.clock_countdown, 0);
    EXPECT_FALSE(g.poll.diagnostic);
    EXPECT_TRUE(g.tips.skip_first_page_tip);
    EXPECT_EQ(g.tips.day_count, 2);
    EXPECT_FALSE(g.tips.showtip);
}

TEST_F(SettingsFixture, OnDemandSwitchesAndTheirDefaults)
{
    EXPECT_TRUE(read_autograph(g.program_dir));
    EXPECT_FALSE(read_panmaximize(g.program_dir));
    EXPECT_FALSE(read_makestat(g.program_dir));
    EXPECT_TRUE(read_makepreview(g.program_dir));
    ASSERT_TRUE(write_setting_bool(g.program_dir, key::GLOBAL, key::AUTOGRAPH, false));
    ASSERT_TRUE(write_setting_bool(g.program_dir, key::GLOBAL, key::MAKESTAT, true));
    ASSERT_TRUE(write_setting_int(g.program_dir, key::GLOBAL, key::ComPort, 7));
    ASSERT_TRUE(write_setting_string(g.program_dir, key::PRINTER, key::HEAD, QString::fromUtf8("Záhlavie")));
    EXPECT_EQ(ini_bytes(), QByteArray("[GLOBAL]\r\nAUTOGRAPH=0\r\nMAKESTAT=1\r\nComPort=7\r\n"
                                      "[PRINTER]\r\nHEAD=Z\xE1hlavie\r\n"));
    EXPECT_FALSE(read_autograph(g.program_dir));
    EXPECT_TRUE(read_makestat(g.program_dir));
    EXPECT_EQ(read_setting_int(g.program_dir, "global", "COMPORT", 2), 7);
    EXPECT_EQ(read_setting_string(g.program_dir, "printer", "head", QString()),
              QString::fromUtf8("Záhlavie"));
}

TEST_F(SettingsFixture, WriteKeepsEveryOtherLineByteForByte)
{
    const QByteArray before = "; settings of the program\r\n"
                              "\r\n"
                              "[Global]\r\n"
                              "comport = 2\r\n"
                              "Unknown=keep me\r\n"
                              "\r\n"
                              "[Vendor]\r\n"
                              "x=1\r\n"
                              "# a note\r\n"
                              "\r\n"
                              "[GRAPH]\r\n"
                              "COLOR1=10\r\n";
    write_ini(before);
    ASSERT_TRUE(write_setting_int(g.program_dir, key::GLOBAL, key::ComPort, 5));
    ASSERT_TRUE(write_setting_bool(g.program_dir, key::GLOBAL, key::CHECKTIME, false));
    ASSERT_TRUE(write_setting_int(g.program_dir, key::GRAPH, "color1", 99));
    ASSERT_TRUE(write_setting_string(g.program_dir, key::RECENTBASES, "REC0", "a.txt"));
    EXPECT_EQ(ini_bytes(), QByteArray("; settings of the program\r\n"
                                      "\r\n"
                                      "[Global]\r\n"
                                      "comport = 5\r\n"
                                      "Unknown=keep me\r\n"
                                      "CHECKTIME=0\r\n"
                                      "\r\n"
                                      "[Vendor]\r\n"
                                      "x=1\r\n"
                                      "# a note\r\n"
                                      "\r\n"
                                      "[GRAPH]\r\n"
                                      "COLOR1=99\r\n"
                                      "[RECENTBASES]\r\n"
                                      "REC0=a.txt\r\n"));
}

TEST_F(SettingsFixture, WriteThroughALinkKeepsTheLink)
{
    home.write("real/settings.ini", "[GLOBAL]\r\nTOP=1\r\n");
    ASSERT_TRUE(QFile::link(home.path("real/settings.ini"), home.path("vorlanix.ini")));
    ASSERT_TRUE(write_setting_int(g.program_dir, key::GLOBAL, key::TOP, 2));
    EXPECT_TRUE(QFileInfo(home.path("vorlanix.ini")).isSymLink());
    EXPECT_EQ(home.read("real/settings.ini"), QByteArray("[GLOBAL]\r\nTOP=2\r\n"));
}

TEST(IniEdit, LineFeedFilesAndFilesWithoutFinalLineBreak)
{
    EXPECT_EQ(edit_ini_bytes("[A]\nk=1\n[B]\nj=2", "b", {{"j", "3"}, {"n", "4"}}),
              QByteArray("[A]\nk=1\n[B]\nj=3\nn=4\n"));
    EXPECT_EQ(edit_ini_bytes("[A]\nk=1", "C", {{"z", "0"}}), QByteArray("[A]\nk=1\n[C]\nz=0\n"));
    EXPECT_EQ(edit_ini_bytes("", "GLOBAL", {{"TOP", "1"}}), QByteArray("[GLOBAL]\r\nTOP=1\r\n"));
    // A line break inside a value would start a new line of the file.
    EXPECT_EQ(edit_ini_bytes("[A]\r\n", "A", {{"k", "x\r\ny"}}), QByteArray("[A]\r\nk=x  y\r\n"));
    // Only the first section of a name and the first key of a name change.
    EXPECT_EQ(edit_ini_bytes("[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n", "A", {{"K", "9"}}),
              QByteArray("[A]\r\nk=9\r\nk=2\r\n[a]\r\nk=3\r\n"));
}

TEST_F(SettingsFixture, FailedWriteReportsThePathAndKeepsTheFile)
{
    const QString missing = home.path("no/such/dir/vorlanix.ini");
    QString error;
    EXPECT_FALSE(write_ini_value(missing, "GLOBAL", "TOP", "1", &error));
    EXPECT_EQ(error, "Unable to write to " + missing);
    EXPECT_FALSE(QFile::exists(missing));

    home.write("plainfile", "x");
    const QString under_file = home.path("plainfile/vorlanix.ini");
    error.clear();
    EXPECT_FALSE(write_ini_value(under_file, "GLOBAL", "TOP", "1", &error));
    EXPECT_EQ(error, "Unable to write to " + under_file);

    // A directory where the file should be is not replaced.
    QDir().mkpath(home.path("vorlanix.ini"));
    EXPECT_FALSE(write_setting_int(g.program_dir, key::GLOBAL, key::TOP, 1, &error));
    EXPECT_EQ(error, "Unable to write to " + home.path("vorlanix.ini"));
    EXPECT_TRUE(QFileInfo(home.path("vorlanix.ini")).isDir());
}

TEST_F(SettingsFixture, WriteThatBreaksOffLeavesTheOldFileWhole)
{
    // A file-size limit makes the write of the new contents fail half way,
    // as a full disk would.
    const QByteArray before = "[GLOBAL]\r\nTOP=10\r\n";
    write_ini(before);
    struct rlimit old {
    };
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 8;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool ok = write_setting_string(g.program_dir, key::GLOBAL, key::LOGDIR, QString(100, 'd'), &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, "Unable to write to " + home.path("vorlanix.ini"));
    EXPECT_EQ(ini_bytes(), before);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(home.dir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList({"vorlanix.ini"}));
}

TEST_F(SettingsFixture, ReadOnlyDirectoryRefusesTheWrite)
{
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    const QByteArray before = "[GLOBAL]\r\nTOP=10\r\n";
    write_ini(before);
    QFile::setPermissions(home.dir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QString error;
    const bool ok = write_setting_int(g.program_dir, key::GLOBAL, key::TOP, 20, &error);
    QFile::setPermissions(home.dir(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, "Unable to write to " + home.path("vorlanix.ini"));
    EXPECT_EQ(ini_bytes(), before);
}

TEST_F(SettingsFixture, RecentBasesStopAtTheFirstGap)
{
    write_ini("[RECENTBASES]\r\nREC0=first.txt\r\nREC1=second.txt\r\nREC3=fourth.txt\r\n");
    EXPECT_EQ(read_recent_bases(g.program_dir), QStringList({"first.txt", "second.txt"}));
    write_ini("[RECENTBASES]\r\nREC0=first.txt\r\nREC1=\r\nREC2=third.txt\r\n");
    EXPECT_EQ(read_recent_bases(g.program_dir), QStringList({"first.txt"}));
}

TEST_F(SettingsFixture, RecentBasesWriteTheWholeList)
{
    write_ini("[RECENTBASES]\r\nREC0=b.txt\r\nREC1=c.txt\r\nREC2=d.txt\r\n");
    ASSERT_TRUE(write_recent_bases(g.program_dir, {"a.txt", "b.txt", "c.txt", "d.txt"}));
    EXPECT_EQ(ini_bytes(),
              QByteArray("[RECENTBASES]\r\nREC0=a.txt\r\nREC1=b.txt\r\nREC2=c.txt\r\nREC3=d.txt\r\n"));
    // A shorter list must not pick up the old tail on the next read.
    ASSERT_TRUE(write_recent_bases(g.program_dir, {"x.txt"}));
    EXPECT_EQ(read_recent_bases(g.program_dir), QStringList({"x.txt"}));
}

TEST(Geometry, StoredBoundsApplyOnlyWithinTheRules)
{
    const QSize screen(1920, 1080);
    const QRect designed(50, 60, 300, 350);
    Settings s;
    s.TOP = 0;
    s.LEFT = 1920;
    s.WIDTH = 200;
    s.HEIGHT = 201;
    EXPECT_EQ(apply_geometry_rules(s, screen, designed), QRect(50, 60, 300, 201));
    s.TOP = 1080;
    s.LEFT = 1;
    s.WIDTH = 201;
    s.HEIGHT = 100;
    EXPECT_EQ(apply_geometry_rules(s, screen, designed), QRect(1, 60, 201, 350));
    s.TOP = 1079;
    s.LEFT = -5;
    EXPECT_EQ(apply_geometry_rules(s, screen, designed), QRect(50, 1079, 201, 350));
}

TEST_F(SettingsFixture, GeometryIsSavedOnlyForALargeEnoughWindow)
{
    const QByteArray before = "[GLOBAL]\r\nTOP=1\r\n";
    write_ini(before);
    EXPECT_TRUE(save_window_geometry(g.program_dir, QRect(5, 6, 150, 400)));
    EXPECT_TRUE(save_window_geometry(g.program_dir, QRect(5, 6, 400, 200)));
    EXPECT_EQ(ini_bytes(), before);
    EXPECT_TRUE(save_window_geometry(g.program_dir, QRect(5, 6, 201, 201)));
    EXPECT_EQ(ini_bytes(), QByteArray("[GLOBAL]\r\nTOP=6\r\nWIDTH=201\r\nHEIGHT=201\r\nLEFT=5\r\n"));
}

TEST(IniEdit, BlanksBeforeAValueDoNotGrowWhenItIsWrittenBack)
{
    // Reading drops the blanks before a value; writing it back, with or without them, keeps the line.
    for (const QString& value : {"  Firma", "Firma"}) {
        QByteArray text = "[P]\r\nHEAD=  Firma\r\n";
        for (int write = 0; write < 3; ++write)
            text = edit_ini_bytes(text, "P", {{"HEAD", value}}).value_or("(failed)");
        EXPECT_EQ(text, "[P]\r\nHEAD=  Firma\r\n");
    }
    EXPECT_EQ(edit_ini_bytes("[P]\r\nHEAD=x\r\n", "P", {{"HEAD", " y"}}), "[P]\r\nHEAD= y\r\n");
}
