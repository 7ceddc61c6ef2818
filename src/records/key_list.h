#pragma once
// The identification-key list "kluce.txt" beside the program: which person
// or place an iButton key number stands for.
#include <QString>

namespace vx
{

// The key list "kluce.txt" (code page 1250): after the line "[IDKEY]", lines
// of the form number "," name.
class KeyList
{
public:
    enum Result {
        found = 0,
        no_file = 1,
        no_section = 2, // no "[IDKEY]" line
        not_listed = 3,
    };
    explicit KeyList(QString path) : path_(std::move(path)) {}

    // Looks up key; on found, name receives everything after the first comma.
    Result lookup(int key, QString* name) const;
    // Appends the line key "," name (CR LF), writing "[IDKEY]" first when the
    // file or that line is missing. False when the file cannot be written.
    bool append(int key, const QString& name) const;

private:
    QString path_;
};

} // namespace vx
