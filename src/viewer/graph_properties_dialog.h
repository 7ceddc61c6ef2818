#pragma once
// The graph properties dialog: colours of the chart's parts and the point
// marks of both curves. Every pick goes straight into the shared style table
// (g.settings) and is applied to the active viewer through style_changed;
// OK writes the whole table to the settings file.
#include <QColor>
#include <QDialog>
#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

namespace vx
{

struct Global;

class Tfgprop : public QDialog
{
    Q_OBJECT
public:
    explicit Tfgprop(Global& g, QWidget* parent = nullptr);

    // Called after every change of a colour or point style (the main window
    // sends the style command to the active viewer).
    std::function<void()> style_changed;

    // Colour target 0..12 of the list (COLOR1..COLOR13).
    void select_target(int index);
    int target() const;
    // Stores the colour into the selected target's entry and applies it.
    void pick_color(const QColor& color);
    // Point style 0 none, 1 squares, 2 circles, of the first (left) or second curve.
    void set_points(bool left, int kind);
    // Writes COLOR1..COLOR20, LEFTPOINTS, RIGHTPOINTS to [GRAPH] in that order;
    // stops at the first key that cannot be written.
    bool write_settings(QString* error = nullptr);
    // Shows the table's current state in the controls.
    void load();
    // Takes the captions and list items from the language table when a
    // language section was loaded (an empty text blanks its control). The
    // dialog runs it when created; the main window runs it again once the
    // table is built at start-up.
    void ChangeLanguage();

    void accept() override;

    QListWidget* LBcolors = nullptr;
    QComboBox* CBleft = nullptr;
    QComboBox* CBright = nullptr;
    QFrame* panSample = nullptr;
    QPushButton* BTmore = nullptr;
    QPushButton* BTok = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void show_sample();

    Global& g_;
    QLabel* labels_[5] = {};
    bool loading_ = false;
};

} // namespace vx
