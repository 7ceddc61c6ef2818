#pragma once
// The texts of modified record viewers kept when the program had to end
// without anyone to ask about them (SIGTERM, SIGHUP): one file,
// "vorlanix-kept.json", in the program directory, offered again at the next
// start.
#include <QList>
#include <QString>

namespace vx
{

struct KeptText {
    QString caption;   // the viewer's caption
    QString file_name; // the file its save proposes
    QString text;
    bool operator==(const KeptText&) const = default;
};

// Writes the texts in one replacement of the file; false, with error set
// when given, when it cannot.
bool write_kept_texts(const QString& program_dir, const QList<KeptText>& texts, QString* error = nullptr);
// The texts the last run kept; empty without a file or with one that is not readable.
QList<KeptText> read_kept_texts(const QString& program_dir);
// Removes the file; true when none is left.
bool remove_kept_texts(const QString& program_dir);
// The file's path.
QString kept_texts_path(const QString& program_dir);

} // namespace vx
