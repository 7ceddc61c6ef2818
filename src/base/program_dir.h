#pragma once
// Where the program's files live.
//
// The program directory holds what belongs to the user: the settings, the
// calibration definitions, the key list, the default log directory "Log",
// the report's page and pictures. It is $VORLANIX_HOME when that is set;
// else the executable's directory when the user may write there (a program
// run from its build tree or unpacked into a folder of its own); else, for an
// installed program, the per-user directory $XDG_DATA_HOME/vorlanix
// (~/.local/share/vorlanix by default). As the XDG rules say, a relative
// XDG_DATA_HOME is ignored; a relative or missing HOME gives no per-user
// directory either, rather than one under the root or the current directory.
//
// The files shipped read-only with the program (the tips, the report
// template, the language file, the help pages) are looked up in the program
// directory first, so that a user's own copy wins, then in the data directory
// <executable's directory>/../share/vorlanix, which holds them in an
// installed program under any prefix and in the build tree alike.
#include <QString>
#include <QStringList>

namespace vx
{

// $VORLANIX_HOME when set, else the executable's directory when writable by
// this user (never for root: a system directory is writable for root), else
// user_program_dir(), made by make_program_dir(). Always with a trailing '/'.
// Empty when there is none, with why in error (when given): MESS202 of the
// built-in texts when no per-user directory can be named, or the reason of
// make_program_dir, which names the directory.
QString find_program_dir(QString* error = nullptr);
// $XDG_DATA_HOME/vorlanix/ when XDG_DATA_HOME is an absolute path, else
// $HOME/.local/share/vorlanix/ when HOME is one; empty when neither is.
QString user_program_dir();
// Makes dir and its "Log" folder and, when dir holds no settings file yet, a
// settings file whose LOGDIR names that folder; false with the reason in
// error when a step fails.
bool make_program_dir(const QString& dir, QString* error = nullptr);
// <exe_dir>/../share/vorlanix/, cleaned, with a trailing '/'; exe_dir is
// the executable's directory unless given.
QString find_data_dir(const QString& exe_dir = {});

// program_dir + name when that is a file, else data_dir + name when that is
// one (and data_dir is not empty), else empty.
QString find_shipped_file(const QString& name, const QString& program_dir, const QString& data_dir);

// The help's start page for the language section in use: in each directory,
// "html/<section in lower case>/index.html" (not for the built-in SLOVAK) and
// then "html/index.html", the program directory before the data directory.
QStringList help_page_places(const QString& program_dir, const QString& data_dir, const QString& language);

// The report template "muster.htm" for the language section in use: in each
// directory "html/<section in lower case>/muster.htm" (not for the built-in
// SLOVAK), then "muster.htm", the program directory before the data
// directory; the first that is a file, or empty.
QString find_report_template(const QString& program_dir, const QString& data_dir, const QString& language);

} // namespace vx
