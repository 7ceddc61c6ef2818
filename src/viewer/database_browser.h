#pragma once
// The database browser Tfrmopenbase ("Otvoriť databázu"): the record files of
// the log directory, a preview of the selected file with statistics of its
// records, the recently opened files, and opening a file in a new record
// viewer, whole, filtered by time and value, or as flow totals. The work is
// done by the functions of records/database_view.h; this window gathers the
// choices and shows the results.
#include "records/database_view.h"

#include <QDateTime>
#include <QString>
#include <QWidget>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QTableWidget;

namespace vx
{

struct Global;
class FileList;
class TEditForm;
class TextPreview;

class Tfrmopenbase : public QWidget
{
    Q_OBJECT
public:
    // The directory is the log directory; the recent list comes from the
    // settings file.
    explicit Tfrmopenbase(Global& g, QWidget* parent = nullptr);

    // Provided by the main window: a new record viewer in its document area
    // (it becomes the current viewer), and the start of the external graph
    // program when the automatic graph is on.
    std::function<TEditForm*()> new_viewer;
    std::function<void()> auto_graph;
    // Replaces the folder chooser (tests); returns the folder or empty.
    std::function<QString(const QString& start)> ask_directory;

    QString current_file() const { return current_file_; }
    // Fills the preview and the statistics for the file selected in the list
    // (after_list_choice) or for current_file.
    void preview(bool after_list_choice = true);
    // Opens current_file in a new viewer; nullptr when the file does not exist.
    TEditForm* make();
    // Chooses entry index of the recent list: preview and open it. The list
    // keeps full paths and shows the bare names (the path where two entries
    // share a name).
    TEditForm* choose_recent(int index);
    // The filter page as it stands.
    RecordFilter filter() const;
    // The limits of the summary: those ticked on the filter page (when they
    // are numbers), else the mission's when the attached logger records into
    // file.
    std::pair<std::optional<double>, std::optional<double>> summary_limits(const QString& file) const;
    // Reads the directory again (after a download wrote a file); a selected
    // file that changed is previewed again.
    void refresh();
    // Copies the texts of the language table (only when a language section was loaded).
    void ChangeLanguage();

    // Controls, named as in the window's layout.
    QTabWidget* PageControl1 = nullptr;
    FileList* FExplorer = nullptr;
    QComboBox* cmbfilter = nullptr;
    QComboBox* cmbrecfiles = nullptr;
    TextPreview* memo1 = nullptr;
    QCheckBox *chkprev = nullptr, *chkstat = nullptr, *chkprietok = nullptr;
    QPushButton *BTdir = nullptr, *BTup = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* stpanels[3] = {};
    // The mark of a selected record file changed since the program noted its
    // digest: "ZMENENÝ: zmenený po prenose <time>", hidden otherwise.
    QLabel* LBLdigest = nullptr;
    QWidget* Panel1 = nullptr;
    QLabel *lblnumlines = nullptr, *LBLmintime = nullptr, *LBLmaxtime = nullptr, *LBLmaxval = nullptr,
           *LBLminval = nullptr;
    QProgressBar* pgbar = nullptr;
    // The summary of the selected file: a column per channel, a row per figure.
    QTableWidget* TBsummary = nullptr;
    QCheckBox *CHKhitemp = nullptr, *CHKLotemp = nullptr, *DTpickerCheck = nullptr;
    QLineEdit *EDhi = nullptr, *EDLO = nullptr;
    QDateEdit* DTpicker = nullptr;
    QGroupBox *RGafter = nullptr, *RGdoba = nullptr;
    QButtonGroup *RGafterItems = nullptr, *RGdobaItems = nullptr;
    QSpinBox* SPdoba = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* build_files_page();
    QWidget* build_filter_page();
    void set_mask_from_box(bool typed);
    void show_statistics(bool on);
    // The statistics labels for the selected file (ticking the box) or for text.
    void count_selected();
    // LBLdigest for the selected file.
    void show_digest();
    void show_statistics_of(const QString& text);
    void show_summary(const SummaryTable& t);
    void show_recent();
    void write_switch(const char* key, bool value);
    void writeinirecent();

    Global& g_;
    QString current_file_;
    // The file the preview holds, with its size and time when it was read.
    QString preview_of_;
    qint64 shown_size_ = -1;
    QDateTime shown_time_;
    QStringList recent_; // full paths
    // Captions of the statistics labels and of the other texts the language
    // table replaces.
    QList<QLabel*> captions_;
};

} // namespace vx
