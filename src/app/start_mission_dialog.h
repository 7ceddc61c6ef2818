#pragma once
// The mission start dialog Tfrmstart ("Štart misie / merania"): gathers the
// new mission of the attached logger, prepared per model, and runs the
// mission start (programming/mission_start.h) with it.
#include "app/dialog_controls.h"
#include "programming/mission_start.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimeEdit;

namespace vx
{

struct Global;
class UpDown;

class Tfrmstart : public QDialog
{
    Q_OBJECT
public:
    Tfrmstart(Global& g, MissionStart::Hooks hooks, QWidget* parent = nullptr);

    // The texts of the table's own, and with a language section loaded those
    // of the window's block.
    void ChangeLanguage();
    // The dialog's fields as a mission.
    MissionForm form() const;

    // Controls (objectName = member name).
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7;
    QLineEdit *EDname, *EDremark, *EDperiod, *EDgrad, *EDptr;
    UpDown *UpDown1, *UDgrad, *UpDown2;
    QCheckBox *chksynchro, *chkLo, *chkHi, *CHKclearPTR, *CHKrol, *chkdelay;
    QSpinBox *SpinLo, *spinHI;
    QGroupBox *GroupBox1, *GroupBox2, *GroupBox3, *Gprietok, *grflowlcd, *grp_belsa;
    QDateEdit* datepicker;
    QTimeEdit* timePicker;
    QLineEdit *EDstav, *EDkonst, *edgradflow, *edgradbelsa, *edtotbelsa;
    QCheckBox* chkpriemer;
    QPushButton *BTok, *BTcancel;

protected:
    // FormShow: prepares the dialog for the attached model.
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void prepare();
    void prepare_limits();
    void BTokClick();
    void UDgradClick(int direction);
    void show_pointer_field();

    // A control's caption and hint before any model changed them.
    struct Designed {
        QWidget* widget;
        QString caption, hint;
    };
    void restore_designed();
    void apply_block_texts();
    // A control's caption as designed (or as the language section has it).
    QString designed_caption(const QWidget* w) const;

    Global& g_;
    MissionStart::Hooks hooks_;
    std::vector<Designed> designed_;
    OwnTexts own_;
    double gradient_ = 0;        // the change gradient between events
    bool pointer_shown_ = false; // EDptr was revealed by a double-click
};

} // namespace vx
