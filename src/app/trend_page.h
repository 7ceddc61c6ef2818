#pragma once
// The main window's page "Priebeh": every live reading of the poll cycle since
// the logger was connected, as a chart per channel, with the statistics of
// the visible span, the stable flag, pause and saving the session as CSV.
// The main window hands it each status view it applies (add()).
//
// A flow that must wait for steady readings (a calibration check in a
// reference bath) watches stable() and the signal stable_changed(): the flag
// is on while every channel of the session has stayed within the tolerance
// (EDtolerance, default 0.1 in the channel's unit) for the settling time
// (EDstabletime, default 2 min). The flag holds while the page is paused.
#include "logger/trend.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QGridLayout;
class QLabel;
class QPushButton;

namespace vx
{

struct Global;
class Language;
struct StatusView;
class TrendChart;

class TrendPage : public QWidget
{
    Q_OBJECT
public:
    explicit TrendPage(Global& g, QWidget* parent = nullptr);

    // Takes the live values of one status view (of the logger in g: its
    // model, serial number, user calibration and the computer's clock). A
    // view without live values changes nothing. The chart and the figures
    // follow once per pass of the event loop, and only while shown.
    void add(const StatusView& view);

    const Trend& trend() const { return trend_; }
    bool stable() const { return stable_; }

    // "Uložiť": the save dialog, then the session as CSV; false when
    // cancelled or not written (the reason shown through the message window).
    bool save();
    // The save dialog: the file chosen, empty for cancel. When unset the
    // standard file dialog asks.
    std::function<QString(const QString& suggested)> choose_file;

    // Captions, hints, labels and span items from the language table.
    void ChangeLanguage(const Language& L);

signals:
    // The stable flag turned on (true) or off (false).
    void stable_changed(bool stable);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void set_pause(bool on);
    // BTpause as the trend is: pressed and "Pokračovať" while paused.
    void show_pause();
    void settings_changed();
    // The stable flag of the newest readings; emits stable_changed on a change.
    void check_stable();
    // The chart and the figures of the visible span, when shown.
    void schedule_refresh();
    void refresh();
    void build_stats_rows();
    // A text of the language table when a section was loaded, else the designed one.
    QString text(QString (Language::*field)(int) const, int n, const char* designed) const;
    // The name of a channel as the page and the chart show it.
    QString caption(const CsvChannel& channel) const;

    Global& g_;
    Trend trend_;
    bool stable_ = false;
    bool refresh_pending_ = false;

public:
    // Controls (objectName = member name).
    TrendChart* TrendChart1 = nullptr;
    QLabel *LBLspan = nullptr, *LBLtolerance = nullptr, *LBLstabletime = nullptr, *LBLstableunit = nullptr;
    QComboBox* CBspan = nullptr;
    QDoubleSpinBox *EDtolerance = nullptr, *EDstabletime = nullptr;
    QLabel *panstable = nullptr, *pansession = nullptr;
    QPushButton *BTpause = nullptr, *BTsavetrend = nullptr;
    QGridLayout* stats_grid = nullptr;
    // Column heads, then a row per channel: name, min, max, mean, sd, stable
    // (objectNames LBLch1, panmin1, panmax1, panmean1, pansd1, panstable1, ...).
    QList<QLabel*> stats_heads;
    QList<QList<QLabel*>> stats_rows;
};

} // namespace vx
