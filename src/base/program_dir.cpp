#include "base/program_dir.h"

#include "base/language.h"
#include "base/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace vx
{
namespace
{

QString with_slash(QString dir)
{
    if (!dir.endsWith('/')) dir += '/';
    return dir;
}

} // namespace

QString user_program_dir()
{
    // Only absolute paths count: a relative one would put the user's files
    // wherever the program happens to be started.
    const QString data_home = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(data_home))
        return with_slash(QDir::cleanPath(data_home + QStringLiteral("/vorlanix")));
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home))
        return with_slash(QDir::cleanPath(home + QStringLiteral("/.local/share/vorlanix")));
    return {};
}

bool make_program_dir(const QString& dir, QString* error)
{
    const QString log = dir + QStringLiteral("Log");
    if (!QDir().mkpath(log)) {
        if (error) *error = QStringLiteral("Unable to create %1").arg(log);
        return false;
    }
    if (QFileInfo::exists(dir + key::settings_file)) return true;
    return write_setting_string(dir, key::GLOBAL, key::LOGDIR, log, error);
}

QString find_program_dir(QString* error)
{
    const QString home = qEnvironmentVariable("VORLANIX_HOME");
    if (!home.isEmpty()) return with_slash(home);
    const QString exe_dir = QCoreApplication::applicationDirPath();
    if (::geteuid() != 0 && ::access(QFile::encodeName(exe_dir).constData(), W_OK) == 0)
        return with_slash(exe_dir);
    const QString dir = user_program_dir();
    QString why = builtin_text(QStringLiteral("MESS202"));
    if (!dir.isEmpty() && make_program_dir(dir, &why)) return dir;
    if (error) *error = why;
    return {};
}

QString find_data_dir(const QString& exe_dir)
{
    const QString bin = exe_dir.isEmpty() ? QCoreApplication::applicationDirPath() : exe_dir;
    return with_slash(QDir::cleanPath(bin + QStringLiteral("/../share/vorlanix")));
}

QString find_shipped_file(const QString& name, const QString& program_dir, const QString& data_dir)
{
    if (QFileInfo(program_dir + name).isFile()) return program_dir + name;
    if (!data_dir.isEmpty() && QFileInfo(data_dir + name).isFile()) return data_dir + name;
    return {};
}

namespace
{

// name in each directory, after its copy in html/<language>/ for a language other than the built-in one.
QStringList places_of(const QString& name, const QString& html_name, const QString& program_dir,
                      const QString& data_dir, const QString& language)
{
    QStringList names;
    if (!language.isEmpty() && language.compare(QLatin1String("SLOVAK"), Qt::CaseInsensitive) != 0)
        names << QStringLiteral("html/%1/").arg(language.toLower()) + html_name;
    names << name;
    QStringList places;
    for (const QString& dir : {program_dir, data_dir})
        if (!dir.isEmpty())
            for (const QString& n : names)
                places << dir + n;
    return places;
}

} // namespace

QString find_report_template(const QString& program_dir, const QString& data_dir, const QString& language)
{
    const QString muster = QStringLiteral("muster.htm");
    for (const QString& place : places_of(muster, muster, program_dir, data_dir, language))
        if (QFileInfo(place).isFile()) return place;
    return {};
}

QStringList help_page_places(const QString& program_dir, const QString& data_dir, const QString& language)
{
    return places_of(QStringLiteral("html/index.html"), QStringLiteral("index.html"), program_dir, data_dir,
                     language);
}

} // namespace vx
