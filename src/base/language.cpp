#include "base/language.h"

#include "base/ini_file.h"
#include "base/program_dir.h"

#include <QFileInfo>
#include <QLocale>

namespace vx
{
namespace
{

inline constexpr const char* language_file = "vorlan.lng";

// The field of an entry that a key prefix names; nullptr for no field.
template <class Entry> auto field_of(Entry& e, QStringView prefix) -> decltype(&e.capt)
{
    if (prefix == QLatin1String("CAPT")) return &e.capt;
    if (prefix == QLatin1String("HINT")) return &e.hint;
    if (prefix == QLatin1String("LABEL")) return &e.label;
    if (prefix == QLatin1String("MENU")) return &e.menu;
    if (prefix == QLatin1String("MESS")) return &e.mess;
    return nullptr;
}

// Splits a key such as "MESS28" into its field and entry number (-1 when
// there is none).
std::pair<QStringView, int> split_key(QStringView key)
{
    qsizetype i = 0;
    while (i < key.size() && !key[i].isDigit())
        ++i;
    bool ok = false;
    const int n = key.mid(i).toInt(&ok);
    return {key.left(i), ok ? n : -1};
}

// The table with the built-in texts only.
void fill_builtin(std::array<TLanguage, language_entries + 1>& table)
{
    table.fill(TLanguage{});
    for (const BuiltInText& b : builtin_texts()) {
        const QString key = QString::fromLatin1(b.key);
        const auto [prefix, n] = split_key(key);
        if (n < 1 || n > language_entries) continue;
        if (QString* f = field_of(table[n], prefix)) *f = unescape_text(QString::fromUtf8(b.text));
    }
}

} // namespace

QString unescape_text(const QString& text)
{
    QString out = text;
    for (qsizetype i = 0; i + 1 < out.size(); ++i) {
        if (out[i] == '\\' && (out[i + 1] == 'r' || out[i + 1] == 'n')) {
            out[i] = QChar('\r');
            out[i + 1] = QChar('\n');
            ++i;
        }
    }
    return out;
}

QString builtin_text(const QString& key)
{
    for (const BuiltInText& b : builtin_texts())
        if (key == QLatin1String(b.key)) return unescape_text(QString::fromUtf8(b.text));
    return {};
}

QString capitalized(QString text)
{
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text;
}

QStringList language_sections(const QString& program_dir, const QString& data_dir)
{
    const auto ini = IniFile::load(find_shipped_file(language_file, program_dir, data_dir));
    return ini ? ini->section_names() : QStringList();
}

QString qt_language_code(const QString& section)
{
    for (int l = QLocale::AnyLanguage + 1; l <= QLocale::LastLanguage; ++l) {
        const auto language = static_cast<QLocale::Language>(l);
        if (QLocale::languageToString(language).compare(section, Qt::CaseInsensitive) == 0)
            return QLocale::languageToCode(language, QLocale::ISO639Part1);
    }
    return {};
}

Language::Language()
{
    fill_builtin(table);
}

void Language::build_language_tables(const QString& program_dir, const QString& section,
                                     const QString& data_dir)
{
    fill_builtin(table);

    language_loaded = false;
    const auto ini = IniFile::load(find_shipped_file(language_file, program_dir, data_dir));
    if (!ini || !ini->has_section(section)) return;

    language_loaded = true;
    // A text in double quotes keeps the blanks at its ends ("Typ: ").
    const auto text = [&](const QString& key, const QString& missing) {
        const QString v = ini->read_string(section, key, missing);
        return v.size() >= 2 && v.startsWith('"') && v.endsWith('"') ? v.mid(1, v.size() - 2) : v;
    };
    for (int n = 1; n <= language_entries; ++n) {
        const QString num = QString::number(n);
        TLanguage& e = table[n];
        e.capt = text("CAPT" + num, "CAP" + num);
        e.label = text("LABEL" + num, "LABEL" + num);
        e.hint = unescape_text(text("HINT" + num, "HINT" + num));
        e.mess = unescape_text(text("MESS" + num, "MESS" + num));
        e.menu = text("MENU" + num, "MENU" + num);
    }
}

QString Language::capt(int n) const
{
    return n >= 1 && n <= language_entries ? table[n].capt : QString();
}

QString Language::hint(int n) const
{
    return n >= 1 && n <= language_entries ? table[n].hint : QString();
}

QString Language::label(int n) const
{
    return n >= 1 && n <= language_entries ? table[n].label : QString();
}

QString Language::menu(int n) const
{
    return n >= 1 && n <= language_entries ? table[n].menu : QString();
}

QString Language::mess(int n) const
{
    return n >= 1 && n <= language_entries ? table[n].mess : QString();
}

QString Language::text(const QString& key) const
{
    const auto [prefix, n] = split_key(key);
    if (n < 1 || n > language_entries) return {};
    const QString* f = field_of(table[n], prefix);
    return f ? *f : QString();
}

} // namespace vx
