#pragma once
// The tab strip of the main window (PageControl1): what the attached logger
// says about itself on the pages "Obecné", "Aktuálne hodnoty", "Misia" and
// "Podmienky", the page "Graf" with the controls the record viewers read
// when they draw, and the trend page. A decoded status reaches the pages
// through apply().
#include "records/graph_model.h"

#include <QTabWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QSpinBox;
class QToolBar;

namespace vx
{

class Language;
struct StatusView;

class LoggerPages : public QTabWidget
{
    Q_OBJECT
public:
    // Page indexes, in tab order.
    enum Page { page_global, page_actual, page_mission, page_conditions, page_graph, page_trend };

    explicit LoggerPages(QWidget* parent = nullptr);

    // Adds the trend page after "Graf". While it is shown the tab strip asks
    // for as much height as it can get (expanded_changed tells the frame).
    void add_trend_page(QWidget* page);

    // The tool bar of "Graf": the main window's graph commands.
    void set_graph_actions(const QList<QAction*>& actions);

    // Every set control of the view takes its text, hint, colour, check and
    // visibility; the conditions page and the mission timing fields show or
    // hide. The window title and the adaptations of other windows are the
    // main window's.
    void apply(const StatusView& view);
    // Empties the value panels (the logger is gone).
    void clear_panels();
    // The mission name in both name panels.
    void show_mission_name(const QString& name);

    // The graph page as the record viewers read it when they draw.
    GraphControls graph_controls() const;

    // The graph page's axis units, and with a language section loaded the
    // captions, hints and labels of the pages and the graph spans, from the
    // language table.
    void ChangeLanguage(const Language& L);

signals:
    // After every change of the graph page's controls.
    void graph_changed();
    // The trend page was shown (true) or left (false).
    void expanded_changed(bool expanded);

private:
    QWidget* build_global();
    QWidget* build_actual();
    QWidget* build_mission();
    QWidget* build_conditions();
    QWidget* build_graph();
    void add_page(QWidget* page, const QString& caption);
    void connect_graph_controls();

public:
    // Controls, named as in the window layout (objectName = member name).
    QWidget *tab_global = nullptr, *tab_actual = nullptr, *tab_mission = nullptr, *tab_conditions = nullptr,
            *tab_graph = nullptr;
    // "Obecné"
    QLabel *PanTime = nullptr, *LBLsn = nullptr, *pansn = nullptr, *LBLbat = nullptr, *panbat = nullptr;
    QLabel *LBLtype = nullptr, *pantype = nullptr, *LBLname = nullptr, *Panmisname = nullptr,
           *LBLnewrec = nullptr, *PannewRec = nullptr;
    // "Aktuálne hodnoty"
    QLabel *LBLaktval = nullptr, *pantemp = nullptr, *LBLunit1 = nullptr;
    QWidget* BevelHumi = nullptr;
    QLabel *LBLhumi = nullptr, *panhumi = nullptr, *LBLunit2 = nullptr, *panIBname = nullptr,
           *PanTempFahren = nullptr;
    // "Misia"
    QLabel *LBLname2 = nullptr, *panmisname2 = nullptr;
    QCheckBox *CHKmission = nullptr, *CHKroll = nullptr;
    QLabel *LBLstart = nullptr, *Panel3 = nullptr, *LBLdelay = nullptr, *PANdelay = nullptr;
    QLabel *LBLperiod = nullptr, *PanPeriod = nullptr, *LBLperiodunit = nullptr, *LBLptr = nullptr,
           *panptr = nullptr;
    // "Podmienky"
    QLabel *LBLgrad = nullptr, *PanGrad = nullptr, *LBLgradunit = nullptr;
    QGroupBox* Hranice = nullptr;
    QLabel *LBLlo = nullptr, *panLo = nullptr, *LBLhi = nullptr, *PanHI = nullptr;
    QCheckBox* chkpriemer = nullptr;
    // "Graf"
    QToolBar* ToolBar2 = nullptr;
    QCheckBox* DateTimePicker1Check = nullptr;
    QDateEdit* DateTimePicker1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel *LBLtempaxis = nullptr, *LBLhumiaxis = nullptr;
    QSpinBox *SpinEdit1 = nullptr, *SpinEdit2 = nullptr, *SpinEdit3 = nullptr, *SpinEdit4 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
};

} // namespace vx
