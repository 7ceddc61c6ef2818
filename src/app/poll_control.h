#pragma once
// The poll timer of the main window (Timer1, every 700 ms) and the poll
// cycle it drives. Actions that talk to the logger stop it first and start
// it again when they are done.
#include <QObject>
#include <memory>

class QTimer;

namespace vx
{

struct Global;
class LoggerDisplay;
class PollCycle;

class PollControl : public QObject
{
public:
    PollControl(Global& g, LoggerDisplay& display, QObject* parent = nullptr);
    ~PollControl() override;

    QTimer* timer() const { return timer_; }
    PollCycle* cycle() const { return cycle_.get(); }

    // Stops the timer. A request the last tick sent may still be answered:
    // its reply is let end and dropped, so the next exchange does not take
    // it for its own.
    void stop();
    void start();
    bool running() const;

private:
    QTimer* timer_ = nullptr;
    std::unique_ptr<PollCycle> cycle_;
};

} // namespace vx
