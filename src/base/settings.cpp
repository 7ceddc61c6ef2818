#include "base/settings.h"

#include "base/ini_file.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace vx
{
namespace
{

QString settings_path(const QString& program_dir)
{
    return program_dir + key::settings_file;
}

IniFile settings_ini(const QString& program_dir, QString* error = nullptr)
{
    return IniFile::load(settings_path(program_dir), error).value_or(IniFile::parse({}));
}

QString read_cut(const IniFile& ini, const char* k, const QString& def, int max)
{
    return ini.read_string(key::PARTNER, k, def).left(max);
}

} // namespace

Settings read_settings(const QString& program_dir, SettingsNotes* notes)
{
    SettingsNotes found;
    const IniFile ini = settings_ini(program_dir, &found.unreadable);
    Settings s;
    using namespace key;

    const int com = ini.read_int(GLOBAL, ComPort, s.ComPort);
    if (com >= min_com_port && com <= max_com_port)
        s.ComPort = com;
    else
        found.bad_com_port =
            QStringLiteral("ComPort=%1 in %2 is no COM port number from %3 to %4; COM%5 is used")
                .arg(ini.read_string(GLOBAL, ComPort, QString()), settings_path(program_dir),
                     QString::number(min_com_port), QString::number(max_com_port),
                     QString::number(s.ComPort));
    s.LANGUAGE = ini.read_string(GLOBAL, LANGUAGE, "SLOVAK");
    const QString default_log = program_dir + "Log";
    s.LOGDIR = ini.read_string(GLOBAL, LOGDIR, default_log);
    if (s.LOGDIR.size() < 2) s.LOGDIR = default_log;

    for (int i = 0; i < 20; ++i)
        s.colors[i] = ini.read_int(GRAPH, QString("COLOR%1").arg(i + 1), 0);
    s.LEFTPOINTS = ini.read_int(GRAPH, LEFTPOINTS, 0);
    s.RIGHTPOINTS = ini.read_int(GRAPH, RIGHTPOINTS, 0);

    // A key that is missing or no number leaves the designed bounds.
    constexpr int unset = std::numeric_limits<int>::min();
    for (auto [name, value] :
         {std::pair{TOP, &s.TOP}, {LEFT, &s.LEFT}, {WIDTH, &s.WIDTH}, {HEIGHT, &s.HEIGHT}})
        if (const int v = ini.read_int(GLOBAL, name, unset); v != unset) *value = v;

    found.logdir_missing = !QFileInfo(s.LOGDIR).isDir();
    if (found.logdir_missing) {
        found.missing_logdir = s.LOGDIR;
        s.LOGDIR = default_log;
    }

    s.CHECKTIME = ini.read_bool(GLOBAL, CHECKTIME, true);
    s.SORTFILE = ini.read_bool(GLOBAL, SORTFILE, true);
    s.SHOWTIP = ini.read_bool(GLOBAL, SHOWTIP, true);

    s.print_cols = ini.read_int(PRINTER, COLS, 2);
    s.print_rows = ini.read_int(PRINTER, ROWS, 50);
    s.print_head = ini.read_string(PRINTER, HEAD, QString());
    s.print_foot = ini.read_string(PRINTER, FOOT, QString());

    const Partner d;
    s.partner.NAME = read_cut(ini, "NAME", d.NAME, 32);
    s.partner.LOCATION = read_cut(ini, "LOCATION", d.LOCATION, 128);
    s.partner.TEL = read_cut(ini, "TEL", d.TEL, 32);
    s.partner.FAX = read_cut(ini, "FAX", d.FAX, 32);
    s.partner.EMAIL = read_cut(ini, "EMAIL", d.EMAIL, 128);
    s.partner.WWW = read_cut(ini, "WWW", d.WWW, 128);

    for (const QString& k : ini.keys(PORTS)) {
        if (!k.startsWith("COM", Qt::CaseInsensitive)) continue;
        bool ok = false;
        const int n = k.mid(3).toInt(&ok);
        const QString device = ini.read_string(PORTS, k, QString());
        if (ok && n > 0 && !device.isEmpty()) s.port_devices.insert(n, device);
    }
    if (notes) *notes = found;
    return s;
}

bool write_ini_value(const QString& path, const QString& section, const QString& key, const QString& value,
                     QString* error)
{
    return write_ini_values(path, section, {{key, value}}, error);
}

bool write_setting_string(const QString& program_dir, const QString& section, const QString& key,
                          const QString& value, QString* error)
{
    return write_ini_value(settings_path(program_dir), section, key, value, error);
}

bool write_setting_int(const QString& program_dir, const QString& section, const QString& key, int value,
                       QString* error)
{
    return write_ini_value(settings_path(program_dir), section, key, QString::number(value), error);
}

bool write_setting_bool(const QString& program_dir, const QString& section, const QString& key, bool value,
                        QString* error)
{
    return write_ini_value(settings_path(program_dir), section, key, value ? "1" : "0", error);
}

bool read_setting_bool(const QString& program_dir, const QString& section, const QString& key, bool def)
{
    return settings_ini(program_dir).read_bool(section, key, def);
}

int read_setting_int(const QString& program_dir, const QString& section, const QString& key, int def)
{
    return settings_ini(program_dir).read_int(section, key, def);
}

QString read_setting_string(const QString& program_dir, const QString& section, const QString& key,
                            const QString& def)
{
    return settings_ini(program_dir).read_string(section, key, def);
}

bool read_autograph(const QString& program_dir)
{
    return read_setting_bool(program_dir, key::GLOBAL, key::AUTOGRAPH, true);
}

bool read_panmaximize(const QString& program_dir)
{
    return read_setting_bool(program_dir, key::GLOBAL, key::PANMAXIMIZE, false);
}

bool read_makestat(const QString& program_dir)
{
    return read_setting_bool(program_dir, key::GLOBAL, key::MAKESTAT, false);
}

bool read_makepreview(const QString& program_dir)
{
    return read_setting_bool(program_dir, key::GLOBAL, key::MAKEPREVIEW, true);
}

QStringList read_recent_bases(const QString& program_dir)
{
    const IniFile ini = settings_ini(program_dir);
    QStringList names;
    for (int i = 0;; ++i) {
        const QString name = ini.read_string(key::RECENTBASES, QString("REC%1").arg(i), QString());
        if (name.isEmpty()) break;
        names.append(name);
    }
    return names;
}

bool write_recent_bases(const QString& program_dir, const QStringList& names, QString* error)
{
    QList<QPair<QString, QString>> values;
    for (qsizetype i = 0; i < names.size(); ++i)
        values.append({QString("REC%1").arg(i), names[i]});
    // Without this, entries of a longer earlier list would come back on the
    // next read.
    const QString after = QString("REC%1").arg(names.size());
    if (!settings_ini(program_dir).read_string(key::RECENTBASES, after, QString()).isEmpty())
        values.append({after, QString()});
    return write_ini_values(settings_path(program_dir), key::RECENTBASES, values, error);
}

QRect fit_window_geometry(const Settings& s, const QRect& area, const QRect& designed, const QMargins& frame)
{
    QRect r = designed;
    if (s.TOP) r.moveTop(*s.TOP);
    if (s.LEFT) r.moveLeft(*s.LEFT);
    if (s.WIDTH && *s.WIDTH > 200) r.setWidth(*s.WIDTH);
    if (s.HEIGHT && *s.HEIGHT > 200) r.setHeight(*s.HEIGHT);
    // The frame, title bar included, must fit as well: the status bar at the
    // bottom is what a window too tall for the screen loses first.
    const int extra_w = frame.left() + frame.right(), extra_h = frame.top() + frame.bottom();
    r.setWidth(std::max(1, std::min(r.width(), area.width() - extra_w)));
    r.setHeight(std::max(1, std::min(r.height(), area.height() - extra_h)));
    r.moveLeft(std::clamp(r.left(), area.left(), area.left() + area.width() - r.width() - extra_w));
    r.moveTop(std::clamp(r.top(), area.top(), area.top() + area.height() - r.height() - extra_h));
    return r;
}

bool save_window_geometry(const QString& program_dir, const QRect& bounds, QString* error)
{
    if (bounds.width() <= 200 || bounds.height() <= 200) return true;
    return write_ini_values(settings_path(program_dir), key::GLOBAL,
                            {{key::WIDTH, QString::number(bounds.width())},
                             {key::HEIGHT, QString::number(bounds.height())},
                             {key::LEFT, QString::number(bounds.left())},
                             {key::TOP, QString::number(bounds.top())}},
                            error);
}

} // namespace vx
