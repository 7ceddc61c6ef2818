#pragma once
// A read-only text pane for large files: it keeps the text and an index of
// its line starts and paints only the lines in view, so that a file of a
// million lines shows at once.
#include <QAbstractScrollArea>
#include <QString>
#include <vector>

namespace vx
{

class TextPreview : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TextPreview(QWidget* parent = nullptr);

    // Shows text (lines ended by LF or CR LF) from its first line.
    void set_text(QString text);
    void clear();
    const QString& text() const { return text_; }
    qsizetype line_count() const { return qsizetype(starts_.size()); }
    // Line i without its line end; empty outside 0..line_count()-1.
    QString line(qsizetype i) const;
    // The first line in view.
    qsizetype top_line() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QStringView line_view(qsizetype i) const;
    void update_scroll_bars();

    QString text_;
    std::vector<qsizetype> starts_; // start of every line in text_
    qsizetype longest_ = 0;         // characters of the longest line
};

} // namespace vx
