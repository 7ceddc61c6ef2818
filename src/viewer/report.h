#pragma once
// The HTML report of a record viewer: the report dialog Tfreport ("Report")
// takes a header, three notes and a footer; create_report draws the chart's
// series into "temp.gif" (and "humi.gif" for a second series), fills the
// template "muster.htm" into "report.htm", all beside the program, and opens
// the page in the desktop's web browser when asked.
#include "records/report_template.h"

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
    // Copies the texts of the language table (only when a language section was loaded).
    void ChangeLanguage();

    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton *BTok = nullptr, *BTcancel = nullptr;

private:
    Global& g_;
    QList<QLabel*> labels_;
};

enum class ReportResult {
    no_template, // "muster.htm" is missing (MESS40 shown)
    cancelled,   // the dialog was not confirmed
    failed,      // a picture, the template or the page could not be read or written (shown)
    written,     // "report.htm" written (and opened when asked)
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
