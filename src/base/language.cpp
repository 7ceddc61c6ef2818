#include "base/language.h"

#include "base/code_page.h"
#include "base/ini_file.h"
#include "base/program_dir.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cstring>

namespace vx
{
namespace
{

inline constexpr const char* language_file = "vorlan.lng";
// The language of the built-in texts and of the windows as designed.
inline constexpr const char* builtin_section = "SLOVAK";

// The language file at path, in UTF-8 or code page 1250; nullopt without one.
std::optional<IniFile> load_language_file(const QString& path)
{
    QFile f(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) return std::nullopt;
    return IniFile::parse_text(from_utf8_or_cp1250(f.readAll()));
}

// The shipped language file, when data_dir has one other than the file in use.
std::optional<IniFile> load_shipped_file(const QString& in_use, const QString& data_dir)
{
    const QString shipped = data_dir.isEmpty() ? QString() : data_dir + language_file;
    if (shipped.isEmpty() || QFileInfo(shipped) == QFileInfo(in_use)) return std::nullopt;
    return load_language_file(shipped);
}

// One section of a language file that texts are taken from.
struct TextSource {
    const IniFile* file;
    QString section;
    // The key's text, nullopt when the section lacks the key. A value in
    // double quotes keeps the blanks at its ends ("Typ: ").
    std::optional<QString> text(const QString& key) const
    {
        auto v = file->value(section, key);
        if (v && v->size() >= 2 && v->startsWith('"') && v->endsWith('"')) *v = v->mid(1, v->size() - 2);
        return v;
    }
};

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
    const QString in_use = find_shipped_file(language_file, program_dir, data_dir);
    QStringList out;
    for (const auto& ini : {load_language_file(in_use), load_shipped_file(in_use, data_dir)})
        if (ini)
            for (const QString& name : ini->section_names())
                if (!out.contains(name, Qt::CaseInsensitive)) out.append(name);
    return out;
}

int text_arguments(const QString& text)
{
    int set = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9')
            set |= 1 << (text[i + 1].unicode() - '0');
    return set;
}

QString record_count_text(const Language& language, qint64 n)
{
    return QString::number(n) + language.mess(n == 1 ? 177 : n >= 2 && n <= 4 ? 206 : 58);
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
    this->section = section;
    language_loaded = false;
    const QString in_use_path = find_shipped_file(language_file, program_dir, data_dir);
    const auto in_use = load_language_file(in_use_path);
    const auto shipped = load_shipped_file(in_use_path, data_dir);

    // The file shipped with the program: a separate one, or the one in use.
    const IniFile* own_file = shipped ? &*shipped
                              : in_use && !data_dir.isEmpty() && in_use_path == data_dir + language_file
                                  ? &*in_use
                                  : nullptr;

    // The sections texts come from, the file in use first; the others hold
    // the program's own texts. A section only the shipped file has counts.
    QList<TextSource> sources;
    auto add = [&sources](const IniFile* file, const QString& name) {
        if (file && file->has_section(name)) sources.append({file, name});
    };
    add(in_use ? &*in_use : nullptr, section);
    if (shipped) add(&*shipped, section);
    if (sources.isEmpty()) return;
    language_loaded = true;
    if (section.compare(QLatin1String(builtin_section), Qt::CaseInsensitive) != 0)
        add(own_file, QLatin1String(builtin_section));
    const std::array<TLanguage, language_entries + 1> builtin = table;

    for (int n = 1; n <= language_entries; ++n) {
        const QString num = QString::number(n);
        for (auto [prefix, escapes] :
             {std::pair{"CAPT", false}, {"HINT", true}, {"LABEL", false}, {"MENU", false}, {"MESS", true}}) {
            const QString key = QLatin1String(prefix) + num;
            QString* field = field_of(table[n], QStringView(key).left(std::strlen(prefix)));
            const QString& built_in = *field_of(builtin[n], QStringView(key).left(std::strlen(prefix)));
            auto text_of = [&](const TextSource& source) -> std::optional<QString> {
                const auto t = source.text(key);
                return t && escapes ? unescape_text(*t) : t;
            };
            std::optional<QString> own;
            for (qsizetype i = 1; i < sources.size() && !own; ++i)
                own = text_of(sources[i]);
            if (!own && !built_in.isEmpty()) own = built_in;
            const auto mine = text_of(sources.first());
            *field = mine && (!own || text_arguments(*mine) == text_arguments(*own))
                         ? *mine
                         : own.value_or(QString());
        }
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
