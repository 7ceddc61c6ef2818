#pragma once
// The actions of the main window: every menu item, tool button and shortcut,
// the menus and the tool bar that hold them, and their texts from the
// language table. The main window connects them to its handlers.
#include <QList>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;

namespace vx
{

class Language;

struct MainActions {
    // The actions, children of window; their shortcuts work wherever the
    // focus is inside it.
    void build_actions(QMainWindow* window);
    void build_menus(QMenuBar* bar);
    void build_toolbar(QMainWindow* window);
    // The texts of the graph commands, and with a language section loaded the
    // captions and hints of the tool bar buttons and the menu texts.
    void ChangeLanguage(const Language& L);
    // The actions that act on a record viewer: enabled only while one exists.
    QList<QAction*> viewer_actions() const;

    // Named as in the window layout (objectName = member name).
    QToolBar* ToolBar1 = nullptr;
    QAction *Act_save = nullptr, *openbase = nullptr, *print = nullptr, *print_preview = nullptr,
            *Act_graph = nullptr, *find_act = nullptr;
    QAction *act_newrecords = nullptr, *help_action = nullptr, *startmission = nullptr, *A_conn = nullptr;
    QAction *actopentext = nullptr, *Kalibransbor2 = nullptr, *Nastaveniatlae1 = nullptr,
            *N7koniec1 = nullptr;
    QAction *Prenoszznamov1 = nullptr, *set_time = nullptr, *Nastaveniaprogramu1 = nullptr,
            *Zaznamauditu1 = nullptr;
    QAction *win_next = nullptr, *win_prev = nullptr, *win_max = nullptr, *win_tile_v = nullptr,
            *win_tile_h = nullptr, *win_cascade = nullptr, *win_close = nullptr;
    QAction *Agr_Property = nullptr, *agr_zoomin = nullptr, *agr_zoomout = nullptr, *agr_save = nullptr,
            *agr_copy = nullptr, *agr_Print = nullptr, *agr_full = nullptr, *agr_style = nullptr;
    QAction *Oprograme1 = nullptr, *Act_showtip = nullptr;
    QToolButton* btCOM = nullptr;
    QMenu *menu_file = nullptr, *menu_services = nullptr, *menu_window = nullptr, *menu_graph = nullptr,
          *menu_help = nullptr;
};

} // namespace vx
