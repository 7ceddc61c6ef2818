#pragma once
// The multiple-document area of the main window (MDIClient): the record
// viewers, where each opens, which one is active, and the commands the main
// window's actions send to it.
#include <QMdiArea>
#include <functional>

namespace vx
{

struct Global;
class TEditForm;

class ViewerArea : public QMdiArea
{
    Q_OBJECT
public:
    explicit ViewerArea(Global& g, QWidget* parent = nullptr);
    ~ViewerArea() override;

    // What every viewer gets before it is shown (the main window's graph
    // page, printer and report window).
    std::function<void(TEditForm*)> prepare;

    // Adds a viewer. It opens wholly inside the area at its designed size,
    // as far as there is room; maximised with PANMAXIMIZE or when the area is
    // too small to read it otherwise.
    void add_viewer(TEditForm* viewer);
    // A new viewer in the area holding text, captioned caption (empty: the
    // viewer's own "Untitled"); it proposes the file last chosen in the open
    // dialog when saved.
    TEditForm* new_viewer(const QString& caption = {}, const QString& text = {});
    void set_last_open_file(const QString& path) { last_open_file_ = path; }
    // Opens a record text file in a new viewer: first line "TEXT FILE:" and
    // the file name, not modified, captioned with the bare file name, drawn.
    // A file that cannot be read is reported with the reason; nullptr then.
    TEditForm* open_text_file(const QString& path);

    // The active viewer's sub-window; when none is active (the main window
    // itself lacks focus) the one opened last; nullptr without viewers.
    QMdiSubWindow* current_subwindow() const;
    TEditForm* current_viewer() const;
    // Every viewer of the area, in the order they were opened.
    QList<TEditForm*> viewers() const;
    // The viewers' texts after a change of language, their windows' system
    // menus (Qt names them once, when it makes them) included; viewers still
    // captioned untitled_before (the "Untitled" of the language before) take
    // the new one.
    void ChangeLanguage(const QString& untitled_before = {});
    // Sends a command to the active viewer; false when there is none or it
    // does not know the command. The viewer takes parameter 1 only.
    bool send_command(int code, int parameter = 1);

    // "Vedľa seba" (one column per viewer) and "Pod seba" (one row each).
    void tile(bool side_by_side);
    // Puts the active viewer's chart in front: the viewer shown and active,
    // its chart given room beside the text, drawn whole. false without viewers.
    bool bring_chart_forward();
    // Asks about every modified viewer in turn; false when the user keeps one.
    bool query_close_all();

signals:
    // A viewer opened or closed: whether any is left.
    void viewers_changed(bool any);

private:
    void place(QMdiSubWindow* sub, const QSize& designed);

    Global& g_;
    QString last_open_file_;
    QObject watcher_;
};

} // namespace vx
