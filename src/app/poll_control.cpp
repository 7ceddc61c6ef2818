#include "app/poll_control.h"

#include "logger/poll.h"

#include <QTimer>

namespace vx
{

PollControl::PollControl(Global& g, LoggerDisplay& display, QObject* parent)
    : QObject(parent), cycle_(std::make_unique<PollCycle>(g, display))
{
    timer_ = new QTimer(this);
    timer_->setObjectName("Timer1");
    timer_->setInterval(700);
    connect(timer_, &QTimer::timeout, this, [this] { cycle_->tick(); });
}

PollControl::~PollControl() = default;

void PollControl::stop()
{
    const bool was_running = timer_->isActive();
    timer_->stop();
    if (was_running) cycle_->settle();
}

void PollControl::start()
{
    timer_->start();
}

bool PollControl::running() const
{
    return timer_->isActive();
}

} // namespace vx
