// The settings file "vorlanix.ini": reading with its rules, in-place writes
// that keep every other byte, atomic replacement, recent files and geometry.
#include "base/ini_file.h"
#include "base/settings.h"
#include "base/settings_store.h"
#include "common/test_state.h"

#include <QDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace vx;

namespace
{

struct SettingsFixture : ::testing::Test, vxtest::TestState {
    void write_ini(const QByteArray& bytes) { home.write("vorlanix.ini", bytes); }
    QByteArray ini_bytes() const { return home.read("vorlanix.ini"); }
};

} // namespace

TEST(IniInt, DecimalHexAndRejects)
{
    // text | value ("" for rejected)
    for (const char* c : {"42|42", " -7 |-7", "0x10|16", "0XfF|255", "0xFFFFFFFF|-1", "yes|", "12abc|", "|",
                          "0x|", "0x-1|", "99999999999|"}) {
        const auto v = parse_ini_int(QString(c).section('|', 0, 0));
        EXPECT_EQ(v ? QString::number(*v) : QString(), QString(c).section('|', 1)) << c;
    }
}

TEST(IniParse, CaseInsensitiveFirstKeyWinsEmptySectionIsAbsent)
{
    const IniFile ini = IniFile::parse("stray=1\r\n[Alpha]\r\n; comment=9\r\n  Key = first value  \r\n"
                                       "KEY=second\r\n[empty]\r\n\r\n[ALPHA]\r\nother=x\nnoequals\n");
    EXPECT_EQ(ini.value("alpha", "key"), QString("first value"));
    EXPECT_EQ(ini.value("ALPHA", "Other"), QString("x"));
    EXPECT_EQ(ini.value("Alpha", "comment"), std::nullopt);
    EXPECT_EQ(ini.value("", "stray"), std::nullopt);
    EXPECT_TRUE(ini.has_section("alpha"));
    EXPECT_FALSE(ini.has_section("Empty"));
    EXPECT_EQ(ini.keys("alpha"), QStringList({"Key", "other"}));
}

TEST_F(SettingsFixture, LogDirectoryAndAFileThatCannotBeReadAreReportedWithPathsAndNothingIsCreated)
{
    const QString no_log =
        QString::fromUtf8("Nie je možné nájsť adresár LOG, kam budú ukladané súbory databázy\r\n"
                          "nastavte v Menu Služby->nastavenia\r\n");
    const QString unreadable =
        QString::fromUtf8("Súbor nastavení %1 nie je možné prečítať: it is not a regular "
                          "file\r\nPort zapisovača sa neotvorí, kým súbor nebude čitateľný.")
            .arg(home.path("vorlanix.ini"));
    QDir().mkpath(home.path("data/records"));
    home.write("vorlan.lng", "[ENGLISH]\r\nMESS9=No log folder\\nset it in the setup\r\n");
    const struct {
        const char* name;
        QByteArray ini; // "dir": a folder in the file's place
        QString logdir;
        QStringList messages;
    } cases[] = {
        {"no file", {}, home.path("Log"), {no_log + home.path("Log")}},
        {"a directory that is there",
         "[GLOBAL]\r\nLOGDIR=" + QFile::encodeName(home.path("data/records")),
         home.path("data/records"),
         {}},
        // The language table is built before the directory is checked.
        {"none, said in the file's language",
         "[GLOBAL]\r\nLANGUAGE=English\r\nLOGDIR=" + QFile::encodeName(home.path("nowhere")),
         home.path("Log"),
         {"No log folder\r\nset it in the setup\r\n" + home.path("nowhere")}},
        {"a folder in the file's place", "dir", home.path("Log"), {no_log + home.path("Log"), unreadable}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(home.path("vorlanix.ini")); // a folder in its place comes last
        if (c.ini == "dir")
            QDir().mkpath(home.path("vorlanix.ini"));
        else if (!c.ini.isEmpty())
            write_ini(c.ini);
        ui = vxtest::FakeUi{};
        EXPECT_EQ(load_settings(g), c.ini == "dir" ? unreadable : QString());
        EXPECT_EQ(g.settings.LOGDIR, c.logdir);
        EXPECT_EQ(ui.args("show_message"), c.messages);
        EXPECT_FALSE(QFileInfo::exists(home.path("Log")));
    }
}

TEST_F(SettingsFixture, ValuesOfWrongTypeTakeTheirDefaultsAndLongValuesAreCut)
{
    QDir().mkpath(home.path("Log"));
    write_ini("[global]\r\ncomport=0x10\r\nCHECKTIME=yes\r\nSORTFILE=0\r\nSHOWTIP=5\r\nTOP=abc\r\nLEFT=-"
              "20\r\nLOGDIR=X\r\n"
              "[GRAPH]\r\nCOLOR20=0xFF00\r\nRIGHTPOINTS=1.5\r\n"
              "[PRINTER]\r\nROWS=60\r\nCOLS=\r\nHEAD=Hlavi\xE8ka\r\n"
              "[Partner]\r\nNAME=0123456789012345678901234567890123456789\r\nEMAIL=" +
              QByteArray(200, 'e') + "\r\n[PORTS]\r\nCOM3=/dev/ttyUSB0\r\nCOMX=/dev/null\r\n");
    load_settings(g);
    const Settings& s = g.settings;
    EXPECT_EQ(s.ComPort, 16);
    EXPECT_TRUE(s.CHECKTIME);
    EXPECT_FALSE(s.SORTFILE);
    EXPECT_TRUE(s.SHOWTIP);
    EXPECT_EQ(s.TOP, std::nullopt);
    EXPECT_EQ(s.LEFT, -20);
    EXPECT_EQ(s.LOGDIR, home.dir() + "Log");
    EXPECT_TRUE(ui.messages.isEmpty()); // the default directory exists
    EXPECT_EQ(s.colors[19], 0xFF00);
    EXPECT_EQ(s.RIGHTPOINTS, 0);
    EXPECT_EQ(s.print_rows, 60);
    EXPECT_EQ(s.print_cols, 2);
    EXPECT_EQ(s.print_head, QString::fromUtf8("Hlavička"));
    EXPECT_EQ(s.partner.NAME, "01234567890123456789012345678901");
    EXPECT_EQ(s.partner.EMAIL, QString(128, 'e'));
    EXPECT_EQ(s.port_devices, (QMap<int, QString>{{3, "/dev/ttyUSB0"}}));
}

TEST_F(SettingsFixture, ComPortOutsideItsRangeIsRefusedWithAMessage)
{
    QDir().mkpath(home.path("Log"));
    const std::pair<const char*, int> cases[] = {{"1", 1},          {"256", 256},     {"0x100", 256},
                                                 {"0", 2},          {"257", 2},       {"-3", 2},
                                                 {"0x80000000", 2}, {"2147483647", 2}};
    for (const auto& [text, port] : cases) {
        SCOPED_TRACE(text);
        write_ini(QByteArray("[GLOBAL]\r\nComPort=") + text + "\r\n");
        ui = vxtest::FakeUi{};
        load_settings(g);
        EXPECT_EQ(g.settings.ComPort, port);
        EXPECT_EQ(ui.args("show_message"),
                  port == 2
                      ? QStringList{QString("ComPort=%1 in %2 is no COM port number from 1 to 256; COM2 is "
                                            "used")
                                        .arg(text, home.path("vorlanix.ini"))}
                      : QStringList{});
    }
}

TEST_F(SettingsFixture, WriteKeepsEveryOtherLineByteForByte)
{
    write_ini("; settings of the program\r\n\r\n[Global]\r\ncomport = 2\r\nUnknown=keep me\r\n\r\n"
              "[Vendor]\r\nx=1\r\n# a note\r\n\r\n[GRAPH]\r\nCOLOR1=10\r\n");
    ASSERT_TRUE(write_setting_int(g.program_dir, key::GLOBAL, key::ComPort, 5));
    ASSERT_TRUE(write_setting_bool(g.program_dir, key::GLOBAL, key::AUTOGRAPH, false));
    ASSERT_TRUE(write_setting_int(g.program_dir, key::GRAPH, "color1", 99));
    ASSERT_TRUE(write_setting_string(g.program_dir, key::RECENTBASES, "REC0", QString::fromUtf8("Záhlavie")));
    EXPECT_EQ(ini_bytes(), QByteArray("; settings of the program\r\n\r\n[Global]\r\ncomport = 5\r\n"
                                      "Unknown=keep me\r\nAUTOGRAPH=0\r\n\r\n[Vendor]\r\nx=1\r\n# a note\r\n"
                                      "\r\n[GRAPH]\r\nCOLOR1=99\r\n[RECENTBASES]\r\nREC0=Z\xE1hlavie\r\n"));
    // The dialogs read back what was written, names in any case.
    EXPECT_EQ(read_setting_int(g.program_dir, "global", "COMPORT", 2), 5);
    EXPECT_FALSE(read_autograph(g.program_dir));
    EXPECT_EQ(read_setting_string(g.program_dir, "recentbases", "rec0", {}), QString::fromUtf8("Záhlavie"));

    // Through a symbolic link the link stays and its target changes.
    home.write("real/settings.ini", "[GLOBAL]\r\nTOP=1\r\n");
    QFile::remove(home.path("vorlanix.ini"));
    ASSERT_TRUE(QFile::link(home.path("real/settings.ini"), home.path("vorlanix.ini")));
    ASSERT_TRUE(write_setting_int(g.program_dir, key::GLOBAL, key::TOP, 2));
    EXPECT_TRUE(QFileInfo(home.path("vorlanix.ini")).isSymLink());
    EXPECT_EQ(home.read("real/settings.ini"), QByteArray("[GLOBAL]\r\nTOP=2\r\n"));
}

TEST(IniEdit, LineFeedFilesFilesWithoutFinalLineBreakAndLeadingBlanks)
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
    // Reading drops the blanks before a value; writing it back, with or without them, keeps the line.
    // A leading line break is a blank of the value's own.
    for (const auto& [value, line] : {std::pair{"  Firma", "HEAD=  Firma"},
                                      {"Firma", "HEAD=  Firma"},
                                      {"\nFirma", "HEAD= Firma"},
                                      {"\r\n Firma", "HEAD=   Firma"}}) {
        QByteArray text = "[P]\r\nHEAD=  Firma\r\n";
        for (int write = 0; write < 3; ++write)
            text = edit_ini_bytes(text, "P", {{"HEAD", value}}).value_or("(failed)");
        EXPECT_EQ(text, QByteArray("[P]\r\n") + line + "\r\n") << value;
    }
    EXPECT_EQ(edit_ini_bytes("[P]\r\nHEAD=x\r\n", "P", {{"HEAD", " y"}}), "[P]\r\nHEAD= y\r\n");
}

TEST_F(SettingsFixture, FailedWriteReportsThePathAndKeepsTheFileWhole)
{
    QString error;
    home.write("plainfile", "x");
    for (const QString& path : {home.path("no/such/dir/vorlanix.ini"), home.path("plainfile/vorlanix.ini")}) {
        EXPECT_FALSE(write_ini_value(path, "GLOBAL", "TOP", "1", &error));
        EXPECT_EQ(error, "Unable to write to " + path);
    }
    EXPECT_FALSE(QFile::exists(home.path("no/such/dir/vorlanix.ini")));
    // A file-size limit makes the write of the new contents fail half way, as a full disk would.
    const QByteArray before = "[GLOBAL]\r\nTOP=10\r\n";
    write_ini(before);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 8;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = write_setting_string(g.program_dir, key::GLOBAL, key::LOGDIR, QString(100, 'd'), &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, "Unable to write to " + home.path("vorlanix.ini"));
    EXPECT_EQ(ini_bytes(), before);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(home.dir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList({"plainfile", "vorlanix.ini"}));
    // A directory where the file should be is not replaced.
    QFile::remove(home.path("vorlanix.ini"));
    QDir().mkpath(home.path("vorlanix.ini"));
    EXPECT_FALSE(write_setting_int(g.program_dir, key::GLOBAL, key::TOP, 1, &error));
    EXPECT_EQ(error, "Unable to write to " + home.path("vorlanix.ini"));
    EXPECT_TRUE(QFileInfo(home.path("vorlanix.ini")).isDir());
}

TEST_F(SettingsFixture, RecentBasesStopAtTheFirstGapAndShorterListsLeaveNoTail)
{
    write_ini("[RECENTBASES]\r\nREC0=first.txt\r\nREC1=\r\nREC2=third.txt\r\n");
    EXPECT_EQ(read_recent_bases(g.program_dir), QStringList({"first.txt"}));
    write_ini("[RECENTBASES]\r\nREC0=b.txt\r\nREC1=c.txt\r\nREC2=d.txt\r\n");
    ASSERT_TRUE(write_recent_bases(g.program_dir, {"a.txt", "b.txt", "c.txt", "d.txt"}));
    EXPECT_EQ(ini_bytes(),
              QByteArray("[RECENTBASES]\r\nREC0=a.txt\r\nREC1=b.txt\r\nREC2=c.txt\r\nREC3=d.txt\r\n"));
    ASSERT_TRUE(write_recent_bases(g.program_dir, {"x.txt"}));
    EXPECT_EQ(read_recent_bases(g.program_dir), QStringList({"x.txt"}));
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

TEST(WindowGeometry, StoredBoundsAreTakenThenFittedIntoTheScreen)
{
    struct Case {
        const char* what;
        std::optional<int> left, top, width, height;
        QRect area;
        QMargins frame;
        QRect expected;
    };
    const QRect designed(100, 150, 600, 400), screen(0, 0, 1280, 1000);
    const Case cases[] = {
        {"nothing stored", {}, {}, {}, {}, screen, {}, designed},
        {"0 is a position", 0, 0, 640, 480, screen, {}, QRect(0, 0, 640, 480)},
        {"200 is no size", 10, 20, 200, 201, screen, {}, QRect(10, 20, 600, 201)},
        // Moved to the top edge, then reopened: cut to the screen, frame and status bar inside it.
        {"too large", 10, 187, 1580, 940, screen, QMargins(4, 30, 4, 4), QRect(0, 26, 1272, 940)},
        {"off the screen, taller", -300, 5000, 700, 1500, screen, QMargins(2, 20, 2, 2),
         QRect(0, 0, 700, 978)},
        // A panel at the top of a second screen on the right.
        {"second screen", 1300, 0, 2000, 300, QRect(1280, 40, 1920, 1040), {}, QRect(1280, 40, 1920, 300)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Settings s;
        s.LEFT = c.left;
        s.TOP = c.top;
        s.WIDTH = c.width;
        s.HEIGHT = c.height;
        const QRect r = fit_window_geometry(s, c.area, designed, c.frame);
        EXPECT_EQ(r, c.expected);
        EXPECT_TRUE(
            c.area.contains(QRect(r.topLeft(), r.size().grownBy(c.frame)))); // the frame's place and size
    }
}

TEST_F(SettingsFixture, StoreChangeCutShortByAFileSizeLimitLeavesTheStoreWhole)
{
    // A store larger than the limit: QSettings alone would rename a copy cut at the limit over it.
    const QString store = home.path("cfg/Store.conf");
    const auto forty_missions = [](QSettings& s) {
        for (int i = 0; i < 40; ++i)
            s.setValue(QString("F%1/mission").arg(i), "SKLAD");
    };
    ASSERT_EQ(change_settings_store(store, forty_missions), "");
    const QByteArray before = home.read("cfg/Store.conf");
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = before.size() / 2;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString error = change_settings_store(store, [](QSettings& s) { s.setValue("F1/clock", "x"); });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_TRUE(error.startsWith(store + ": ")) << error.toStdString();
    EXPECT_EQ(home.read("cfg/Store.conf"), before);
    EXPECT_EQ(QDir(home.path("cfg")).entryList(QDir::Files | QDir::Hidden), QStringList{"Store.conf"});
    // Without the limit the change lands and every other entry stays.
    const auto clock = [](QSettings& s) { s.setValue("F1/clock", QStringList{"a", "b"}); };
    EXPECT_EQ(change_settings_store(store, clock), "");
    const QSettings after(store, QSettings::IniFormat);
    EXPECT_EQ(after.allKeys().size(), 41);
    EXPECT_EQ(after.value("F1/clock").toStringList(), (QStringList{"a", "b"}));
    // The last entry removed leaves an empty store, not the old one.
    EXPECT_EQ(change_settings_store(store, [](QSettings& s) { s.remove(""); }), "");
    EXPECT_EQ(home.read("cfg/Store.conf"), "");
}
