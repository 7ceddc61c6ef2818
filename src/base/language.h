#pragma once
// The language table: 200 entries of five texts each, built from the
// built-in Slovak texts and, when present, a section of "vorlan.lng".
#include <QString>
#include <array>

namespace vx
{

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

// The built-in text of a key such as "MESS20", already unescaped; empty for
// keys without one.
QString builtin_text(const QString& key);

class Language
{
public:
    // Fills the table: built-in texts, then the section named section of
    // "vorlan.lng" when it holds at least one key. The file is the one in
    // program_dir, else the one shipped in data_dir. A value in double quotes
    // is the text between them, blanks at its ends included.
    void build_language_tables(const QString& program_dir, const QString& section,
                               const QString& data_dir = {});

    bool language_loaded = false;

    // Entries 1..200; out-of-range numbers give an empty text.
    QString capt(int n) const;
    QString hint(int n) const;
    QString label(int n) const;
    QString menu(int n) const;
    QString mess(int n) const;

    std::array<TLanguage, 201> table{}; // index 0 unused
};

} // namespace vx
