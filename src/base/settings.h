#pragma once
// The settings file "vorlanix.ini" (code page 1250, CR LF lines) in the
// program directory: every section and key the program uses, with their
// defaults. Reading never creates anything; a write changes one key in place
// and keeps every other line byte for byte.
#include <QMap>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace vx
{

namespace key
{
inline constexpr const char* settings_file = "vorlanix.ini";
inline constexpr const char* GLOBAL = "GLOBAL";
inline constexpr const char* ComPort = "ComPort";
inline constexpr const char* LANGUAGE = "LANGUAGE";
inline constexpr const char* LOGDIR = "LOGDIR";
inline constexpr const char* TOP = "TOP";
inline constexpr const char* LEFT = "LEFT";
inline constexpr const char* WIDTH = "WIDTH";
inline constexpr const char* HEIGHT = "HEIGHT";
inline constexpr const char* CHECKTIME = "CHECKTIME";
inline constexpr const char* SORTFILE = "SORTFILE";
inline constexpr const char* SHOWTIP = "SHOWTIP";
inline constexpr const char* AUTOGRAPH = "AUTOGRAPH";
// The graph program "Graf" starts, a name on the PATH or a path; none by default.
inline constexpr const char* GRAPHPROGRAM = "GRAPHPROGRAM";
inline constexpr const char* PANMAXIMIZE = "PANMAXIMIZE";
inline constexpr const char* MAKESTAT = "MAKESTAT";
inline constexpr const char* MAKEPREVIEW = "MAKEPREVIEW";
inline constexpr const char* GRAPH = "GRAPH";
inline constexpr const char* LEFTPOINTS = "LEFTPOINTS";
inline constexpr const char* RIGHTPOINTS = "RIGHTPOINTS";
inline constexpr const char* PRINTER = "PRINTER";
inline constexpr const char* COLS = "COLS";
inline constexpr const char* ROWS = "ROWS";
inline constexpr const char* HEAD = "HEAD";
inline constexpr const char* FOOT = "FOOT";
inline constexpr const char* PARTNER = "PARTNER";
inline constexpr const char* RECENTBASES = "RECENTBASES";
inline constexpr const char* PORTS = "PORTS"; // COMn=/dev/... device of each COM number
} // namespace key

struct Partner {
    QString NAME = "NONAME";    // at most 32 characters
    QString LOCATION = "-----"; // 128
    QString TEL = "-----";      // 32
    QString FAX = "-----";      // 32
    QString EMAIL = "-----";    // 128
    QString WWW = "-----";      // 128
};

struct Settings {
    int ComPort = 2;
    QString LANGUAGE = "SLOVAK";
    QString LOGDIR; // program directory + "Log" by default
    // The main window's stored bounds; empty when not stored or not a
    // number (the window then keeps its designed bounds, see
    // fit_window_geometry).
    std::optional<int> TOP, LEFT, WIDTH, HEIGHT;
    bool CHECKTIME = true;
    bool SORTFILE = true;
    bool SHOWTIP = true;
    std::array<int, 20> colors{}; // GRAPH COLOR1..COLOR20 (red in the low byte)
    int LEFTPOINTS = 0, RIGHTPOINTS = 0;
    int print_cols = 2, print_rows = 50;
    QString print_head, print_foot;
    Partner partner;
    QMap<int, QString> port_devices; // section PORTS: COM number -> device path
};

// COM port numbers the program accepts.
inline constexpr int min_com_port = 1;
inline constexpr int max_com_port = 256;

// What reading the settings found wrong, for the user to be told.
struct SettingsNotes {
    bool logdir_missing = false; // LOGDIR names no directory; the default is used
    QString missing_logdir;      // with logdir_missing: the directory that was not found
    QString bad_com_port;        // "ComPort=..." outside 1..256; empty when fine
    QString unreadable;          // why the file is there but could not be read; empty when fine
};

// Reads the whole settings file of the program directory (with its trailing
// '/'). Nothing is created; missing keys keep their defaults. A LOGDIR that is
// too short or no directory falls back to "Log" beside the program
// (notes->logdir_missing in the second case); a ComPort outside
// min_com_port..max_com_port falls back to 2 (notes->bad_com_port). A file
// that is there but cannot be read gives every default and its reason in
// notes->unreadable.
Settings read_settings(const QString& program_dir, SettingsNotes* notes = nullptr);

// Writes one key of an initialisation-format file in place, keeping every
// other line byte for byte; the file is replaced atomically. On failure
// returns false and, when error is given, sets it to "Unable to write to <path>".
bool write_ini_value(const QString& path, const QString& section, const QString& key, const QString& value,
                     QString* error = nullptr);
// The same for the settings file of the program directory (with its trailing '/').
bool write_setting_string(const QString& program_dir, const QString& section, const QString& key,
                          const QString& value, QString* error = nullptr);
bool write_setting_int(const QString& program_dir, const QString& section, const QString& key, int value,
                       QString* error = nullptr);
bool write_setting_bool(const QString& program_dir, const QString& section, const QString& key, bool value,
                        QString* error = nullptr);

// Reads one key of the settings file on demand (the dialogs that read their
// switches when shown); def when the file, key or a valid value is missing.
bool read_setting_bool(const QString& program_dir, const QString& section, const QString& key, bool def);
int read_setting_int(const QString& program_dir, const QString& section, const QString& key, int def);
QString read_setting_string(const QString& program_dir, const QString& section, const QString& key,
                            const QString& def);
// The GLOBAL switches of the setup dialog and the database browser.
bool read_autograph(const QString& program_dir);   // default true
bool read_panmaximize(const QString& program_dir); // default false
bool read_makestat(const QString& program_dir);    // default false
bool read_makepreview(const QString& program_dir); // default true

// RECENTBASES: REC0, REC1, ... up to the first missing or empty value.
QStringList read_recent_bases(const QString& program_dir);
// Writes the whole list as REC0 .. REC(n-1) in one replacement of the file;
// a longer list left from before is cut by emptying REC(n).
bool write_recent_bases(const QString& program_dir, const QStringList& names, QString* error = nullptr);

// The main window's bounds from the stored geometry, wholly inside area (the
// free part of the screen it opens on). A stored WIDTH or HEIGHT above 200
// replaces the designed one, a stored LEFT or TOP (0 included) the designed
// position. The size is then cut to what the area holds and the window moved
// into it. Bounds are as the window keeps them: the position of its frame,
// the size inside it; frame is what the window manager's frame adds on each
// side (none before the window is first shown).
QRect fit_window_geometry(const Settings& s, const QRect& area, const QRect& designed,
                          const QMargins& frame = {});
// At close: when the window is wider and taller than 200 pixels, writes
// WIDTH, HEIGHT, LEFT, TOP (in one replacement of the file) and returns
// true; a smaller window writes nothing and returns true as well.
bool save_window_geometry(const QString& program_dir, const QRect& bounds, QString* error = nullptr);

} // namespace vx
