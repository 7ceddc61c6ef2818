#pragma once
// Download marks: for each mission name, the ring position up to which its
// records have been fetched. Kept per user in the system's persistent store
// (organisation "VORLANIX"), one integer per mission name.
#include <QString>

namespace vx
{

class MarkStore
{
public:
    // The mark of a mission; -1 when none has been stored.
    int read_mark(const QString& mission_name) const;
    // Stores the mark of a mission; false when the store cannot be written,
    // and then, when error is given, "<store file>: <reason>".
    bool write_mark(const QString& mission_name, int mark, QString* error = nullptr);
    // Forgets the mark of a mission; false, as write_mark, when the store
    // cannot be written.
    bool remove_mark(const QString& mission_name, QString* error = nullptr);

    // The store key of a mission name: the name itself, with '%', '/' and '\'
    // written as "%XX" (the store reads them as group separators), the
    // characters U+0080..U+009F (bytes of a logger's name that the code page
    // leaves undefined) as "%XX" too, and "%20" for an empty name.
    static QString key_for(const QString& mission_name);
};

} // namespace vx
