#include "shell/qt_ui.h"

#include "shell/global.h"
#include "shell/progress_window.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace vx
{

QtUi::QtUi(Global& g, QWidget* parent) : g_(g), parent_(parent), progress_(std::make_unique<Tfrmprogress>())
{
    progress_->set_cancel_caption(g_.lang.mess(46));
    progress_->set_cancel_handler([this] { g_.link.abort(); });
}

QtUi::~QtUi() = default;

void QtUi::set_parent(QWidget* parent)
{
    parent_ = parent;
}

int QtUi::show_message(const QString& text, int buttons)
{
    if (message_showing_) return 0;
    message_showing_ = true;
    // The message window: "Info", the text, and the buttons of the set in the
    // order Cancel, OK, Yes, No.
    QMessageBox box(parent_);
    box.setObjectName("fmess");
    box.setWindowTitle(QStringLiteral("Info"));
    box.setText(QString(text).replace("\r\n", "\n").replace('\r', '\n'));
    QAbstractButton* cancel = (buttons & btn::cancel) ? box.addButton(QMessageBox::Cancel) : nullptr;
    QAbstractButton* ok = (buttons & btn::ok) ? box.addButton(QMessageBox::Ok) : nullptr;
    QAbstractButton* yes =
        (buttons & btn::yes) ? box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole) : nullptr;
    QAbstractButton* no = (buttons & btn::no) ? box.addButton(QMessageBox::No) : nullptr;
    box.exec();
    message_showing_ = false;
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == ok) return mr::ok;
    if (clicked && clicked == yes) return mr::yes;
    if (clicked && clicked == no) return mr::no;
    if (clicked && clicked == cancel) return mr::cancel;
    return mr::cancel;
}

void QtUi::plain_message(const QString& text)
{
    QMessageBox::information(parent_, QString(), text);
}

std::optional<QString> QtUi::input_box(const QString& caption, const QString& prompt, const QString& value)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(parent_, caption, prompt, QLineEdit::Normal, value, &ok);
    if (!ok) return std::nullopt;
    return answer;
}

void QtUi::progress_show(const QString& caption)
{
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
