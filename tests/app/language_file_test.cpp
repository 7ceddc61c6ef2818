// The shipped language file "vorlan.lng": its SLOVAK section gives every
// window exactly the texts it was designed with and holds the built-in
// messages, and its ENGLISH section translates every one of those texts, so
// no window shows a placeholder such as CAP7 in English.
#include "app/main_window.h"
#include "app/setup_dialog.h"
#include "app/start_mission_dialog.h"
#include "base/ini_file.h"
#include "common/qt_print.h"
#include "common/test_state.h"
#include "viewer/database_browser.h"
#include "viewer/graph_properties_dialog.h"
#include "viewer/print_dialog.h"
#include "viewer/report.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{

const QString shipped_dir = QStringLiteral(VORLANIX_SHIPPED_DATA "/");

// Every text a window shows, keyed by the object's place in the window and the property.
QMap<QString, QString> texts_of(QWidget& window)
{
    QMap<QString, QString> out;
    QList<QObject*> objects{&window};
    objects += window.findChildren<QObject*>();
    for (int i = 0; i < objects.size(); ++i) {
        QObject* o = objects[i];
        const QString id = QString("%1 %2 %3 ").arg(i).arg(o->metaObject()->className(), o->objectName());
        auto add = [&](const QString& what, QString text) {
            if (!text.isEmpty()) out[id + what] = text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        };
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
            for (int c = 0; c < m.columnCount(); ++c)
                add(QString("column%1").arg(c), m.headerData(c, Qt::Horizontal).toString());
            for (int r = 0; r < m.rowCount(); ++r)
                add(QString("row%1").arg(r), m.index(r, 0).data().toString());
        }
    }
    return out;
}

struct Window {
    const char* name;
    std::function<std::unique_ptr<QWidget>(vx::Global&)> make;
};

const Window windows[] = {
    {"main window",
     [](vx::Global& g) -> std::unique_ptr<QWidget> {
         auto w = std::make_unique<vx::TForm1>(g);
         w->start();
         return w;
     }},
    {"mission start",
     [](vx::Global& g) { return std::make_unique<vx::Tfrmstart>(g, vx::MissionStart::Hooks{}); }},
    {"setup", [](vx::Global& g) { return std::make_unique<vx::Tfrmsetup>(g, vx::Tfrmsetup::Hooks{}); }},
    {"database browser", [](vx::Global& g) { return std::make_unique<vx::Tfrmopenbase>(g); }},
    {"print settings", [](vx::Global& g) { return std::make_unique<vx::Tfrmprint>(g); }},
    {"report", [](vx::Global& g) { return std::make_unique<vx::Tfreport>(g); }},
    {"graph properties", [](vx::Global& g) { return std::make_unique<vx::Tfgprop>(g); }},
};

// The texts of a window made in a fresh program directory with the given
// language section, the shipped files in data_dir (none when empty).
QMap<QString, QString> window_texts(const Window& w, const QString& language, const QString& data_dir)
{
    vxtest::TestState t;
    t.home.write("vorlanix.ini", "[GLOBAL]\r\nSHOWTIP=0\r\nComPort=1\r\nLANGUAGE=" + language.toLatin1() +
                                     "\r\n[PORTS]\r\nCOM1=/nonexistent\r\n");
    t.g.data_dir = data_dir;
    t.g.settings = vx::read_settings(t.home.dir(), nullptr);
    t.g.lang.build_language_tables(t.home.dir(), language, data_dir);
    EXPECT_EQ(t.g.lang.language_loaded, !data_dir.isEmpty());
    const std::unique_ptr<QWidget> window = w.make(t.g);
    return texts_of(*window);
}

TEST(ShippedLanguageFile, SlovakIsTheDesignAndEnglishTranslatesEveryText)
{
    const auto file = vx::IniFile::load(shipped_dir + "vorlan.lng");
    ASSERT_TRUE(file);
    const QStringList keys = file->keys("SLOVAK");
    EXPECT_EQ(file->keys("ENGLISH").join(' ').toStdString(), keys.join(' ').toStdString());
    for (const QString& key : keys)
        EXPECT_EQ(file->read_string("ENGLISH", key, {}).isEmpty(),
                  file->read_string("SLOVAK", key, {}).isEmpty())
            << key.toStdString();
    const QTemporaryDir empty;
    vx::Language sk;
    sk.build_language_tables(empty.path() + '/', "SLOVAK", shipped_dir);
    // The built-in messages, read as the program reads the file.
    for (int n = 1; n <= 200; ++n)
        for (const auto& [prefix, text] : {std::pair{"MESS", sk.mess(n)}, std::pair{"HINT", sk.hint(n)}}) {
            const QString builtin = vx::builtin_text(prefix + QString::number(n));
            if (!builtin.isEmpty()) {
                EXPECT_EQ(text, builtin) << prefix << n;
            }
        }

    const QRegularExpression placeholder("^(CAP|HINT|LABEL|MENU|MESS)[0-9]+$");
    for (const Window& w : windows) {
        SCOPED_TRACE(w.name);
        const auto designed = window_texts(w, "SLOVAK", {});
        const auto slovak = window_texts(w, "SLOVAK", shipped_dir);
        EXPECT_EQ(slovak.keys(), designed.keys());
        for (auto it = designed.begin(); it != designed.end(); ++it)
            EXPECT_EQ(slovak.value(it.key()), it.value()) << it.key().toStdString();
        const auto english = window_texts(w, "ENGLISH", shipped_dir);
        for (auto it = english.begin(); it != english.end(); ++it)
            EXPECT_FALSE(placeholder.match(it.value()).hasMatch()) << it.key().toStdString();
    }
}

} // namespace
