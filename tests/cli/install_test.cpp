// The program installed under a prefix its user cannot write to (as the
// Debian package puts it under /usr), run by a user with an empty home: the
// command line makes the per-user program directory, and from there the
// program finds the language file, tips, report template and help that the
// installation ships, in Slovak and in English, unless the user has a copy
// of a file of their own.
#include "base/settings.h"
#include "common/qt_print.h"
#include "logger/program_state.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

int run(const QString& program, const QStringList& args, const QProcessEnvironment& env,
        const QString& dir = {}, QString* err = nullptr)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.start(program, args);
    p.waitForFinished(120000);
    if (err) *err = QString::fromUtf8(p.readAllStandardError()).trimmed();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST(Installed, FindsItsShippedFilesFromAnUnwritablePrefixAndMakesTheUserProgramDirectory)
{
    QTemporaryDir dest, home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DESTDIR", dest.path());
    ASSERT_EQ(run("cmake", {"--install", VORLANIX_BUILD_DIR, "--prefix", "/usr"}, env), 0);
    const QString prefix = dest.path() + "/usr";
    ASSERT_EQ(run("chmod", {"-R", "a-w", prefix}, env), 0);

    env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"VORLANIX_HOME", "HOME", "DESTDIR"})
        env.remove(name);
    // Only absolute paths name the program directory: nothing is made under the current folder, and
    // without a HOME the program says what is missing. The port never opens (status 1).
    const QString no_dir =
        QString::fromUtf8("vorlanix-cli: Adresár programu nie je možné určiť: premenné HOME ani "
                          "XDG_DATA_HOME neudávajú absolútnu cestu. Nastavte HOME, "
                          "XDG_DATA_HOME alebo VORLANIX_HOME.");
    QTemporaryDir cwd, xdg;
    for (const auto& [xdg_data_home, home_dir, made] :
         {std::tuple{QString("data"), QString(), QString()},
          {"data", "home", ""},
          {xdg.path(), "", xdg.path() + "/vorlanix"},
          {"data", home.path(), home.path() + "/.local/share/vorlanix"}}) {
        SCOPED_TRACE((xdg_data_home + " " + home_dir).toStdString());
        env.insert("XDG_DATA_HOME", xdg_data_home);
        home_dir.isNull() ? env.remove("HOME") : env.insert("HOME", home_dir);
        QString err;
        EXPECT_EQ(run(prefix + "/bin/vorlanix-cli", {"status", "--port", "/nonexistent/tty"}, env, cwd.path(),
                      &err),
                  1);
        EXPECT_EQ(err.split('\n').last() == no_dir, made.isEmpty()) << err.toStdString();
        EXPECT_TRUE(made.isEmpty() || QFileInfo(made + "/Log").isDir());
        EXPECT_EQ(QDir(cwd.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }
    const QString user_dir = home.path() + "/.local/share/vorlanix/";
    EXPECT_TRUE(QFileInfo(user_dir + "Log").isDir());
    EXPECT_EQ(vx::read_settings(user_dir, nullptr).LOGDIR, user_dir + "Log");

    const QString data_dir = vx::find_data_dir(prefix + "/bin");
    EXPECT_EQ(data_dir, prefix + "/share/vorlanix/");
    // Per language: the section's CAPT1 and the help's start page.
    for (const auto& [language, save_caption, help] : {std::tuple{"SLOVAK", "Uložiť", "html/index.html"},
                                                       {"ENGLISH", "Save", "html/english/index.html"}}) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(vx::write_setting_string(user_dir, vx::key::GLOBAL, vx::key::LANGUAGE, language));
        vx::Global g;
        g.program_dir = user_dir;
        g.data_dir = data_dir;
        vx::load_settings(g);
        EXPECT_TRUE(g.lang.language_loaded);
        EXPECT_EQ(g.lang.capt(1), QString::fromUtf8(save_caption));
        EXPECT_GT(g.tips.day_count, 0);
        EXPECT_EQ(g.shipped("muster.htm"), data_dir + "muster.htm");
        EXPECT_EQ(vx::find_help_page(g).path, data_dir + help);
    }
    // Without the help, the message names every place looked in.
    vx::Global none;
    none.program_dir = user_dir;
    none.data_dir = dest.path() + "/nowhere/";
    const vx::HelpPage missing = vx::find_help_page(none);
    EXPECT_TRUE(missing.path.isEmpty());
    EXPECT_TRUE(missing.problem.contains(user_dir + "html/index.html")) << missing.problem.toStdString();
    EXPECT_TRUE(missing.problem.contains(none.data_dir + "html/index.html")) << missing.problem.toStdString();

    // A user's own copy wins.
    ASSERT_TRUE(QFile(user_dir + "muster.htm").open(QIODevice::WriteOnly));
    EXPECT_EQ(vx::find_shipped_file("muster.htm", user_dir, data_dir), user_dir + "muster.htm");

    run("chmod", {"-R", "u+w", dest.path()}, env);
}

TEST(Installed, CollectUnitsPassSystemdAnalyzeVerify)
{
    // Installed under a prefix of its own, the service names the program there.
    QTemporaryDir prefix, runtime;
    const QProcessEnvironment plain = QProcessEnvironment::systemEnvironment();
    ASSERT_EQ(run("cmake", {"--install", VORLANIX_BUILD_DIR, "--prefix", prefix.path()}, plain), 0);
    const QString units = prefix.path() + "/lib/systemd/user/vorlanix-collect.";
    QFile service(units + "service");
    ASSERT_TRUE(service.open(QIODevice::ReadOnly));
    EXPECT_TRUE(service.readAll().contains("\nType=oneshot\nExecStart=" + QFile::encodeName(prefix.path()) +
                                           "/bin/vorlanix-cli collect --yes "))
        << service.fileName().toStdString();

    // A user manager needs a runtime folder; the manual page is the one installed.
    QProcessEnvironment env = plain;
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("MANPATH", prefix.path() + "/share/man");
    QString err;
    const int status =
        run("systemd-analyze", {"verify", "--user", units + "service", units + "timer"}, env, {}, &err);
    if (status == -1 || err.contains("Failed to initialize manager"))
        GTEST_SKIP()
            << "systemd-analyze cannot run here (Debian package systemd; scripts/setup installs it): "
            << err.toStdString();
    EXPECT_EQ(status, 0) << err.toStdString();
    EXPECT_EQ(err, "");
}

} // namespace
