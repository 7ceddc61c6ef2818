#include "viewer/graph_properties_dialog.h"

#include "base/ui_port.h"
#include "logger/program_state.h"
#include "records/graph_model.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace vx
{

namespace
{

const char* const target_names[used_graph_colors] = {
    "Okolie Grafu",   "Vnútro grafu",      "Farba písma",  "Ľava os",       "Ľavá mriežka",
    "Časová os",      "Časová os mriežka", "Pravá os",     "Pravá mriežka", "Čiara teploty",
    "Čiara vlhkosti", "Body teploty",      "Body vlhkosti"};

const char* const point_names[3] = {"Žiadne", "Štvorce", "Krúžky"};

// The sixteen basic colours of the colour grid.
const QRgb grid_colors[16] = {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
                              qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(128, 128, 128),
                              qRgb(192, 192, 192), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
                              qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};

} // namespace

Tfgprop::Tfgprop(Global& g, QWidget* parent) : QDialog(parent), g_(g)
{
    setObjectName(QStringLiteral("fgprop"));
    setWindowTitle(QStringLiteral("Vlastnosti Grafu"));

    LBcolors = new QListWidget(this);
    LBcolors->setObjectName(QStringLiteral("LBcolors"));
    for (const char* name : target_names)
        LBcolors->addItem(QString::fromUtf8(name));
    LBcolors->setMinimumWidth(150);

    auto* grid_box = new QWidget(this);
    grid_box->setObjectName(QStringLiteral("ColorGrid1"));
    auto* grid = new QGridLayout(grid_box);
    grid->setSpacing(2);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 16; ++i) {
        auto* b = new QToolButton(grid_box);
        b->setObjectName(QStringLiteral("color%1").arg(i));
        b->setFixedSize(22, 22);
        b->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid gray;")
                             .arg(QColor(grid_colors[i]).name()));
        connect(b, &QToolButton::clicked, this, [this, i] { pick_color(QColor(grid_colors[i])); });
        grid->addWidget(b, i / 4, i % 4);
    }

    BTmore = new QPushButton(QStringLiteral("Viac farieb"), this);
    BTmore->setObjectName(QStringLiteral("BTmore"));
    connect(BTmore, &QPushButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(color_from_setting(g_.settings.colors[target()]), this);
        if (c.isValid()) pick_color(c);
    });

    panSample = new QFrame(this);
    panSample->setObjectName(QStringLiteral("panSample"));
    panSample->setFrameShape(QFrame::Box);
    panSample->setMinimumSize(90, 40);
    panSample->setAutoFillBackground(true);

    CBleft = new QComboBox(this);
    CBleft->setObjectName(QStringLiteral("CBleft"));
    CBright = new QComboBox(this);
    CBright->setObjectName(QStringLiteral("CBright"));
    for (const char* name : point_names) {
        CBleft->addItem(QString::fromUtf8(name));
        CBright->addItem(QString::fromUtf8(name));
    }
    connect(CBleft, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!loading_) set_points(true, i);
    });
    connect(CBright, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!loading_) set_points(false, i);
    });

    BTok = new QPushButton(QStringLiteral("OK"), this);
    BTok->setObjectName(QStringLiteral("BTok"));
    BTok->setDefault(true);
    connect(BTok, &QPushButton::clicked, this, &Tfgprop::accept);

    labels_[0] = new QLabel(QStringLiteral("Teplota:"), this);
    labels_[1] = new QLabel(QStringLiteral("Vlhkosť:"), this);
    labels_[2] = new QLabel(QStringLiteral("Časť grafu:"), this);
    labels_[3] = new QLabel(QStringLiteral("Farba:"), this);
    labels_[4] = new QLabel(QStringLiteral("Body:"), this);

    auto* left = new QVBoxLayout;
    left->addWidget(labels_[2]);
    left->addWidget(LBcolors, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(labels_[3]);
    right->addWidget(grid_box);
    right->addWidget(BTmore);
    right->addWidget(panSample);
    right->addWidget(labels_[4]);
    auto* points = new QGridLayout;
    points->addWidget(labels_[0], 0, 0);
    points->addWidget(CBleft, 0, 1);
    points->addWidget(labels_[1], 1, 0);
    points->addWidget(CBright, 1, 1);
    right->addLayout(points);
    right->addStretch(1);
    right->addWidget(BTok);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(right);

    connect(LBcolors, &QListWidget::currentRowChanged, this, [this] { show_sample(); });
    ChangeLanguage();
    LBcolors->setCurrentRow(0);
}

void Tfgprop::ChangeLanguage()
{
    const Language& l = g_.lang;
    if (!l.language_loaded) return;
    setWindowTitle(l.capt(140));
    BTmore->setText(l.capt(141));
    for (int i = 0; i < used_graph_colors; ++i)
        LBcolors->item(i)->setText(l.capt(142 + i));
    for (int i = 0; i < 3; ++i) {
        CBleft->setItemText(i, l.capt(155 + i));
        CBright->setItemText(i, l.capt(155 + i));
    }
    for (int i = 0; i < 5; ++i)
        labels_[i]->setText(l.label(140 + i));
}

void Tfgprop::showEvent(QShowEvent* event)
{
    load();
    QDialog::showEvent(event);
}

void Tfgprop::load()
{
    // A never-set table shows (and from now on holds) the chart's designed
    // colours, so changing one part does not turn every other part black.
    g_.settings.colors = effective_graph_colors(g_.settings.colors);
    loading_ = true;
    CBleft->setCurrentIndex(std::clamp(g_.settings.LEFTPOINTS, 0, 2));
    CBright->setCurrentIndex(std::clamp(g_.settings.RIGHTPOINTS, 0, 2));
    loading_ = false;
    show_sample();
}

void Tfgprop::select_target(int index)
{
    LBcolors->setCurrentRow(std::clamp(index, 0, used_graph_colors - 1));
}

int Tfgprop::target() const
{
    return std::clamp(LBcolors->currentRow(), 0, used_graph_colors - 1);
}

void Tfgprop::show_sample()
{
    QPalette p = panSample->palette();
    p.setColor(QPalette::Window, color_from_setting(g_.settings.colors[target()]));
    panSample->setPalette(p);
}

void Tfgprop::pick_color(const QColor& color)
{
    g_.settings.colors = effective_graph_colors(g_.settings.colors);
    g_.settings.colors[target()] = color_to_setting(color);
    show_sample();
    if (style_changed) style_changed();
}

void Tfgprop::set_points(bool left, int kind)
{
    kind = std::clamp(kind, 0, 2);
    (left ? g_.settings.LEFTPOINTS : g_.settings.RIGHTPOINTS) = kind;
    loading_ = true;
    (left ? CBleft : CBright)->setCurrentIndex(kind);
    loading_ = false;
    if (style_changed) style_changed();
}

bool Tfgprop::write_settings(QString* error)
{
    for (int i = 0; i < 20; ++i)
        if (!write_setting_int(g_.program_dir, key::GRAPH, QStringLiteral("COLOR%1").arg(i + 1),
                               g_.settings.colors[i], error))
            return false;
    return write_setting_int(g_.program_dir, key::GRAPH, key::LEFTPOINTS, g_.settings.LEFTPOINTS, error) &&
           write_setting_int(g_.program_dir, key::GRAPH, key::RIGHTPOINTS, g_.settings.RIGHTPOINTS, error);
}

void Tfgprop::accept()
{
    QString error;
    if (!write_settings(&error)) {
        if (g_.ui)
            g_.ui->plain_message(error);
        else
            QMessageBox::warning(this, QStringLiteral("Info"), error);
        return; // stays open so the user can try again
    }
    QDialog::accept();
}

} // namespace vx
