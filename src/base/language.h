#pragma once
// The language table: numbered entries of five texts each, built from the
// built-in Slovak texts and, when present, a section of "vorlan.lng".
// Entries 1..200 are the classic table; the program's later texts follow.
#include <QString>
#include <QStringList>
#include <array>
#include <span>

namespace vx
{

// Entries of the table, numbered 1..language_entries.
inline constexpr int language_entries = 400;
class Language;

struct TLanguage {
    QString capt;  // CAPTn
    QString hint;  // HINTn
    QString label; // LABELn
    QString menu;  // MENUn
    QString mess;  // MESSn
};

// Replaces backslash-r by CR and backslash-n by LF, one for one; the length
// of the text does not change.
QString unescape_text(const QString& text);

// One built-in Slovak text: its key ("MESS20") and its text in UTF-8, with
// backslash-r or backslash-n for a line break.
struct BuiltInText {
    const char* key;
    const char* text;
};
// Every built-in text (the table in builtin_texts.cpp).
std::span<const BuiltInText> builtin_texts();

// The built-in text of a key such as "MESS20", already unescaped; empty for
// keys without one.
QString builtin_text(const QString& key);

// text with its first letter in upper case ("spodná hranica" -> "Spodná hranica").
QString capitalized(QString text);

// The sections that hold at least one key, in file order: those of the
// language file in use (program directory first, else data directory), then
// those only the shipped one (data directory) has; empty without a file.
QStringList language_sections(const QString& program_dir, const QString& data_dir = {});

// The arguments %1..%9 text takes, one bit each (bit n for %n).
int text_arguments(const QString& text);

// n and the word for records in the form n takes: MESS177 for 1 (" záznam"),
// MESS206 for 2 to 4 (" záznamy"), MESS58 for any other n (" záznamov").
QString record_count_text(const Language& language, qint64 n);

// The code of Qt's own translation for a language section named after a
// language in English ("SLOVAK" -> "sk", "ENGLISH" -> "en"); empty when the
// name is no language Qt knows.
QString qt_language_code(const QString& section);

class Language
{
public:
    // The built-in texts, until build_language_tables runs.
    Language();

    // Fills the table: built-in texts, then the section named section of
    // "vorlan.lng" when it holds at least one key. The file is the one in
    // program_dir, else the one shipped in data_dir; a file valid as UTF-8 is
    // read as UTF-8, else in code page 1250. A value in double quotes is the
    // text between them, blanks at its ends included.
    //
    // A key the file in use lacks takes the program's own text for that
    // language, never its key name: the shipped file's text of the same
    // section, then its SLOVAK text, then the built-in one (empty when none
    // has it). So does a text that lacks a %1..%9 the program's own text
    // takes, or adds one: a message never loses its arguments.
    void build_language_tables(const QString& program_dir, const QString& section,
                               const QString& data_dir = {});

    bool language_loaded = false;
    // The section the table was built for ("SLOVAK" until built).
    QString section = QStringLiteral("SLOVAK");

    // Entries 1..language_entries; out-of-range numbers give an empty text.
    QString capt(int n) const;
    QString hint(int n) const;
    QString label(int n) const;
    QString menu(int n) const;
    QString mess(int n) const;
    // The text of a key such as "LABEL19"; empty for a key that names no entry.
    QString text(const QString& key) const;

    std::array<TLanguage, language_entries + 1> table{}; // index 0 unused
};

} // namespace vx
