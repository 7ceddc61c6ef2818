#include "app/progress_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vx
{

Tfrmprogress::Tfrmprogress(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("frmprogress");
    auto* lay = new QVBoxLayout(this);
    label_ = new QLabel(this);
    label_->setObjectName("Label1");
    bar_ = new QProgressBar(this);
    bar_->setObjectName("ProgressBar1");
    bar_->setRange(0, 100);
    log_ = new QPlainTextEdit(this);
    log_->setObjectName("Memo1");
    log_->setReadOnly(true);
    log_->setMinimumHeight(90);
    cancel_ = new QPushButton(QStringLiteral("&Zrušiť"), this);
    cancel_->setObjectName("btcancel");
    cancel_->setDefault(true);
    lay->addWidget(label_);
    lay->addWidget(bar_);
    lay->addWidget(log_, 1);
    lay->addWidget(cancel_, 0, Qt::AlignHCenter);
    resize(320, 220);
    connect(cancel_, &QPushButton::clicked, this, &Tfrmprogress::cancel);
}

void Tfrmprogress::set_cancel_caption(const QString& caption)
{
    cancel_->setText(caption);
}

void Tfrmprogress::start(const QString& caption)
{
    setWindowTitle(caption);
    label_->clear();
    log_->clear();
    bar_->setRange(0, 100);
    bar_->setValue(0);
    show();
    raise();
    cancel_->setFocus();
}

void Tfrmprogress::set_label(const QString& text)
{
    label_->setText(text);
}
void Tfrmprogress::set_range(int maximum)
{
    bar_->setRange(0, maximum > 0 ? maximum : 1);
}
void Tfrmprogress::set_position(int position)
{
    bar_->setValue(qBound(bar_->minimum(), position, bar_->maximum()));
}
void Tfrmprogress::log(const QString& line)
{
    log_->appendPlainText(line);
}
void Tfrmprogress::clear_log()
{
    log_->clear();
}

void Tfrmprogress::cancel()
{
    if (on_cancel_) on_cancel_();
    hide();
}

void Tfrmprogress::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace vx
