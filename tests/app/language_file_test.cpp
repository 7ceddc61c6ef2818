// The shipped language file "vorlan.lng": its SLOVAK section gives every
// window exactly the texts it was designed with and holds the built-in
// texts, its ENGLISH section has a text for every key the program uses, and
// switching to it changes the captions of every window as a program started
// in English shows them.
#include "app/about_box.h"
#include "app/audit_window.h"
#include "app/main_window.h"
#include "app/message_window.h"
#include "app/setup_dialog.h"
#include "app/start_mission_dialog.h"
#include "app/viewer_area.h"
#include "base/ini_file.h"
#include "common/qt_print.h"
#include "common/test_state.h"
#include "viewer/database_browser.h"
#include "viewer/file_list.h"
#include "viewer/graph_properties_dialog.h"
#include "viewer/print_dialog.h"
#include "viewer/record_viewer.h"
#include "viewer/report.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDirIterator>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{

const QString shipped_dir = QStringLiteral(VORLANIX_SHIPPED_DATA "/");

// Every text a window shows, keyed by the object's place in the window and
// the property; the program directory reads "~", and the language list (the
// file's section names) is left out.
QMap<QString, QString> texts_of(QWidget& window, const QString& home)
{
    QMap<QString, QString> out;
    QList<QObject*> objects{&window};
    objects += window.findChildren<QObject*>();
    for (int i = 0; i < objects.size(); ++i) {
        QObject* o = objects[i];
        const QString id = QString("%1 %2 %3 ").arg(i).arg(o->metaObject()->className(), o->objectName());
        auto add = [&](const QString& what, QString text) {
            if (!text.isEmpty()) out[id + what] = text.replace("\r\n", "\n").replace(home, "~");
        };
        if (o->objectName() == "CBlanguage") continue;
        for (const char* p : {"windowTitle", "text", "iconText", "toolTip", "title"})
            if (o->metaObject()->indexOfProperty(p) >= 0) add(p, o->property(p).toString());
        if (auto* tabs = qobject_cast<QTabWidget*>(o))
            for (int t = 0; t < tabs->count(); ++t)
                add(QString("tab%1").arg(t), tabs->tabText(t));
        if (auto* combo = qobject_cast<QComboBox*>(o))
            for (int t = 0; t < combo->count(); ++t)
                add(QString("item%1").arg(t), combo->itemText(t));
        if (auto* view = qobject_cast<QAbstractItemView*>(o); view && view->model()) {
            const QAbstractItemModel& m = *view->model();
            for (int c = 0; c < m.columnCount(view->rootIndex()); ++c) {
                add(QString("column%1").arg(c), m.headerData(c, Qt::Horizontal).toString());
                for (int r = 0; r < m.rowCount(view->rootIndex()); ++r)
                    add(QString("cell%1.%2").arg(r).arg(c),
                        m.index(r, c, view->rootIndex()).data().toString());
            }
        }
    }
    return out;
}

// A program started with a language section, the shipped files in data_dir
// (none when empty), with every window made: the dialogs the main window
// makes on first use, the database browser listing the log folder, a record
// viewer and the about box.
struct Program {
    vxtest::TestState t;
    std::unique_ptr<vx::TForm1> f;
    // Windows of their own, not among the main window's children.
    std::unique_ptr<QMessageBox> about;
    std::unique_ptr<vx::Tfmess> message = std::make_unique<vx::Tfmess>();

    Program(const QByteArray& language, const QString& data_dir)
    {
        t.home.write("vorlanix.ini", "[GLOBAL]\r\nSHOWTIP=0\r\nComPort=1\r\nLANGUAGE=" + language +
                                         "\r\n[PORTS]\r\nCOM1=/nonexistent\r\n");
        t.home.write("Log/SKLAD.txt", "SKLAD\r\nRemark: \r\nSTART: 1.3.2024 10:00\r\nPERIOD: 60\r\nGRADIENT: "
                                      "0\r\n1.3.2024 10:00\t21,5\t45\r\n1.3.2024 11:00\t22,0\t44\r\n");
        t.g.data_dir = data_dir;
        f = std::make_unique<vx::TForm1>(t.g);
        f->start();
        f->frmstart = new vx::Tfrmstart(t.g, {}, f.get());
        f->frmsetup = new vx::Tfrmsetup(t.g, {}, f.get());
        f->mdi()->open_text_file(t.home.path("Log/SKLAD.txt"));
        f->Zaznamauditu1->trigger();
        show_setup();
        const QFileSystemModel* files = f->database_browser()->FExplorer->model();
        EXPECT_TRUE(QTest::qWaitFor([&] { return files->rowCount(files->index(t.home.path("Log"))) == 1; }));
        about = vx::make_about_box(t.g, nullptr);
    }
    // The settings dialog fills its lists when it is shown.
    void show_setup()
    {
        f->frmsetup->show();
        f->frmsetup->hide();
    }
};

struct Window {
    const char* name;
    std::function<QWidget*(Program&)> get;
};

const Window windows[] = {
    {"main window", [](Program& p) -> QWidget* { return p.f.get(); }},
    {"mission start", [](Program& p) -> QWidget* { return p.f->frmstart; }},
    {"setup", [](Program& p) -> QWidget* { return p.f->frmsetup; }},
    {"database browser", [](Program& p) -> QWidget* { return p.f->database_browser(); }},
    {"print settings", [](Program& p) -> QWidget* { return p.f->frmprint; }},
    {"report", [](Program& p) -> QWidget* { return p.f->freport; }},
    {"graph properties", [](Program& p) -> QWidget* { return p.f->fgprop; }},
    {"record viewer", [](Program& p) -> QWidget* { return p.f->mdi()->viewers().value(0); }},
    {"audit trail", [](Program& p) -> QWidget* { return p.f->frmaudit; }},
    {"about", [](Program& p) -> QWidget* { return p.about.get(); }},
    {"message window", [](Program& p) -> QWidget* { return p.message.get(); }},
};

using Texts = std::vector<QMap<QString, QString>>; // per window, in the order above

Texts all_texts(Program& p)
{
    Texts out;
    for (const Window& w : windows)
        out.push_back(texts_of(*w.get(p), p.t.home.dir().chopped(1)));
    return out;
}

TEST(ShippedLanguageFile, SlovakHoldsTheBuiltInTextsAndEveryKeyInUseHasAnEnglishText)
{
    const auto file = vx::IniFile::load(shipped_dir + "vorlan.lng");
    ASSERT_TRUE(file);
    const QStringList keys = file->keys("SLOVAK");
    EXPECT_EQ(file->keys("ENGLISH").size(), keys.size());
    vx::Language sk;
    sk.build_language_tables(QString(), "SLOVAK", shipped_dir);
    // The keys in use: those of the file, those with a built-in text and those the sources name.
    QSet<QString> used(keys.begin(), keys.end());
    for (const vx::BuiltInText& b : vx::builtin_texts()) {
        const QString key = QString::fromLatin1(b.key);
        used << key;
        EXPECT_EQ(sk.text(key), vx::builtin_text(key)) << b.key;
    }
    const QRegularExpression call("\\b(capt|hint|label|menu|mess)\\((\\d+)\\)"),
        named("\"(CAPT|HINT|LABEL|MENU|MESS)(\\d+)\"");
    for (QDirIterator it(VORLANIX_SOURCE_DIR, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile source(it.next());
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const QString code = QString::fromUtf8(source.readAll());
        for (const QRegularExpression& re : {call, named})
            for (const auto& m : re.globalMatch(code))
                used << m.captured(1).toUpper() + m.captured(2);
    }
    EXPECT_GT(used.size(), 300);
    for (const QString& key : used)
        EXPECT_FALSE(file->read_string("ENGLISH", key, {}).isEmpty() &&
                     !file->read_string("SLOVAK", key, {}).isEmpty())
            << key.toStdString();
}

// Texts that read the same in Slovak and English: units, names, numbers and
// the few English words the Slovak windows were designed with.
const QRegularExpression same_in_both(
    "(?s)^('C|%RH|min|hPa|A|B|A\\d|T\\d|OK|COM|COM\\d+:?|COM port|HELP|Auto|Filter|Maximum:|Minimum:|Synchro|"
    "Print|Report|Cancel|Info|Tip|Interval:|ToolBar1|VORLANIX\n.*|VORLAN|VORLANIX|PSYCHRO|Lumeo|Pressure|"
    "Celsius|Fahrenheit|Notation|Min|Max|\\d+ min|\\d+ h|"
    "Calib process|Humidity offset:|Press Offset|Offset T2|ANALOG Calibs|BATLO border|LCD CALS|"
    "SEND LCD CALIBRATIONS|Temp/Humi LCD  I-Out|Zoom &Out|Zoom Out|Cu&t|Cut|&Copy|Copy|&Paste|Paste|"
    "Zoom &In|Zoom In|Enter here Header|\\.\\.\\.|[-\\d\\s.,:*/]*|SKLAD\\S*|\\S+\\.(txt|ini)|[~/]\\S*)$");

TEST(LanguageSwitch, ChangesTheCaptionsOfEveryWindowAsAProgramStartedInEnglishShowsThem)
{
    const Texts designed = all_texts(*std::make_unique<Program>("SLOVAK", QString()));
    const Texts english = all_texts(*std::make_unique<Program>("ENGLISH", shipped_dir));
    Program p("SLOVAK", shipped_dir);
    const Texts slovak = all_texts(p);
    // The user picks the language in the settings dialog.
    vx::Tfrmsetup& setup = *p.f->frmsetup;
    setup.show();
    setup.CBlanguage->setCurrentText("ENGLISH");
    setup.btok->click();
    EXPECT_TRUE(setup.language_changed());
    EXPECT_EQ(vx::read_settings(p.t.home.dir(), nullptr).LANGUAGE, "ENGLISH");
    ASSERT_TRUE(p.f->apply_language());
    QCoreApplication::processEvents(); // Qt's own widgets take the language change
    p.show_setup();
    p.about = vx::make_about_box(p.t.g, nullptr);
    const Texts switched = all_texts(p);

    const QRegularExpression placeholder("^(CAP|HINT|LABEL|MENU|MESS)[0-9]+$");
    for (std::size_t w = 0; w < std::size(windows); ++w) {
        SCOPED_TRACE(windows[w].name);
        EXPECT_EQ(slovak[w].size(), designed[w].size());
        EXPECT_EQ(switched[w].size(), english[w].size());
        for (auto it = slovak[w].begin(); it != slovak[w].end(); ++it) {
            const std::string where = it.key().toStdString();
            const QString now = switched[w].value(it.key());
            EXPECT_EQ(it.value().toStdString(), designed[w].value(it.key()).toStdString()) << where;
            EXPECT_EQ(now.toStdString(), english[w].value(it.key()).toStdString()) << where;
            EXPECT_TRUE(now != it.value() || same_in_both.match(now).hasMatch())
                << where << ": " << now.toStdString();
            EXPECT_FALSE(placeholder.match(now).hasMatch()) << where;
        }
    }
}

} // namespace
