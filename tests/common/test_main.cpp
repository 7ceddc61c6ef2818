// Test entry point: one QApplication (offscreen unless told otherwise), a
// pinned locale and time zone, and a per-user store redirected into a
// temporary folder so no test touches the user's files.
#include <QApplication>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TZ", "Europe/Bratislava", 1);
    tzset();
    QTemporaryDir user_dir;
    setenv("XDG_CONFIG_HOME", user_dir.path().toLocal8Bit().constData(), 1);
    setenv("HOME", user_dir.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Slovak, QLocale::Slovakia));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, user_dir.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
