#pragma once
// The database browser's preview pane: a read-only record text pane for
// large files. It paints only the lines in view, so a file of a million lines
// shows at once; the user may select and copy, but nothing changes the text.
#include "records/record_text.h"
#include "viewer/record_text_view.h"

#include <QString>

namespace vx
{

namespace detail
{
// Holds the text before the view that shows it is built.
struct PreviewText {
    RecordText text;
};
} // namespace detail

class TextPreview : private detail::PreviewText, public RecordTextView
{
public:
    explicit TextPreview(QWidget* parent = nullptr);

    // Shows text (lines ended by LF or CR LF) from its first line.
    void set_text(QString text);
    void clear();
    // The lines joined by '\n'.
    const QString& text() const { return PreviewText::text.text(); }
    // Lines of the text; a line end at the very end starts no further line,
    // and an empty text has none.
    qsizetype line_count() const;
    // Line i without its line end; empty outside 0..line_count()-1.
    QString line(qsizetype i) const;
};

} // namespace vx
