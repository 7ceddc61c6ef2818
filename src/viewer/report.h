#pragma once
// The HTML report of a record viewer: the report dialog Tfreport ("Report")
// takes a header, three notes, a footer and the file of the page;
// create_report draws the chart's series into "<page>-temp.gif" (and
// "<page>-humi.gif" for a second series) beside the page, fills the template
// "muster.htm" of the user's language with the texts, the time of the first
// and the last record and the summary of the records, and opens the page in
// the desktop's web browser when asked.
#include "records/report_template.h"

#include <QDate>
#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vx
{

struct Global;
class TEditForm;

class Tfreport : public QDialog
{
    Q_OBJECT
public:
    explicit Tfreport(Global& g, QWidget* parent = nullptr);

    // The fields as typed (the time range is left empty).
    ReportTexts texts() const;
    bool open_browser() const;
    // Readies the dialog for viewer: a header field left empty gets the
    // viewer's name; the file proposed is named after it and today, in the
    // folder of the last report (else the user's documents), never an
    // existing file.
    void prepare(const TEditForm& viewer, const QDate& today);
    // The page's file (EDfile shows it; "..." chooses another).
    QString report_path() const { return path_; }
    void set_report_path(const QString& path);
    // The next proposal goes to dir (where the last report went).
    void remember_folder(const QString& dir) { last_dir_ = dir; }
    // Replaces the save dialog of "..." (tests): returns the chosen path, empty for cancel.
    std::function<QString(const QString& proposed)> ask_path;
    // Copies the texts of the language table (only when a language section was loaded).
    void ChangeLanguage();

    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton *BTok = nullptr, *BTcancel = nullptr;
    QLineEdit* EDfile = nullptr; // read only: the file chosen
    QPushButton* BTfile = nullptr;

private:
    void choose_file();

    Global& g_;
    QList<QLabel*> labels_;
    QLabel* file_label_ = nullptr;
    QString path_;
    QString last_dir_;    // of the last report written
    QString auto_header_; // the header the dialog proposed
};

enum class ReportResult {
    no_template, // no "muster.htm" (MESS40 shown)
    cancelled,   // the dialog was not confirmed
    failed,      // a picture, the template or the page could not be read or written (shown)
    written,     // the page written (and opened when asked)
};

struct ReportRun {
    // Shows the dialog modally; true for OK. Default: exec().
    std::function<bool(Tfreport&)> ask;
    // Opens the written page. Default: QDesktopServices.
    std::function<bool(const QString& path)> open;
    // Where the dialog's top-left corner goes (the main window's).
    QPoint position;
};

ReportResult create_report(Global& g, TEditForm& viewer, Tfreport& dialog, const ReportRun& run = {});

} // namespace vx
