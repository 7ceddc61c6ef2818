#include "viewer/text_preview.h"

#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <limits>

namespace vx
{

TextPreview::TextPreview(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFont(QFont(QStringLiteral("Monospace")));
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

void TextPreview::set_text(QString text)
{
    text_ = std::move(text);
    starts_.clear();
    longest_ = 0;
    const qsizetype n = text_.size();
    qsizetype pos = 0;
    while (pos < n) {
        starts_.push_back(pos);
        qsizetype nl = text_.indexOf(QLatin1Char('\n'), pos);
        const qsizetype stop = nl < 0 ? n : nl;
        longest_ = std::max(longest_, stop - pos);
        pos = stop + 1;
    }
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    update_scroll_bars();
    viewport()->update();
}

void TextPreview::clear()
{
    set_text(QString());
}

QStringView TextPreview::line_view(qsizetype i) const
{
    if (i < 0 || i >= line_count()) return {};
    const qsizetype begin = starts_[size_t(i)];
    qsizetype end = i + 1 < line_count() ? starts_[size_t(i + 1)] - 1 : text_.size();
    if (end > begin && text_[end - 1] == QLatin1Char('\n')) --end;
    if (end > begin && text_[end - 1] == QLatin1Char('\r')) --end;
    return QStringView(text_).mid(begin, end - begin);
}

QString TextPreview::line(qsizetype i) const
{
    return line_view(i).toString();
}

qsizetype TextPreview::top_line() const
{
    return verticalScrollBar()->value();
}

void TextPreview::update_scroll_bars()
{
    const QFontMetrics fm(font());
    const int rows = std::max(1, viewport()->height() / fm.lineSpacing());
    // Line counts beyond an int's range scroll no further than that.
    const qsizetype lines = std::min<qsizetype>(line_count(), std::numeric_limits<int>::max());
    verticalScrollBar()->setRange(0, int(std::max<qsizetype>(0, lines - rows)));
    verticalScrollBar()->setPageStep(rows);
    // Tabs widen a line; eight characters each is a fair guess of the width.
    const qsizetype chars = std::min<qsizetype>(longest_ + 16, 1 << 20);
    const int width = int(chars) * fm.averageCharWidth();
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(fm.averageCharWidth() * 4);
}

void TextPreview::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    update_scroll_bars();
}

void TextPreview::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.setFont(font());
    p.setPen(palette().color(QPalette::Text));
    const QFontMetrics fm(font());
    const int h = fm.lineSpacing();
    const int x = 4 - horizontalScrollBar()->value();
    const qsizetype first = top_line();
    const int rows = viewport()->height() / h + 1;
    for (int r = 0; r < rows && first + r < line_count(); ++r) {
        const QRect box(x, r * h, 1 << 24, h);
        p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextExpandTabs | Qt::TextSingleLine,
                   line_view(first + r).toString());
    }
}

} // namespace vx
