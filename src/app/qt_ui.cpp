#include "app/qt_ui.h"

#include "app/message_window.h"
#include "app/progress_window.h"
#include "app/window_placement.h"
#include "logger/program_state.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace vx
{

QtUi::QtUi(Global& g, QWidget* parent) : g_(g), parent_(parent), progress_(new Tfrmprogress)
{
    progress_->set_cancel_handler([this] { g_.link.abort(); });
    if (parent) set_parent(parent);
}

QtUi::~QtUi()
{
    if (fmess_ && !fmess_->parent()) delete fmess_;
    if (progress_ && !progress_->parent()) delete progress_;
}

void QtUi::set_parent(QWidget* parent)
{
    parent_ = parent;
    if (fmess_ && !fmess_->parent()) {
        delete fmess_;
        fmess_ = nullptr;
    }
    // A window of the program's, not one of its own at the screen's corner.
    if (progress_ && parent) progress_->setParent(parent, progress_->windowFlags());
}

int QtUi::show_message(const QString& text, int buttons, int default_result)
{
    if (!fmess_) fmess_ = new Tfmess(parent_);
    return fmess_->show_message(text, buttons, default_result);
}

void QtUi::plain_message(const QString& text)
{
    QMessageBox::information(parent_, QString(), text);
}

std::optional<QString> QtUi::input_box(const QString& caption, const QString& prompt, const QString& value)
{
    bool ok = false;
    QString lines = prompt;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QString answer = QInputDialog::getText(parent_, caption, lines, QLineEdit::Normal, value, &ok);
    if (!ok) return std::nullopt;
    return answer;
}

void QtUi::progress_show(const QString& caption)
{
    // Above a modal dialog (mission start, setup) the window has to be modal
    // as well, or its cancel button would take no click.
    if (progress_->isHidden()) {
        progress_->setWindowModality(QApplication::activeModalWidget() ? Qt::ApplicationModal : Qt::NonModal);
        place_over(progress_, parent_);
    }
    // The language table is built after this window: its button text is
    // taken when the window is shown.
    if (g_.lang.language_loaded) progress_->set_cancel_caption(g_.lang.mess(46));
    progress_->start(caption);
}
void QtUi::progress_hide()
{
    progress_->hide();
}
void QtUi::progress_label(const QString& text)
{
    progress_->set_label(text);
}
void QtUi::progress_range(int maximum)
{
    progress_->set_range(maximum);
}
void QtUi::progress_position(int position)
{
    progress_->set_position(position);
}
void QtUi::progress_log(const QString& line)
{
    progress_->log(line);
}
void QtUi::progress_clear_log()
{
    progress_->clear_log();
}

} // namespace vx
