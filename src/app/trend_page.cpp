#include "app/trend_page.h"

#include "base/number_format.h"
#include "base/ui_port.h"
#include "logger/live_reading.h"
#include "logger/program_state.h"
#include "viewer/trend_chart.h"

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cmath>

namespace vx
{

namespace
{

const QColor stable_green(0, 200, 0);
const QColor unstable_grey(215, 215, 215);

// The spans of CBspan, in item order.
constexpr TrendSpan spans[] = {TrendSpan::five_minutes, TrendSpan::thirty_minutes, TrendSpan::two_hours,
                               TrendSpan::all};

// The channels of the record export, by their names there: the entry of
// their caption and the designed caption.
struct ChannelCaption {
    const char* name;
    int entry; // MENUn
    const char* caption;
};
constexpr ChannelCaption channel_captions[] = {
    {"Temperature", 170, "Teplota"},
    {"Humidity", 171, "Vlhkosť"},
    {"Air pressure", 172, "Tlak vzduchu"},
    {"Temperature 1", 173, "Teplota 1"},
    {"Temperature 2", 174, "Teplota 2"},
    {"Current", 175, "Prúd"},
    {"Pulses", 176, "Impulzy"},
    {"Level", 177, "Hladina"},
    {"Quantity", 178, "Množstvo"},
    {"Wind speed", 179, "Rýchlosť vetra"},
    {"Wind direction", 180, "Smer vetra"},
    {"Key", 181, "Kľúč"},
    {"Value", 182, "Hodnota"},
};

QString figure(double v, int decimals)
{
    return std::isnan(v) ? QStringLiteral("-") : format_fixed(v, 0, decimals);
}

void set_fill(QLabel* l, const QColor& c)
{
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, c);
    l->setPalette(pal);
}

} // namespace

TrendPage::TrendPage(Global& g, QWidget* parent) : QWidget(parent), g_(g)
{
    setObjectName("TabTrend");
    build();
    settings_changed();
}

QString TrendPage::caption(const CsvChannel& channel) const
{
    for (const ChannelCaption& c : channel_captions)
        if (channel.name == QLatin1String(c.name)) return text(&Language::menu, c.entry, c.caption);
    return channel.name; // a user calibration's own name
}

QString TrendPage::text(QString (Language::*field)(int) const, int n, const char* designed) const
{
    return g_.lang.language_loaded ? (g_.lang.*field)(n) : QString::fromUtf8(designed);
}

void TrendPage::build()
{
    auto label = [this](const char* name, const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(name);
        return l;
    };
    auto* top = new QHBoxLayout;
    LBLspan = label("LBLspan", "Rozsah:");
    CBspan = new QComboBox(this);
    CBspan->setObjectName("CBspan");
    CBspan->addItems({QStringLiteral("5 min"), QStringLiteral("30 min"), QStringLiteral("2 h"),
                      QStringLiteral("Od pripojenia")});
    CBspan->setToolTip(QStringLiteral("Zobrazený časový úsek; štatistika platí preň"));
    LBLtolerance = label("LBLtolerance", "Tolerancia:");
    EDtolerance = new QDoubleSpinBox(this);
    EDtolerance->setObjectName("EDtolerance");
    EDtolerance->setDecimals(2);
    EDtolerance->setRange(0, 10000);
    EDtolerance->setSingleStep(0.05);
    EDtolerance->setValue(0.1);
    EDtolerance->setToolTip(QStringLiteral("Najväčší rozdiel (max - min), pri ktorom je hodnota stabilná"));
    LBLstabletime = label("LBLstabletime", "počas");
    EDstabletime = new QDoubleSpinBox(this);
    EDstabletime->setObjectName("EDstabletime");
    EDstabletime->setDecimals(1);
    EDstabletime->setRange(0.1, 120);
    EDstabletime->setSingleStep(0.5);
    EDstabletime->setValue(2.0);
    EDstabletime->setToolTip(QStringLiteral("Ako dlho musí rozdiel zostať v tolerancii (minúty)"));
    LBLstableunit = label("LBLstableunit", "min");
    panstable = label("panstable", "Nestabilné");
    panstable->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panstable->setAlignment(Qt::AlignCenter);
    panstable->setMinimumWidth(90);
    panstable->setAutoFillBackground(true);
    panstable->setToolTip(QStringLiteral("Svieti, keď sú všetky veličiny stabilné"));
    set_fill(panstable, unstable_grey);
    pansession = label("pansession", "");
    BTpause = new QPushButton(QStringLiteral("Pauza"), this);
    BTpause->setObjectName("BTpause");
    BTpause->setCheckable(true);
    BTpause->setToolTip(QStringLiteral("Zastaví graf, odčítania sa ďalej zbierajú"));
    BTsavetrend = new QPushButton(QStringLiteral("Uložiť"), this);
    BTsavetrend->setObjectName("BTsavetrend");
    BTsavetrend->setToolTip(QStringLiteral("Uloží odčítania relácie ako CSV"));
    BTsavetrend->setEnabled(false);
    for (QWidget* w : std::initializer_list<QWidget*>{LBLspan, CBspan, LBLtolerance, EDtolerance,
                                                      LBLstabletime, EDstabletime, LBLstableunit, panstable})
        top->addWidget(w);
    top->addStretch(1);

    TrendChart1 = new TrendChart(g_, this);
    TrendChart1->caption = [this](const CsvChannel& c) { return caption(c); };
    TrendChart1->setToolTip(QStringLiteral("Odčítania od pripojenia zapisovača"));

    stats_grid = new QGridLayout;
    stats_grid->setHorizontalSpacing(12);
    stats_grid->setVerticalSpacing(1);
    const char* heads[] = {"Kanál", "Min", "Max", "Priemer", "Smer. odchýlka", "Stav"};
    for (int i = 0; i < 6; ++i) {
        QLabel* h = label(QByteArray("LBLstat" + QByteArray::number(i)).constData(), heads[i]);
        QFont f = h->font();
        f.setBold(true);
        h->setFont(f);
        if (i > 0) h->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        stats_grid->addWidget(h, 0, i);
        stats_heads.append(h);
    }
    // Beside the statistics: the session, wrapped, over the buttons; so the
    // page fits a window two thirds of a 1024-pixel screen wide.
    pansession->setAlignment(Qt::AlignRight | Qt::AlignTop);
    pansession->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BTpause);
    buttons->addWidget(BTsavetrend);
    auto* side = new QVBoxLayout;
    side->addWidget(pansession);
    side->addStretch(1);
    side->addLayout(buttons);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(stats_grid);
    bottom->addSpacing(8);
    bottom->addLayout(side, 1);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    v->setSpacing(3);
    v->addLayout(top);
    v->addWidget(TrendChart1, 1);
    v->addLayout(bottom);

    connect(CBspan, &QComboBox::currentIndexChanged, this, &TrendPage::settings_changed);
    connect(EDtolerance, &QDoubleSpinBox::valueChanged, this, &TrendPage::settings_changed);
    connect(EDstabletime, &QDoubleSpinBox::valueChanged, this, &TrendPage::settings_changed);
    connect(BTpause, &QPushButton::toggled, this, &TrendPage::set_pause);
    connect(BTsavetrend, &QPushButton::clicked, this, &TrendPage::save);
}

void TrendPage::ChangeLanguage(const Language& L)
{
    // Without a language section the page keeps its designed texts.
    if (!L.language_loaded) return;
    CBspan->blockSignals(true);
    for (int i = 0; i < CBspan->count(); ++i)
        CBspan->setItemText(i, L.menu(160 + i));
    CBspan->blockSignals(false);
    const QList<QLabel*> labels{LBLspan, LBLtolerance, LBLstabletime, LBLstableunit};
    for (int i = 0; i < labels.size(); ++i)
        labels[i]->setText(L.label(160 + i));
    for (int i = 0; i < stats_heads.size(); ++i)
        stats_heads[i]->setText(L.label(164 + i));
    BTsavetrend->setText(L.capt(163));
    const QList<QWidget*> hinted{TrendChart1, CBspan,      EDtolerance, EDstabletime,
                                 BTpause,     BTsavetrend, panstable};
    for (int i = 0; i < hinted.size(); ++i)
        hinted[i]->setToolTip(L.hint(160 + i));
    BTpause->setText(L.capt(trend_.paused() ? 162 : 161));
    panstable->setText(L.label(stable_ ? 170 : 171));
    build_stats_rows();
    TrendChart1->name_axes(trend_);
    schedule_refresh();
}

void TrendPage::add(const StatusView& view)
{
    const Calibration* calib = g_.calib.calib_active ? &g_.calib : nullptr;
    const LiveReading r = live_reading(view, g_.ident.type_code, g_.status.serial, calib, g_.now());
    if (r.empty()) return;
    const TrendUpdate u = trend_.add(r);
    TrendChart1->follow(trend_, u);
    if (u.rebuild) {
        build_stats_rows();
        show_pause(); // a new session is never paused
    }
    check_stable();
    if (u.redraw()) schedule_refresh();
}

void TrendPage::set_pause(bool on)
{
    if (on) {
        trend_.pause();
    } else {
        TrendChart1->follow(trend_, trend_.resume());
    }
    show_pause(); // pausing an empty trend does nothing
    check_stable();
    schedule_refresh();
}

void TrendPage::show_pause()
{
    const bool paused = trend_.paused();
    const QSignalBlocker block(BTpause);
    BTpause->setChecked(paused);
    BTpause->setText(text(&Language::capt, paused ? 162 : 161, paused ? "Pokračovať" : "Pauza"));
}

void TrendPage::settings_changed()
{
    trend_.set_span(spans[std::clamp(CBspan->currentIndex(), 0, 3)]);
    trend_.set_stability(EDtolerance->value(), EDstabletime->value() * 60);
    check_stable();
    schedule_refresh();
}

void TrendPage::check_stable()
{
    bool now = trend_.channel_count() > 0;
    for (int c = 0; now && c < trend_.channel_count(); ++c)
        now = trend_.stable(c);
    if (now == stable_) return;
    stable_ = now;
    panstable->setText(text(&Language::label, now ? 170 : 171, now ? "Stabilné" : "Nestabilné"));
    set_fill(panstable, now ? stable_green : unstable_grey);
    emit stable_changed(now);
}

void TrendPage::schedule_refresh()
{
    if (refresh_pending_) return;
    refresh_pending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            // A hidden page catches up when it is shown.
            if (!isVisible()) return;
            refresh_pending_ = false;
            refresh();
        },
        Qt::QueuedConnection);
}

void TrendPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!refresh_pending_) return;
    refresh_pending_ = false;
    refresh();
}

void TrendPage::build_stats_rows()
{
    // Rows are kept while the number of channels stays: the chart keeps its size.
    while (stats_rows.size() > trend_.channel_count())
        qDeleteAll(stats_rows.takeLast());
    const char* names[] = {"LBLch", "panmin", "panmax", "panmean", "pansd", "panstable"};
    while (stats_rows.size() < trend_.channel_count()) {
        const int c = int(stats_rows.size());
        QList<QLabel*> row;
        for (int i = 0; i < 6; ++i) {
            auto* l = new QLabel(this);
            l->setObjectName(QString::fromLatin1(names[i]) + QString::number(c + 1));
            if (i > 0) l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            stats_grid->addWidget(l, c + 1, i);
            row.append(l);
        }
        stats_rows.append(row);
    }
    for (int c = 0; c < trend_.channel_count(); ++c) {
        const CsvChannel& ch = trend_.channels()[c];
        const QString name = caption(ch);
        stats_rows[c][0]->setText(ch.unit.isEmpty() ? name : QStringLiteral("%1 [%2]").arg(name, ch.unit));
    }
}

void TrendPage::refresh()
{
    QList<TrendStats> stats;
    for (int c = 0; c < trend_.channel_count(); ++c)
        stats.append(trend_.stats(c));
    TrendChart1->redraw(trend_, stats);
    for (int c = 0; c < stats.size() && c < stats_rows.size(); ++c) {
        const TrendStats& s = stats[c];
        const int d = trend_.decimals(c);
        const QList<QLabel*>& row = stats_rows[c];
        row[1]->setText(figure(s.min, d));
        row[2]->setText(figure(s.max, d));
        row[3]->setText(figure(s.mean, d + 1));
        row[4]->setText(figure(s.sd, d + 2));
        row[5]->setText(trend_.stable(c) ? text(&Language::label, 170, "Stabilné") : QString());
    }
    if (trend_.size() == 0) {
        pansession->clear();
    } else {
        const QDateTime since = QDateTime::fromMSecsSinceEpoch(std::llround(trend_.time(0) * 1000));
        pansession->setText(text(&Language::label, 172, "Výr.č. %1 od %2, odčítaní: %3")
                                .arg(trend_.serial())
                                .arg(since.toString(QStringLiteral("d.M.yyyy hh:mm:ss")))
                                .arg(trend_.size()));
    }
    BTsavetrend->setEnabled(trend_.size() > 0);
}

bool TrendPage::save()
{
    if (trend_.size() == 0) return false;
    const QDateTime since = QDateTime::fromMSecsSinceEpoch(std::llround(trend_.time(0) * 1000));
    // Named after the page, in the language of its tab ("Priebeh", "Trend").
    QString stem = text(&Language::capt, 160, "Priebeh");
    stem.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|\\s]")), QStringLiteral("_"));
    const QString suggested = QDir(g_.settings.LOGDIR)
                                  .filePath(QStringLiteral("%1_%2_%3.csv")
                                                .arg(stem)
                                                .arg(trend_.serial())
                                                .arg(since.toString(QStringLiteral("yyyyMMdd_hhmmss"))));
    QString path = choose_file ? choose_file(suggested)
                               : QFileDialog::getSaveFileName(this, g_.lang.mess(160), suggested,
                                                              QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
    QString error;
    if (write_csv_file(path, trend_.csv(), &error)) return true;
    if (g_.ui) g_.ui->show_message(g_.lang.mess(161) + QLatin1Char('\n') + error, btn::ok);
    return false;
}

} // namespace vx
