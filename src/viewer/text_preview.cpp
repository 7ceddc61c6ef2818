#include "viewer/text_preview.h"

namespace vx
{

TextPreview::TextPreview(QWidget* parent) : RecordTextView(PreviewText::text, parent) {}

void TextPreview::set_text(QString text)
{
    PreviewText::text.assign(std::move(text));
    text_replaced();
}

void TextPreview::clear()
{
    set_text(QString());
}

qsizetype TextPreview::line_count() const
{
    const RecordText& t = PreviewText::text;
    const qsizetype n = t.line_count();
    return n > 0 && t.line(n - 1).isEmpty() ? n - 1 : n;
}

QString TextPreview::line(qsizetype i) const
{
    if (i < 0 || i >= line_count()) return {};
    return PreviewText::text.line(i).toString();
}

} // namespace vx
