#pragma once
// The settings file "vorlanix.ini" (code page 1250, CR LF lines) in the
// program directory: every section and key the program uses, with their
// defaults. Reading never creates anything; a write changes one key in place
// and keeps every other line byte for byte.
#include <QMap>
#include <QString>
#include <QStringList>
#include <array>

namespace vx {

namespace key {
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
inline constexpr const char* PORTS = "PORTS";  // COMn=/dev/... device of each COM number
} // namespace key

struct Partner {
    QString NAME = "NONAME";     // at most 32 characters
    QString LOCATION = "-----";  // 128
    QString TEL = "-----";       // 32
    QString FAX = "-----";       // 32
    QString EMAIL = "-----";     // 128
    QString WWW = "-----";       // 128
};

struct Settings {
    int ComPort = 2;
    QString LANGUAGE = "SLOVAK";
    QString LOGDIR;                      // program directory + "Log" by default
    int TOP = 10, LEFT = 10, WIDTH = 400, HEIGHT = 500;
    bool CHECKTIME = true;
    bool SORTFILE = true;
    bool SHOWTIP = true;
    std::array<int, 20> colors{};        // GRAPH COLOR1..COLOR20 (red in the low byte)
    int LEFTPOINTS = 0, RIGHTPOINTS = 0;
    int print_cols = 2, print_rows = 50;
    QString print_head, print_foot;
    Partner partner;
    QMap<int, QString> port_devices;     // section PORTS: COM number -> device path
};

struct Global;

// Reads the whole settings file into g.settings in the program's load order,
// building the language table on the way (see load_settings in settings.cpp).
void load_settings(Global& g);

// Writes one key of an initialisation-format file in place, keeping every
// other line byte for byte; the file is replaced atomically. On failure
// returns false and, when error is given, sets it to "Unable to write to <path>".
bool write_ini_value(const QString& path, const QString& section, const QString& key, const QString& value,
                     QString* error = nullptr);
// The same for the settings file of the program directory.
bool write_setting_string(const Global& g, const QString& section, const QString& key, const QString& value,
                          QString* error = nullptr);
bool write_setting_int(const Global& g, const QString& section, const QString& key, int value,
                       QString* error = nullptr);
bool write_setting_bool(const Global& g, const QString& section, const QString& key, bool value,
                        QString* error = nullptr);

} // namespace vx
