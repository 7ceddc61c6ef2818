#include "base/tips.h"

#include "base/code_page.h"
#include "base/language.h"
#include "base/program_dir.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace vx
{
namespace
{

inline constexpr const char* tips_file = "vntip.tip";

// The tips file of the language the table was built for.
QString tips_file_of(const Language* language)
{
    if (!language || !language->language_loaded ||
        language->section.compare(QLatin1String("SLOVAK"), Qt::CaseInsensitive) == 0)
        return QLatin1String(tips_file);
    return QStringLiteral("vntip_%1.tip").arg(language->section.toLower());
}

// The file's lines without their terminators; nullopt when it cannot be read.
std::optional<QStringList> read_lines(const QString& path)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) return std::nullopt;
    QStringList lines = from_utf8_or_cp1250(f.readAll()).split('\n');
    for (QString& l : lines)
        if (l.endsWith('\r')) l.chop(1);
    return lines;
}

} // namespace

void Tips::attach(const QString& program_dir, const Language* language, const QString& data_dir)
{
    program_dir_ = program_dir;
    data_dir_ = data_dir;
    language_ = language;
}

QString Tips::path() const
{
    return find_shipped_file(tips_file_of(language_), program_dir_, data_dir_);
}

int Tips::count_day_tips()
{
    day_count = 0;
    if (const auto lines = read_lines(path()))
        for (const QString& l : *lines)
            if (l.contains("[DAY")) ++day_count;
    return day_count;
}

void Tips::language_changed()
{
    count_day_tips();
    if (last_shown.isEmpty()) return;
    const QString name = last_shown;
    last_shown.clear();
    show_tip(name);
}

QString Tips::day_tip_name(int n)
{
    return QString("DAY%1").arg(n, 3, 10, QChar('0'));
}

QString Tips::random_day_tip()
{
    int n = 0;
    if (day_count > 0) n = std::uniform_int_distribution<int>(0, day_count - 1)(rng_);
    const QString name = day_tip_name(n);
    show_tip(name);
    return name;
}

void Tips::show_tip(const QString& name)
{
    if (!showtip || name == last_shown) return;
    last_shown = name;
    const auto lines = read_lines(path());
    if (!lines) {
        if (sink) sink(language_ ? language_->mess(20) : builtin_text("MESS20"));
        return;
    }
    qsizetype i = 0;
    while (i < lines->size() && !(*lines)[i].contains(name))
        ++i;
    if (i == lines->size()) return; // no such tip: the window keeps its text
    QStringList body;
    for (++i; i < lines->size() && !(*lines)[i].contains('['); ++i)
        body.append((*lines)[i]);
    // A file that ends with a line break has one empty piece after it.
    if (i == lines->size() && !body.isEmpty() && body.last().isEmpty()) body.removeLast();
    if (sink) sink(body.join('\n'));
}

} // namespace vx
