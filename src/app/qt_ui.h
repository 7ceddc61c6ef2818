#pragma once
// The user-interface port built from widgets: the message window, plain
// message boxes, input boxes and the shared progress window.
#include "app/progress_window.h"
#include "base/ui_port.h"

#include <QPointer>
#include <QWidget>
#include <memory>

namespace vx
{

struct Global;
class Tfrmprogress;
class Tfmess;

class QtUi : public UiPort
{
public:
    // parent is the window the dialogs belong to (may be set later).
    explicit QtUi(Global& g, QWidget* parent = nullptr);
    ~QtUi() override;

    // The window the dialogs belong to: the progress window becomes its tool
    // window and opens over it.
    void set_parent(QWidget* parent);
    Tfrmprogress* progress() const { return progress_; }

    int show_message(const QString& text, int buttons, int default_result = 0) override;
    void plain_message(const QString& text) override;
    std::optional<QString> input_box(const QString& caption, const QString& prompt,
                                     const QString& value) override;

    void progress_show(const QString& caption) override;
    void progress_hide() override;
    void progress_label(const QString& text) override;
    void progress_range(int maximum) override;
    void progress_position(int position) override;
    void progress_log(const QString& line) override;
    void progress_clear_log() override;

private:
    Global& g_;
    QPointer<QWidget> parent_;
    QPointer<Tfrmprogress> progress_; // a tool window; the parent's child once there is one
    QPointer<Tfmess> fmess_;          // the message window, made on first use
};

} // namespace vx
