#include "base/ini_file.h"

#include "base/code_page.h"
#include "base/safe_file.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <sys/stat.h>

namespace vx
{
namespace
{

// What one line of the file is.
struct LineKind {
    enum { other, section, key } kind = other;
    QStringView name;  // section or key name, trimmed
    QStringView value; // key lines: value, trimmed
};

LineKind classify(QStringView raw)
{
    LineKind k;
    const QStringView line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) return k;
    if (line.startsWith(u'[')) {
        const qsizetype close = line.indexOf(u']');
        k.kind = LineKind::section;
        k.name = line.sliced(1, close < 0 ? line.size() - 1 : close - 1).trimmed();
        return k;
    }
    const qsizetype eq = line.indexOf(u'=');
    if (eq <= 0) return k;
    k.name = line.first(eq).trimmed();
    if (k.name.isEmpty()) return k;
    k.kind = LineKind::key;
    k.value = line.sliced(eq + 1).trimmed();
    return k;
}

bool same_name(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// How names are looked up: without regard to case, as same_name compares them.
QString name_key(QStringView name)
{
    return name.toString().toCaseFolded();
}

// One raw line of a file with its own terminator ("\r\n", "\n" or none).
struct RawLine {
    QByteArray text;
    QByteArray eol;
};

QList<RawLine> split_lines(const QByteArray& bytes)
{
    QList<RawLine> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', start);
        if (nl < 0) {
            lines.append({bytes.mid(start), {}});
            break;
        }
        qsizetype end = nl;
        QByteArray eol("\n");
        if (end > start && bytes[end - 1] == '\r') {
            --end;
            eol = "\r\n";
        }
        lines.append({bytes.mid(start, end - start), eol});
        start = nl + 1;
    }
    return lines;
}

// A value must stay on its line.
std::optional<QByteArray> encode_value(const QString& value)
{
    QString v = value;
    v.replace('\r', ' ').replace('\n', ' ');
    return to_cp1250(v);
}

} // namespace

std::optional<int> parse_ini_int(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    qlonglong v = 0;
    if (t.startsWith("0x", Qt::CaseInsensitive)) {
        const QString digits = t.mid(2);
        // toLongLong would accept a sign or blanks after the prefix.
        if (digits.isEmpty() || digits[0] == '+' || digits[0] == '-' || digits[0].isSpace())
            return std::nullopt;
        v = digits.toLongLong(&ok, 16);
        // Hexadecimal values are bit patterns: 0xFFFFFFFF is -1.
        if (ok && v > 0xFFFFFFFFLL) ok = false;
        if (ok) return static_cast<int>(static_cast<quint32>(v));
        return std::nullopt;
    }
    v = t.toLongLong(&ok, 10);
    if (!ok || v < INT_MIN || v > INT_MAX) return std::nullopt;
    return static_cast<int>(v);
}

IniFile IniFile::parse(const QByteArray& bytes)
{
    // One conversion for the whole file: the code page maps CR and LF to
    // themselves, so lines split the same way afterwards.
    return parse_text(from_cp1250(bytes));
}

IniFile IniFile::parse_text(const QString& whole)
{
    IniFile ini;
    // The text is kept, and names and values are places in it.
    ini.text_ = whole;
    const QString& text = ini.text_;
    qint32 current = -1;
    auto at = [&text](QStringView part) { return qsizetype(part.data() - text.constData()); };
    // Each line is looked at once and sections are found by hashing, so the
    // time grows with the file, not with its square.
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) end = text.size();
        const LineKind k = classify(QStringView(text).sliced(start, end - start));
        start = end + 1;
        if (k.kind == LineKind::section) {
            const QString folded = name_key(k.name);
            current = ini.section_index_.value(folded, -1);
            if (current < 0) {
                current = qint32(ini.sections_.size());
                ini.sections_.push_back({at(k.name), qint32(k.name.size()), 0});
                ini.section_index_.insert(folded, current);
            }
        } else if (k.kind == LineKind::key && current >= 0) {
            ++ini.sections_[size_t(current)].keys;
            ini.entries_.push_back({at(k.name), at(k.value), current, qint32(k.name.size()),
                                    qint32(std::min<qsizetype>(k.value.size(), max_ini_string))});
        }
    }
    // Keys are found by a sorted table of hashes; of equal names the first
    // in the file comes first.
    ini.lookup_.reserve(ini.entries_.size());
    for (size_t e = 0; e < ini.entries_.size(); ++e)
        ini.lookup_.push_back({key_hash(ini.entries_[e].section, ini.key_of(ini.entries_[e])), qint32(e)});
    std::sort(ini.lookup_.begin(), ini.lookup_.end());
    return ini;
}

std::optional<IniFile> IniFile::load(const QString& path, QString* error)
{
    if (error) error->clear();
    // A missing file is no fault: everything takes its default.
    if (!QFileInfo::exists(path)) return std::nullopt;
    QFile f;
    QString why = open_regular_file(f, path, QIODevice::ReadOnly, Links::follow);
    QByteArray bytes;
    if (why.isEmpty()) {
        bytes = f.readAll();
        if (f.error() != QFileDevice::NoError) why = f.errorString();
    }
    if (!why.isEmpty()) {
        if (error) *error = why;
        return std::nullopt;
    }
    return parse(bytes);
}

size_t IniFile::key_hash(qint32 section, QStringView key)
{
    return qHashMulti(0, section, name_key(key));
}

QStringView IniFile::key_of(const Entry& e) const
{
    return QStringView(text_).sliced(e.key_at, e.key_size);
}

qint32 IniFile::section_of(const QString& section) const
{
    return section_index_.value(name_key(section), -1);
}

const IniFile::Entry* IniFile::find(qint32 section, QStringView key) const
{
    if (section < 0) return nullptr;
    const std::pair<size_t, qint32> from{key_hash(section, key), 0};
    for (auto it = std::lower_bound(lookup_.begin(), lookup_.end(), from);
         it != lookup_.end() && it->first == from.first; ++it) {
        const Entry& e = entries_[size_t(it->second)];
        if (e.section == section && same_name(key_of(e), key)) return &e;
    }
    return nullptr;
}

bool IniFile::has_section(const QString& section) const
{
    const qint32 s = section_of(section);
    return s >= 0 && sections_[size_t(s)].keys > 0;
}

QStringList IniFile::section_names() const
{
    QStringList out;
    for (const SectionName& s : sections_)
        if (s.keys > 0) out.append(QStringView(text_).sliced(s.at, s.size).toString());
    return out;
}

QStringList IniFile::keys(const QString& section) const
{
    QStringList out;
    const qint32 s = section_of(section);
    for (const Entry& e : entries_)
        if (e.section == s && find(s, key_of(e)) == &e) out.append(key_of(e).toString());
    return out;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const
{
    if (const Entry* e = find(section_of(section), key))
        return QStringView(text_).sliced(e->value_at, e->value_size).toString();
    return std::nullopt;
}

QString IniFile::read_string(const QString& section, const QString& key, const QString& def) const
{
    return value(section, key).value_or(def);
}

int IniFile::read_int(const QString& section, const QString& key, int def) const
{
    const auto v = value(section, key);
    if (!v) return def;
    return parse_ini_int(*v).value_or(def);
}

bool IniFile::read_bool(const QString& section, const QString& key, bool def) const
{
    const auto v = value(section, key);
    if (!v) return def;
    const auto i = parse_ini_int(*v);
    return i ? *i != 0 : def;
}

std::optional<QByteArray> edit_ini_bytes(const QByteArray& original, const QString& section,
                                         const QList<QPair<QString, QString>>& values)
{
    const auto section_bytes = to_cp1250(section);
    if (!section_bytes) return std::nullopt;
    QList<RawLine> lines = split_lines(original);
    // New lines take the file's own line ending; a new file gets CR LF.
    QByteArray eol("\r\n");
    for (const RawLine& l : lines)
        if (!l.eol.isEmpty()) {
            eol = l.eol;
            break;
        }

    for (const auto& [key, value] : values) {
        const auto key_bytes = to_cp1250(key);
        const auto value_bytes = encode_value(value);
        if (!key_bytes || !value_bytes) return std::nullopt;
        const QByteArray new_line = *key_bytes + '=' + *value_bytes;
        // Find the first section of that name and the extent of its body.
        qsizetype header = -1, end = lines.size();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString line = from_cp1250(lines[i].text);
            const LineKind k = classify(line);
            if (k.kind != LineKind::section) continue;
            if (header >= 0) {
                end = i;
                break;
            }
            if (same_name(k.name, section)) header = i;
        }
        if (header < 0) {
            if (!lines.isEmpty() && lines.last().eol.isEmpty()) lines.last().eol = eol;
            lines.append({'[' + *section_bytes + ']', eol});
            lines.append({new_line, eol});
            continue;
        }
        bool replaced = false;
        qsizetype last_content = header;
        for (qsizetype i = header + 1; i < end; ++i) {
            const QString line = from_cp1250(lines[i].text);
            const LineKind k = classify(line);
            if (!lines[i].text.trimmed().isEmpty()) last_content = i;
            if (k.kind == LineKind::key && same_name(k.name, key)) {
                // Keep the key as spelled and any blanks around '=', unless
                // the value brings blanks of its own (line breaks become
                // blanks too): reading drops the blanks before a value, so a
                // value read back and written again must not gain the old
                // ones on top.
                QByteArray& text = lines[i].text;
                qsizetype cut = text.indexOf('=') + 1;
                const bool own_blanks = value_bytes->startsWith(' ') || value_bytes->startsWith('\t');
                while (!own_blanks && cut < text.size() && (text[cut] == ' ' || text[cut] == '\t'))
                    ++cut;
                text = text.left(cut) + *value_bytes;
                replaced = true;
                break;
            }
        }
        if (replaced) continue;
        // A new key goes after the last non-blank line of its section, so
        // blank lines that separate sections stay where they were.
        if (lines[last_content].eol.isEmpty()) lines[last_content].eol = eol;
        lines.insert(last_content + 1, {new_line, eol});
    }

    QByteArray out;
    out.reserve(original.size() + 64);
    for (const RawLine& l : lines)
        out += l.text + l.eol;
    return out;
}

bool write_ini_values(const QString& path, const QString& section,
                      const QList<QPair<QString, QString>>& values, QString* error)
{
    auto fail = [&] {
        if (error) *error = QString("Unable to write to %1").arg(path);
        return false;
    };
    // A link is followed, so that the link itself survives the replacement.
    const QFileInfo link(path);
    const QFileInfo fi(link.isSymLink() ? link.symLinkTarget() : path);
    const QByteArray native = QFile::encodeName(fi.absoluteFilePath());

    QByteArray original;
    struct stat st {
    };
    if (::stat(native.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return fail();
        QFile f(fi.absoluteFilePath());
        // An existing file that cannot be read must not be replaced by a
        // file that holds only the new key.
        if (!f.open(QIODevice::ReadOnly)) return fail();
        original = f.readAll();
        if (f.error() != QFileDevice::NoError) return fail();
    }

    const auto edited = edit_ini_bytes(original, section, values);
    if (!edited) return fail();
    FileReplacement out(fi.absoluteFilePath());
    if (!out.open() || !out.write(*edited) || !out.commit()) return fail();
    return true;
}

} // namespace vx
