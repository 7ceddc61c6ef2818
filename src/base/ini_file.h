#pragma once
// Initialisation files as the program's files use them: code page 1250,
// "[section]" lines, "key=value" lines, comments starting with ';' or '#'.
// Section and key names match without regard to case; the first occurrence
// of a key in a section wins, and sections of the same name are merged.
//
// Reading never creates anything. Writing edits the raw lines in place, so
// every line it does not change stays byte for byte, and replaces the file
// atomically (temporary file in the same directory, fsync, rename).
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

namespace vx
{

// Longest string value a read returns; longer values are cut.
inline constexpr int max_ini_string = 2047;

class IniFile
{
public:
    // Parses the file; nullopt when it does not exist or cannot be read. In
    // the second case error (when given) says why; it is empty for a file
    // that is not there.
    static std::optional<IniFile> load(const QString& path, QString* error = nullptr);
    // Parses bytes in code page 1250.
    static IniFile parse(const QByteArray& bytes);
    // Parses text already decoded.
    static IniFile parse_text(const QString& text);

    // A section counts as present when it holds at least one key.
    bool has_section(const QString& section) const;
    // The sections that hold at least one key, in file order (first spelling of each).
    QStringList section_names() const;
    // The keys of a section in file order (first spelling of each).
    QStringList keys(const QString& section) const;
    // The raw value with surrounding blanks removed, cut to max_ini_string;
    // nullopt when the key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;

    QString read_string(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal after "0x"; anything else gives def.
    int read_int(const QString& section, const QString& key, int def) const;
    // An integer; nonzero is true; anything else gives def.
    bool read_bool(const QString& section, const QString& key, bool def) const;

private:
    // Names and values are places in text_.
    struct Entry {
        qsizetype key_at, value_at;
        qint32 section, key_size, value_size;
    };
    struct SectionName {
        qsizetype at;
        qint32 size;
        qint32 keys; // key lines under it
    };
    static size_t key_hash(qint32 section, QStringView key);
    QStringView key_of(const Entry& e) const;
    qint32 section_of(const QString& section) const; // -1 when there is none
    // The first entry of key in section; nullptr when there is none.
    const Entry* find(qint32 section, QStringView key) const;

    QString text_;
    std::vector<SectionName> sections_;             // in file order, first spelling of each
    QHash<QString, qint32> section_index_;          // case-folded name -> section
    std::vector<Entry> entries_;                    // in file order
    std::vector<std::pair<size_t, qint32>> lookup_; // (key_hash, entry), sorted
};

// An integer as the settings file writes it (decimal, or hexadecimal after a
// leading "0x"); nullopt when the text is not one.
std::optional<int> parse_ini_int(const QString& text);

// Sets several keys of one section in a single atomic rewrite; see
// write_ini_value in settings.h for the rules. An empty list still checks
// that the file can be written.
bool write_ini_values(const QString& path, const QString& section,
                      const QList<QPair<QString, QString>>& values, QString* error = nullptr);

// The edit itself, without any file access: the new file contents; nullopt
// when the texts cannot be put into the code page. A key that is there keeps
// its spelling and the blanks around '=', except that a value beginning
// with blanks replaces the old blanks after '=' (so writing back what was
// read never adds blanks).
std::optional<QByteArray> edit_ini_bytes(const QByteArray& original, const QString& section,
                                         const QList<QPair<QString, QString>>& values);

} // namespace vx
