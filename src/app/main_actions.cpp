#include "app/main_actions.h"

#include "base/language.h"

#include <QAction>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace vx
{

namespace
{

QAction* make_action(QObject* parent, const char* name, const QString& menu_text,
                     const QString& button_text = {}, const QKeySequence& key = {})
{
    auto* a = new QAction(menu_text, parent);
    a->setObjectName(name);
    if (!button_text.isEmpty()) a->setIconText(button_text);
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
}

} // namespace

void MainActions::build_actions(QMainWindow* window)
{
    Act_save = make_action(window, "Act_save", QStringLiteral("Uložiť"), QStringLiteral("Uložiť"),
                           QKeySequence(Qt::CTRL | Qt::Key_S));
    openbase = make_action(window, "openbase", QStringLiteral("Otvoriť Databázu záznamov"),
                           QStringLiteral("Otvoriť"), QKeySequence(Qt::CTRL | Qt::Key_O));
    print = make_action(window, "print", QStringLiteral("Tlačiť"), QStringLiteral("Tlačiť"),
                        QKeySequence(Qt::CTRL | Qt::Key_P));
    print_preview = make_action(window, "print_preview", QStringLiteral("Náhľad pred tlačou"), {},
                                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    Act_graph = make_action(window, "Act_graph", QStringLiteral("Graf"), QStringLiteral("Graf"),
                            QKeySequence(Qt::CTRL | Qt::Key_G));
    find_act = make_action(window, "find_act", QStringLiteral("Hľadať"), QStringLiteral("Hľadať"),
                           QKeySequence(Qt::CTRL | Qt::Key_F));
    // Both act on a viewer: enabled while one exists.
    Act_save->setEnabled(false);
    find_act->setEnabled(false);
    act_newrecords = make_action(window, "act_newrecords", QStringLiteral("Prenos len nové záznamy"),
                                 QStringLiteral("Prenos"), QKeySequence(Qt::Key_F5));
    help_action = make_action(window, "help_action", QStringLiteral("HELP"), QStringLiteral("HELP"),
                              QKeySequence(Qt::Key_F1));
    startmission =
        make_action(window, "startmission", QStringLiteral("Štart misie / merania"), QStringLiteral("Štart"));
    startmission->setEnabled(false);
    A_conn = make_action(window, "A_conn", QStringLiteral("COM"), QStringLiteral("COM"));
    A_conn->setCheckable(true);
    A_conn->setToolTip(QStringLiteral("Pripojit / Odpojit COM"));

    actopentext = make_action(window, "actopentext", QStringLiteral("Otvoriť textový súbor"));
    Kalibransbor2 = make_action(window, "Kalibransbor2", QStringLiteral("Kalibračný súbor"));
    Nastaveniatlae1 = make_action(window, "Nastaveniatlae1", QStringLiteral("Nastavenia tlače"));
    N7koniec1 = make_action(window, "N7koniec1", QStringLiteral("&Koniec"), {}, QKeySequence(Qt::Key_F10));
    Prenoszznamov1 = make_action(window, "Prenoszznamov1", QStringLiteral("Prenos záznamov"), {},
                                 QKeySequence(Qt::Key_F6));
    set_time = make_action(window, "set_time", QStringLiteral("Nastaviť čas prístroja"));
    Nastaveniaprogramu1 = make_action(window, "Nastaveniaprogramu1", QStringLiteral("Nastavenia programu"));
    Zaznamauditu1 = make_action(window, "Zaznamauditu1", QStringLiteral("Záznam auditu"));

    win_next = make_action(window, "Nasledujce1", QStringLiteral("&Nasledujúce"), {},
                           QKeySequence(Qt::CTRL | Qt::Key_N));
    win_prev = make_action(window, "Predchdzajce1", QStringLiteral("&Predchádzajúce"), {},
                           QKeySequence(Qt::CTRL | Qt::Key_M));
    win_max =
        make_action(window, "Maximalizova1", QStringLiteral("&Maximalizovať"), {}, QKeySequence(Qt::Key_F11));
    win_tile_v =
        make_action(window, "Vedaseba1", QStringLiteral("&Vedľa seba"), {}, QKeySequence(Qt::Key_F12));
    win_tile_h = make_action(window, "Podseba1", QStringLiteral("Po&d seba"));
    win_cascade = make_action(window, "Kaskdne1", QStringLiteral("&Kaskádne"));
    win_close =
        make_action(window, "Zavrie1", QStringLiteral("&Zavrieť"), {}, QKeySequence(Qt::SHIFT | Qt::Key_F10));

    // The graph commands take their texts from the language table (ChangeLanguage).
    Agr_Property = make_action(window, "Agr_Property", {});
    agr_zoomin = make_action(window, "agr_zoomin", {});
    agr_zoomout = make_action(window, "agr_zoomout", {});
    agr_save = make_action(window, "agr_save", {});
    agr_copy = make_action(window, "agr_copy", {});
    agr_Print = make_action(window, "agr_Print", {});
    agr_full = make_action(window, "agr_full", {});
    agr_style = make_action(window, "agr_style", {});

    Oprograme1 = make_action(window, "Oprograme1", QStringLiteral("&O programe"));
    Act_showtip =
        make_action(window, "Act_showtip", QStringLiteral("Tipy"), {}, QKeySequence(Qt::CTRL | Qt::Key_F1));

    // Shortcuts work wherever the focus is inside the main window.
    window->addActions({Act_save, openbase, print, Act_graph, find_act, act_newrecords, help_action,
                        N7koniec1, Prenoszznamov1, win_next, win_prev, win_max, win_tile_v, win_close,
                        Act_showtip});
}

void MainActions::build_menus(QMenuBar* bar)
{
    menu_file = bar->addMenu(QStringLiteral("Súbor"));
    menu_file->setObjectName("Sbor1");
    menu_file->addActions(
        {openbase, actopentext, Act_save, Kalibransbor2, print, print_preview, Nastaveniatlae1});
    menu_file->addSeparator();
    menu_file->addAction(N7koniec1);

    menu_services = bar->addMenu(QStringLiteral("Služby"));
    menu_services->setObjectName("Sluby1");
    menu_services->addActions({startmission, act_newrecords, Prenoszznamov1, set_time, Nastaveniaprogramu1});
    menu_services->addSeparator();
    menu_services->addAction(Zaznamauditu1);

    menu_window = bar->addMenu(QStringLiteral("Okno"));
    menu_window->setObjectName("Okno1");
    menu_window->addActions(
        {win_next, win_prev, win_max, win_tile_v, win_tile_h, win_cascade, Act_graph, win_close});
    menu_window->menuAction()->setEnabled(false);

    menu_graph = bar->addMenu(QStringLiteral("Graf"));
    menu_graph->setObjectName("Graf1");
    menu_graph->addActions({Agr_Property, agr_zoomin, agr_zoomout, agr_save, agr_copy, agr_Print});

    menu_help = bar->addMenu(QStringLiteral("Pomoc"));
    menu_help->setObjectName("Pomoc1");
    menu_help->addActions({Oprograme1, help_action, Act_showtip});
}

void MainActions::build_toolbar(QMainWindow* window)
{
    ToolBar1 = window->addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Tight buttons, so that the whole bar fits the designed 400 pixels.
    ToolBar1->setStyleSheet(QStringLiteral("QToolButton { padding: 0px 1px; margin: 0px; }"));
    ToolBar1->layout()->setSpacing(0);
    ToolBar1->addActions({Act_save, openbase, print, Act_graph, find_act});
    ToolBar1->addSeparator();
    ToolBar1->addActions({act_newrecords, help_action, startmission});
    ToolBar1->addAction(A_conn);
    btCOM = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(A_conn));
    if (btCOM) btCOM->setObjectName("btCOM");
    for (QAction* a : ToolBar1->actions())
        if (QWidget* w = ToolBar1->widgetForAction(a); w && !a->isSeparator()) w->setMinimumSize(41, 36);
}

void MainActions::ChangeLanguage(const Language& L)
{
    // The graph menu (MENU48..53), the graph page's extra buttons (MENU54,
    // 55 with CAPT16, 17) and the help item: texts of the table's own.
    const std::pair<QAction*, int> graph_items[] = {{Agr_Property, 48}, {agr_zoomin, 49}, {agr_zoomout, 50},
                                                    {agr_save, 51},     {agr_copy, 52},   {agr_Print, 53},
                                                    {agr_full, 54},     {agr_style, 55}};
    for (const auto& [action, n] : graph_items)
        action->setText(L.menu(n));
    agr_full->setIconText(L.capt(16));
    agr_style->setIconText(L.capt(17));
    // "HELP" in the menu (its tool button takes CAPT7).
    help_action->setText(L.menu(56));
    print_preview->setText(L.capt(195));
    if (!L.language_loaded) return;

    // Captions and hints of the tool bar buttons.
    const QList<QAction*> buttons{Act_save,       openbase,    print,        Act_graph, find_act,
                                  act_newrecords, help_action, startmission, A_conn};
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setIconText(L.capt(1 + i));
    // Hints.
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setToolTip(L.hint(1 + i));
    // "Hľadať" is on the tool bar only: its name is its caption.
    find_act->setText(L.capt(5));

    // Menus.
    const QList<QAction*> file_items{openbase, actopentext,     Act_save, Kalibransbor2,
                                     print,    Nastaveniatlae1, N7koniec1};
    for (int i = 0; i < file_items.size(); ++i)
        file_items[i]->setText(L.menu(1 + i));
    const QList<QAction*> service_items{
        menu_services->menuAction(), startmission, act_newrecords, Prenoszznamov1, set_time,
        Nastaveniaprogramu1};
    for (int i = 0; i < service_items.size(); ++i)
        service_items[i]->setText(L.menu(10 + i));
    Zaznamauditu1->setText(L.menu(16));
    const QList<QAction*> window_items{menu_window->menuAction(),
                                       win_next,
                                       win_prev,
                                       win_max,
                                       win_tile_v,
                                       win_tile_h,
                                       win_cascade,
                                       Act_graph,
                                       win_close};
    for (int i = 0; i < window_items.size(); ++i)
        window_items[i]->setText(L.menu(20 + i));
    const QList<QAction*> other_items{menu_file->menuAction(), menu_graph->menuAction(),
                                      menu_help->menuAction(), Oprograme1, Act_showtip};
    for (int i = 0; i < other_items.size(); ++i)
        other_items[i]->setText(L.menu(30 + i));
}

QList<QAction*> MainActions::viewer_actions() const
{
    return {Act_save,    find_act,   print,      print_preview, Act_graph, win_next,     win_prev,
            win_max,     win_tile_v, win_tile_h, win_cascade,   win_close, Agr_Property, agr_zoomin,
            agr_zoomout, agr_save,   agr_copy,   agr_Print,     agr_full,  agr_style};
}

} // namespace vx
