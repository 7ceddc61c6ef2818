#include "viewer/database_browser.h"

#include "base/code_page.h"
#include "base/settings.h"
#include "base/ui_port.h"
#include "logger/program_state.h"
#include "records/record_file.h"
#include "records/record_source.h"
#include "viewer/digest_note.h"
#include "viewer/file_list.h"
#include "viewer/record_viewer.h"
#include "viewer/text_preview.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vx
{

namespace
{

std::optional<QString> read_text_file(const QString& path, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = f.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        *error = f.errorString();
        return std::nullopt;
    }
    return from_cp1250(bytes);
}

// The file a viewer proposes when saved: the record file itself for the
// whole file, a new name beside it for a filtered view or flow totals.
QString proposed_file(const QString& path, DatabaseView::Kind kind)
{
    if (kind == DatabaseView::Kind::whole) return path;
    const QFileInfo info(path);
    const char* suffix = kind == DatabaseView::Kind::flow ? " prietok.txt" : " filter.txt";
    return info.dir().filePath(info.completeBaseName() + QLatin1String(suffix));
}

QLabel* value_label(QWidget* parent, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setMinimumWidth(110);
    return l;
}

} // namespace

Tfrmopenbase::Tfrmopenbase(Global& g, QWidget* parent) : QWidget(parent, Qt::Window), g_(g)
{
    setObjectName(QStringLiteral("frmopenbase"));
    setWindowTitle(QStringLiteral("Otvoriť databázu"));

    auto* top = new QHBoxLayout;
    auto* recent_caption = new QLabel(QStringLiteral("Posledné súbory:"), this);
    cmbrecfiles = new QComboBox(this);
    cmbrecfiles->setObjectName(QStringLiteral("cmbrecfiles"));
    cmbrecfiles->setMinimumWidth(180);
    chkprev = new QCheckBox(QStringLiteral("Náhľad"), this);
    chkprev->setObjectName(QStringLiteral("chkprev"));
    chkstat = new QCheckBox(QStringLiteral("Štatistika"), this);
    chkstat->setObjectName(QStringLiteral("chkstat"));
    top->addWidget(recent_caption);
    top->addWidget(cmbrecfiles, 1);
    top->addWidget(chkprev);
    top->addWidget(chkstat);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(build_files_page(), QStringLiteral("Súbory"));
    PageControl1->addTab(build_filter_page(), QStringLiteral("Filter"));

    // Statistics panel.
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->setSpacing(2);
    auto* stats = new QGridLayout;
    panel->addLayout(stats);
    stats->setContentsMargins(4, 2, 4, 2);
    stats->setVerticalSpacing(1);
    // Captions the language table replaces: the statistics, the recent list, the mask.
    const char* const stat_captions[5] = {"Záznamov:", "Od času:", "Do:", "Maximum:", "Minimum:"};
    for (const char* c : stat_captions)
        captions_ << new QLabel(QString::fromUtf8(c), Panel1);
    captions_ << recent_caption << findChild<QLabel*>(QStringLiteral("LBLmask"));
    lblnumlines = value_label(Panel1, "lblnumlines");
    LBLmintime = value_label(Panel1, "LBLmintime");
    LBLmaxtime = value_label(Panel1, "LBLmaxtime");
    LBLmaxval = value_label(Panel1, "LBLmaxval");
    LBLminval = value_label(Panel1, "LBLminval");
    pgbar = new QProgressBar(Panel1);
    pgbar->setObjectName(QStringLiteral("pgbar"));
    pgbar->setTextVisible(false);
    pgbar->setMaximumHeight(12);
    stats->addWidget(captions_[0], 0, 0);
    stats->addWidget(lblnumlines, 0, 1);
    stats->addWidget(captions_[1], 1, 0);
    stats->addWidget(LBLmintime, 1, 1);
    stats->addWidget(captions_[2], 2, 0);
    stats->addWidget(LBLmaxtime, 2, 1);
    stats->addWidget(captions_[3], 0, 2);
    stats->addWidget(LBLmaxval, 0, 3);
    stats->addWidget(captions_[4], 1, 2);
    stats->addWidget(LBLminval, 1, 3);
    stats->addWidget(pgbar, 2, 2, 1, 2);
    stats->setColumnStretch(1, 1);
    stats->setColumnStretch(3, 1);
    TBsummary = new QTableWidget(Panel1);
    TBsummary->setObjectName(QStringLiteral("TBsummary"));
    TBsummary->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TBsummary->setSelectionMode(QAbstractItemView::ContiguousSelection);
    TBsummary->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    TBsummary->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TBsummary->setVisible(false);
    panel->addWidget(TBsummary);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        stpanels[i] = new QLabel(StatusBar1);
        stpanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusBar1->addWidget(stpanels[i], i == 0 ? 1 : 0);
    }
    // Shown only for a selected file that is no longer as the program left it.
    LBLdigest = new QLabel(StatusBar1);
    LBLdigest->setObjectName(QStringLiteral("LBLdigest"));
    LBLdigest->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    LBLdigest->setVisible(false);
    StatusBar1->insertWidget(1, LBLdigest);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addLayout(top);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(Panel1);
    layout->addWidget(StatusBar1);

    connect(chkstat, &QCheckBox::toggled, this, [this](bool on) {
        show_statistics(on);
        write_switch(key::MAKESTAT, on);
        if (on) count_selected();
    });
    connect(chkprev, &QCheckBox::toggled, this, [this](bool on) { write_switch(key::MAKEPREVIEW, on); });
    connect(cmbrecfiles, &QComboBox::activated, this, [this](int index) { choose_recent(index); });

    // Creation: directory, mask, date, recent list.
    FExplorer->set_directory(log_dir(g_.settings.LOGDIR, g_.program_dir));
    FExplorer->set_mask(cmbfilter->itemText(0));
    // Entries are full paths; older settings hold bare names of files in LOG.
    const QDir log(log_dir(g_.settings.LOGDIR, g_.program_dir));
    for (const QString& entry : read_recent_bases(g_.program_dir))
        if (const QString path = QDir::cleanPath(log.absoluteFilePath(entry)); !recent_.contains(path))
            recent_.append(path);
    show_recent();
    cmbrecfiles->setCurrentIndex(-1);
    ChangeLanguage();
    // A window made with a language section starts with these choices.
    if (g_.lang.language_loaded) {
        RGafterItems->button(0)->setChecked(true);
        RGdobaItems->button(3)->setChecked(true);
    }
    resize(780, 600);
}

QWidget* Tfrmopenbase::build_files_page()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabFiles"));
    auto* row = new QHBoxLayout;
    BTup = new QPushButton(QStringLiteral("O úroveň vyššie"), page);
    BTup->setObjectName(QStringLiteral("BTup"));
    BTdir = new QPushButton(QStringLiteral("Adresár..."), page);
    BTdir->setObjectName(QStringLiteral("BTdir"));
    auto* mask_caption = new QLabel(QStringLiteral("Maska:"), page);
    mask_caption->setObjectName(QStringLiteral("LBLmask"));
    cmbfilter = new QComboBox(page);
    cmbfilter->setObjectName(QStringLiteral("cmbfilter"));
    cmbfilter->setEditable(true);
    cmbfilter->setInsertPolicy(QComboBox::NoInsert);
    cmbfilter->addItems({QStringLiteral("*.txt"), QStringLiteral("*.*")});
    cmbfilter->setCurrentIndex(0);
    chkprietok = new QCheckBox(QStringLiteral("Prietok"), page);
    chkprietok->setObjectName(QStringLiteral("chkprietok"));
    row->addWidget(BTup);
    row->addWidget(BTdir);
    row->addSpacing(8);
    row->addWidget(mask_caption);
    row->addWidget(cmbfilter);
    row->addStretch(1);
    row->addWidget(chkprietok);

    FExplorer = new FileList(page);
    FExplorer->setObjectName(QStringLiteral("FExplorer"));
    memo1 = new TextPreview(page);
    memo1->setObjectName(QStringLiteral("memo1"));
    auto* split = new QSplitter(Qt::Horizontal, page);
    split->addWidget(FExplorer);
    split->addWidget(memo1);
    split->setSizes({330, 400});

    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(2, 2, 2, 2);
    v->addLayout(row);
    v->addWidget(split, 1);

    connect(FExplorer, &FileList::selection_changed, this, [this] { preview(true); });
    connect(FExplorer, &FileList::file_activated, this, [this] {
        preview(true);
        make();
    });
    connect(BTup, &QPushButton::clicked, FExplorer, &FileList::go_up);
    connect(BTdir, &QPushButton::clicked, this, [this] {
        const QString dir = ask_directory
                                ? ask_directory(g_.program_dir)
                                : QFileDialog::getExistingDirectory(this, QString(), g_.program_dir);
        if (!dir.isEmpty()) FExplorer->set_directory(dir);
    });
    connect(cmbfilter->lineEdit(), &QLineEdit::returnPressed, this, [this] { set_mask_from_box(true); });
    connect(cmbfilter, &QComboBox::textActivated, this, [this] { set_mask_from_box(false); });
    return page;
}

QWidget* Tfrmopenbase::build_filter_page()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabFilter"));
    auto* grid = new QGridLayout(page);

    CHKhitemp = new QCheckBox(QStringLiteral("Len teploty nad"), page);
    CHKhitemp->setObjectName(QStringLiteral("CHKhitemp"));
    EDhi = new QLineEdit(QStringLiteral("0"), page);
    EDhi->setObjectName(QStringLiteral("EDhi"));
    CHKLotemp = new QCheckBox(QStringLiteral("Len teploty pod"), page);
    CHKLotemp->setObjectName(QStringLiteral("CHKLotemp"));
    EDLO = new QLineEdit(QStringLiteral("0"), page);
    EDLO->setObjectName(QStringLiteral("EDLO"));
    EDhi->setEnabled(false);
    EDLO->setEnabled(false);

    DTpickerCheck = new QCheckBox(page);
    DTpickerCheck->setObjectName(QStringLiteral("DTpickerCheck"));
    DTpicker = new QDateEdit(g_.now().date(), page);
    DTpicker->setObjectName(QStringLiteral("DTpicker"));
    DTpicker->setCalendarPopup(true);
    DTpicker->setDisplayFormat(QStringLiteral("d.M.yyyy"));
    DTpicker->setEnabled(false);

    auto radio_group = [page](const char* name, const QString& title, const QStringList& items, int checked,
                              QButtonGroup** buttons) {
        auto* box = new QGroupBox(title, page);
        box->setObjectName(name);
        auto* v = new QVBoxLayout(box);
        *buttons = new QButtonGroup(box);
        for (int i = 0; i < items.size(); ++i) {
            auto* r = new QRadioButton(items[i], box);
            r->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
            (*buttons)->addButton(r, i);
            v->addWidget(r);
        }
        (*buttons)->button(checked)->setChecked(true);
        box->setEnabled(false);
        return box;
    };
    RGafter = radio_group("RGafter", QStringLiteral("Smer"),
                          {QStringLiteral("Do vybraného dňa"), QStringLiteral("Od vybraného dňa")}, 0,
                          &RGafterItems);
    RGdoba = radio_group("RGdoba", QStringLiteral("Doba"),
                         {QStringLiteral("Hodiny"), QStringLiteral("Dni"), QStringLiteral("Týždne"),
                          QStringLiteral("Mesiace")},
                         2, &RGdobaItems);
    SPdoba = new QSpinBox(page);
    SPdoba->setObjectName(QStringLiteral("SPdoba"));
    SPdoba->setRange(0, 100);
    SPdoba->setValue(1);
    SPdoba->setEnabled(false);

    grid->addWidget(CHKhitemp, 0, 0);
    grid->addWidget(EDhi, 0, 1);
    grid->addWidget(CHKLotemp, 1, 0);
    grid->addWidget(EDLO, 1, 1);
    auto* date_row = new QHBoxLayout;
    date_row->addWidget(DTpickerCheck);
    date_row->addWidget(DTpicker);
    date_row->addWidget(SPdoba);
    date_row->addStretch(1);
    grid->addLayout(date_row, 2, 0, 1, 2);
    grid->addWidget(RGafter, 3, 0);
    grid->addWidget(RGdoba, 3, 1);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(2, 1);

    connect(DTpickerCheck, &QCheckBox::toggled, this, [this](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(DTpicker), static_cast<QWidget*>(RGafter),
                           static_cast<QWidget*>(RGdoba), static_cast<QWidget*>(SPdoba)})
            w->setEnabled(on);
    });
    connect(CHKhitemp, &QCheckBox::toggled, EDhi, &QWidget::setEnabled);
    connect(CHKLotemp, &QCheckBox::toggled, EDLO, &QWidget::setEnabled);
    return page;
}

void Tfrmopenbase::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    const QSignalBlocker b1(chkprev), b2(chkstat);
    chkprev->setChecked(read_makepreview(g_.program_dir));
    chkstat->setChecked(read_makestat(g_.program_dir));
    show_statistics(chkstat->isChecked());
}

void Tfrmopenbase::show_statistics(bool on)
{
    Panel1->setVisible(on);
}

void Tfrmopenbase::write_switch(const char* key, bool value)
{
    QString error;
    if (!write_setting_bool(g_.program_dir, key::GLOBAL, key, value, &error) && g_.ui)
        g_.ui->plain_message(error);
}

void Tfrmopenbase::set_mask_from_box(bool typed)
{
    const QString mask = cmbfilter->currentText().trimmed();
    if (mask.isEmpty()) return;
    FExplorer->set_mask(mask);
    if (typed && cmbfilter->findText(mask) < 0) cmbfilter->insertItem(1, mask);
}

void Tfrmopenbase::refresh()
{
    FExplorer->refresh();
    // A download may have written to the file shown: show it as it is now.
    const QFileInfo info(current_file_);
    if (info.isFile() && (info.size() != shown_size_ || info.lastModified() != shown_time_)) preview(false);
}

void Tfrmopenbase::show_recent()
{
    const QSignalBlocker block(cmbrecfiles);
    cmbrecfiles->clear();
    for (const QString& path : recent_) {
        // The bare name, unless another entry has the same.
        const QString name = QFileInfo(path).fileName();
        const bool shared = std::count_if(recent_.begin(), recent_.end(), [&](const QString& p) {
                                return QFileInfo(p).fileName() == name;
                            }) > 1;
        cmbrecfiles->addItem(shared ? QDir::toNativeSeparators(path) : name);
        cmbrecfiles->setItemData(cmbrecfiles->count() - 1, QDir::toNativeSeparators(path), Qt::ToolTipRole);
    }
}

void Tfrmopenbase::preview(bool after_list_choice)
{
    if (after_list_choice) {
        const QString selected = FExplorer->selected_file();
        if (selected.isEmpty() || selected == current_file_) return;
        current_file_ = selected;
    }
    const QFileInfo info(current_file_);
    stpanels[0]->setText(QDir::toNativeSeparators(current_file_));
    stpanels[1]->setText(QString::number(info.size()) + g_.lang.mess(190));
    stpanels[2]->setText(info.exists() ? format_time_stamp(info.lastModified()) : QString());
    show_digest();
    if (!info.isFile()) return;

    memo1->clear();
    preview_of_.clear();
    shown_size_ = info.size();
    shown_time_ = info.lastModified();
    if (!chkprev->isChecked()) return;
    QString error;
    auto text = read_text_file(current_file_, &error);
    if (!text) {
        if (g_.ui) g_.ui->plain_message(error);
        return;
    }
    memo1->set_text(std::move(*text));
    preview_of_ = current_file_;
    if (chkstat->isChecked()) show_statistics_of(memo1->text());
}

void Tfrmopenbase::show_digest()
{
    // Only the selected file is hashed: listing a directory stays cheap.
    const DigestStatus s = QFileInfo(current_file_).isFile() ? digest_status(current_file_) : DigestStatus{};
    const bool changed = s.state == DigestState::changed;
    LBLdigest->setVisible(changed);
    if (!changed) return;
    const QString state = digest_state_text(g_.lang, s);
    LBLdigest->setText(g_.lang.capt(227) + QStringLiteral(": ") + state);
    LBLdigest->setToolTip(g_.lang.mess(221).arg(state) + QLatin1Char('\n') +
                          digest_lines(g_.lang, current_file_).value(0));
}

void Tfrmopenbase::count_selected()
{
    if (!QFileInfo(current_file_).isFile()) return;
    if (preview_of_ == current_file_) return show_statistics_of(memo1->text());
    QString error;
    if (const auto text = read_text_file(current_file_, &error))
        show_statistics_of(*text);
    else if (g_.ui)
        g_.ui->plain_message(error);
}

void Tfrmopenbase::show_statistics_of(const QString& text)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SummaryOptions options;
    std::tie(options.above, options.below) = summary_limits(current_file_);
    options.clock_notes = RecordSourceStore().clock_notes(QFileInfo(current_file_).fileName());
    options.progress = [this](qsizetype done, qsizetype total) {
        pgbar->setMaximum(1000);
        pgbar->setValue(int(done * 1000 / std::max<qsizetype>(total, 1)));
    };
    const RecordSummary s = summarize_records(text, options);
    QApplication::restoreOverrideCursor();
    pgbar->setValue(0);
    const StatisticsTexts t = statistics_texts(s);
    lblnumlines->setText(t.count);
    LBLmintime->setText(t.first);
    LBLmaxtime->setText(t.last);
    LBLmaxval->setText(t.maximum);
    LBLminval->setText(t.minimum);
    show_summary(summary_table(s, summary_words(g_.lang)));
}

void Tfrmopenbase::show_summary(const SummaryTable& t)
{
    TBsummary->clear();
    TBsummary->setColumnCount(int(t.columns.size()));
    TBsummary->setRowCount(int(t.rows.size()));
    TBsummary->setHorizontalHeaderLabels(t.columns);
    for (int r = 0; r < t.rows.size(); ++r) {
        TBsummary->setVerticalHeaderItem(r, new QTableWidgetItem(t.rows[r].label));
        for (int c = 0; c < t.rows[r].values.size(); ++c)
            TBsummary->setItem(r, c, new QTableWidgetItem(t.rows[r].values[c]));
    }
    TBsummary->setVisible(!t.empty());
    // Every figure in sight without scrolling.
    TBsummary->resizeRowsToContents();
    int height = TBsummary->horizontalHeader()->sizeHint().height() + 2 * TBsummary->frameWidth();
    for (int r = 0; r < TBsummary->rowCount(); ++r)
        height += TBsummary->rowHeight(r);
    TBsummary->setFixedHeight(height);
}

std::pair<std::optional<double>, std::optional<double>>
Tfrmopenbase::summary_limits(const QString& file) const
{
    const RecordFilter f = filter();
    std::optional<double> above, below;
    if (f.above) above = parse_record_value(f.above_text);
    if (f.below) below = parse_record_value(f.below_text);
    if (f.above || f.below) return {above, below};
    return mission_limits(g_, file);
}

RecordFilter Tfrmopenbase::filter() const
{
    RecordFilter f;
    f.by_time = DTpickerCheck->isChecked();
    f.picked = DTpicker->date();
    f.after = RGafterItems->checkedId() == 1;
    f.unit = RGdobaItems->checkedId();
    f.count = SPdoba->value();
    f.above = CHKhitemp->isChecked();
    f.above_text = EDhi->text();
    f.below = CHKLotemp->isChecked();
    f.below_text = EDLO->text();
    return f;
}

void Tfrmopenbase::writeinirecent()
{
    QString error;
    if (!write_recent_bases(g_.program_dir, recent_, &error) && g_.ui) g_.ui->plain_message(error);
}

TEditForm* Tfrmopenbase::make()
{
    const QFileInfo info(current_file_);
    if (!info.isFile()) return nullptr;
    const QString name = info.fileName();
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    const QStringList before = recent_;
    recent_ = add_recent(recent_, path);
    if (recent_ != before) {
        show_recent();
        const QSignalBlocker block(cmbrecfiles);
        cmbrecfiles->setCurrentIndex(int(recent_.indexOf(path)));
    }
    writeinirecent();

    QString error;
    const auto text = read_text_file(current_file_, &error);
    if (!text) {
        if (g_.ui) g_.ui->plain_message(error);
        return nullptr;
    }
    const DatabaseView view = build_database_view(*text, name, chkprietok->isChecked(), filter(), g_.lang);
    TEditForm* viewer = new_viewer ? new_viewer() : nullptr;
    if (!viewer) return nullptr;
    if (!view.message.isEmpty() && g_.ui) g_.ui->show_message(view.message, btn::ok);
    viewer->set_text(view.text);
    viewer->set_modified(false);
    viewer->set_file_name(proposed_file(current_file_, view.kind));
    viewer->set_selection_view(view.kind != DatabaseView::Kind::whole);
    // A view of the records beyond the filter's limits sums up the whole file.
    const auto [above, below] = summary_limits(current_file_);
    const RecordFilter f = filter();
    const bool by_value = view.kind == DatabaseView::Kind::filtered && (f.above || f.below);
    viewer->set_summary_limits(above, below, by_value ? current_file_ : QString());
    viewer->setWindowTitle(name);
    viewer->set_status(0, g_.lang.mess(189) + QString::number(viewer->line_count()));
    if (auto_graph) auto_graph();
    viewer->RedrawGraph();
    return viewer;
}

TEditForm* Tfrmopenbase::choose_recent(int index)
{
    if (index < 0 || index >= recent_.size()) return nullptr;
    current_file_ = recent_[index];
    preview(false);
    return make();
}

void Tfrmopenbase::ChangeLanguage()
{
    const Language& L = g_.lang;
    FileListTexts t;
    for (int i = 0; i < 4; ++i) {
        t.columns[i] = L.label(99 + i);
        t.styles[i] = L.menu(60 + i);
    }
    t.up = L.menu(64);
    t.refresh = L.menu(65);
    t.folder = L.label(103);
    t.file = L.label(104);
    t.text_file = L.label(105);
    t.bytes = L.label(119);
    FExplorer->set_texts(t);
    if (!LBLdigest->isHidden()) show_digest();
    if (!L.language_loaded) return;
    setWindowTitle(L.capt(80));
    PageControl1->setTabText(0, L.capt(81));
    PageControl1->setTabText(1, L.capt(82));
    chkprev->setText(L.capt(83));
    chkstat->setText(L.capt(84));
    chkprietok->setText(L.capt(85));
    RGafter->setTitle(L.capt(86));
    RGdoba->setTitle(L.capt(87));
    BTdir->setText(L.capt(88));
    CHKhitemp->setText(L.capt(89));
    CHKLotemp->setText(L.capt(90));

    const QList<QWidget*> hinted{FExplorer, cmbfilter,  cmbrecfiles, chkprev,
                                 chkstat,   chkprietok, DTpicker,    BTdir};
    for (int i = 0; i < hinted.size(); ++i)
        hinted[i]->setToolTip(L.hint(80 + i));

    // LABEL80..84 the statistics captions, 85 the recent list's, 86 the mask's.
    for (int i = 0; i < captions_.size(); ++i)
        captions_[i]->setText(L.label(80 + i));
    for (int i = 0; i < 2; ++i)
        RGafterItems->button(i)->setText(L.label(87 + i));
    for (int i = 0; i < 4; ++i)
        RGdobaItems->button(i)->setText(L.label(89 + i));
    BTup->setText(L.label(93));
}

} // namespace vx
