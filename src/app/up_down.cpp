#include "app/up_down.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace vx
{

UpDown::UpDown(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    for (QToolButton* b : {up_, down_}) {
        b->setFixedSize(16, 11);
        b->setFocusPolicy(Qt::NoFocus);
        lay->addWidget(b);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void UpDown::associate(QLineEdit* edit, int minimum, int maximum, int increment)
{
    edit_ = edit;
    min_ = minimum;
    max_ = maximum;
    inc_ = increment;
}

void UpDown::step(int direction)
{
    if (edit_) {
        bool ok = false;
        const int typed = edit_->text().trimmed().toInt(&ok);
        if (ok) position_ = typed;
        position_ = qBound(min_, position_ + direction * inc_, max_);
        edit_->setText(QString::number(position_));
    }
    emit stepped(direction);
}

} // namespace vx
