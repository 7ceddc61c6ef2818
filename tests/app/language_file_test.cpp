// The shipped language file "vorlan.lng": Slovak texts for every window and built-in text, an English
// one for every key in use, the switch between them, and older files that lack keys.
#include "app/about_box.h"
#include "app/audit_window.h"
#include "app/main_window.h"
#include "app/message_window.h"
#include "app/setup_dialog.h"
#include "app/start_mission_dialog.h"
#include "app/viewer_area.h"
#include "base/code_page.h"
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
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
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
        // The file list shows the file's time: a fixed one, whatever minute the test runs in.
        QFile log(t.home.path("Log/SKLAD.txt"));
        EXPECT_TRUE(
            log.open(QIODevice::ReadWrite) &&
            log.setFileTime(QDateTime(QDate(2024, 3, 1), QTime(12, 0)), QFileDevice::FileModificationTime));
        t.g.data_dir = data_dir;
        f = std::make_unique<vx::TForm1>(t.g);
        f->start();
        f->frmstart = new vx::Tfrmstart(t.g, {}, f.get());
        f->frmsetup = new vx::Tfrmsetup(t.g, {}, f.get());
        f->mdi()->open_text_file(t.home.path("Log/SKLAD.txt"));
        f->mdi()->new_viewer();
        f->Zaznamauditu1->trigger();
        show_setup();
        const QFileSystemModel* files = f->database_browser()->FExplorer->model();
        EXPECT_TRUE(QTest::qWaitFor([&] { return files->rowCount(files->index(t.home.path("Log"))) == 1; }));
        // The poll's first tick shows the clock: every program is compared after it.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !f->findChild<QLabel*>("stbar2")->text().isEmpty(); }));
        about = vx::make_about_box(t.g, nullptr);
    }
    // The settings dialog fills its lists when it is shown.
    void show_setup()
    {
        f->frmsetup->show();
        f->frmsetup->hide();
    }
};

// Every window by name: the main window, its dialogs, the viewer and the windows of their own.
std::vector<std::pair<const char*, QWidget*>> windows(Program& p)
{
    return {{"main window", p.f.get()},         {"mission start", p.f->frmstart},
            {"setup", p.f->frmsetup},           {"database browser", p.f->database_browser()},
            {"print settings", p.f->frmprint},  {"report", p.f->freport},
            {"graph properties", p.f->fgprop},  {"record viewer", p.f->mdi()->viewers().value(0)},
            {"audit trail", p.f->frmaudit},     {"about", p.about.get()},
            {"message window", p.message.get()}};
}

using Texts = std::vector<QMap<QString, QString>>; // per window, in the order above

Texts all_texts(Program& p)
{
    Texts out;
    for (const auto& [name, window] : windows(p))
        out.push_back(texts_of(*window, p.t.home.dir().chopped(1)));
    return out;
}

// Every key the program reads: those of the shipped file, those with a
// built-in text and those the sources name.
QSet<QString> keys_in_use(const vx::IniFile& file)
{
    const QStringList keys = file.keys("SLOVAK");
    QSet<QString> used(keys.begin(), keys.end());
    for (const vx::BuiltInText& b : vx::builtin_texts())
        used << QString::fromLatin1(b.key);
    const QRegularExpression call("\\b(capt|hint|label|menu|mess)\\((\\d+)\\)"),
        named("\"(CAPT|HINT|LABEL|MENU|MESS)(\\d+)\"");
    for (QDirIterator it(VORLANIX_SOURCE_DIR, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile source(it.next());
        EXPECT_TRUE(source.open(QIODevice::ReadOnly));
        const QString code = QString::fromUtf8(source.readAll());
        for (const QRegularExpression& re : {call, named})
            for (const auto& m : re.globalMatch(code))
                used << m.captured(1).toUpper() + m.captured(2);
    }
    return used;
}

// Most words of was, by their first three letters without accents, are in
// now: was spelt right or reworded ("Spodna", "Spodná").
bool same_words(const QString& was, const QString& now)
{
    auto stems = [](const QString& text) {
        QStringList words = text.normalized(QString::NormalizationForm_D)
                                .remove(QRegularExpression("\\p{Mn}"))
                                .toLower()
                                .split(QRegularExpression("[\\W_]+"), Qt::SkipEmptyParts);
        for (QString& w : words)
            w.truncate(3);
        return words;
    };
    const QStringList a = stems(was), b = stems(now);
    return std::count_if(a.begin(), a.end(), [&](const QString& w) { return b.contains(w); }) * 3 >=
           a.size() * 2;
}

// Words of the other language: English ones in a Slovak text, Slovak words
// or letters in an English one.
// clang-format off
const QRegularExpression english_words("(?i)\\b(the|and|of|is|not|in|out|all|enter|password|serial|number|"
    "valid|integer|value|print|help|zoom|zomm|save|copy|paste|cut|public|full|graph|untitled|records?|lines|"
    "bytes|download|timeout|error|send|command|input|contact|display|calibs|files|rich|cancel|ptr|counter|"
    "temp\\d*|temperature|humidity|recorder|sensor)\\b", QRegularExpression::UseUnicodePropertiesOption);
const QRegularExpression slovak_words("(?i)[áäčďéíĺľňóôŕšťúýž]|\\b(je|na|sa|pre|nie|alebo|pri|len|ak|bez|"
    "typ|zapisovac|teplota|vlhkost|prud|zaznam\\w*|misia|subor|posun|spodna|horna|prietok|hladina|snimac|"
    "pocet|chyba|zapis|udaje?|nazov|vstup|suchy|mokry|kluc|odoslat|stav)\\b",
    QRegularExpression::UseUnicodePropertiesOption);
// clang-format on
bool has(const QRegularExpression& words, QString text)
{
    return words.match(text.remove('&')).hasMatch();
}
// A Slovak text that stands for a designed or built-in one: the same words,
// or Slovak ones for English.
bool corrects(const QString& was, const QString& now)
{
    return same_words(was, now) || (has(english_words, was) && !has(english_words, now));
}

TEST(ShippedLanguageFile, EveryKeyInUseHasASlovakAndAnEnglishTextEachInItsOwnLanguage)
{
    const auto file = vx::IniFile::load(shipped_dir + "vorlan.lng");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->keys("ENGLISH").size(), file->keys("SLOVAK").size());
    vx::Language sk, en;
    sk.build_language_tables(QString(), "SLOVAK", shipped_dir);
    en.build_language_tables(QString(), "ENGLISH", shipped_dir);
    const QSet<QString> used = keys_in_use(*file);
    EXPECT_GT(used.size(), 300);
    for (const QString& key : used) {
        SCOPED_TRACE(key.toStdString());
        const auto slovak = file->value("SLOVAK", key), english = file->value("ENGLISH", key);
        ASSERT_TRUE(slovak && english);
        EXPECT_EQ(slovak->isEmpty(), english->isEmpty());
        EXPECT_EQ(vx::text_arguments(sk.text(key)), vx::text_arguments(en.text(key)));
        EXPECT_FALSE(has(english_words, sk.text(key))) << sk.text(key).toStdString();
        EXPECT_FALSE(has(slovak_words, en.text(key))) << en.text(key).toStdString();
        const QString own = vx::builtin_text(key);
        EXPECT_TRUE(own.isEmpty() || corrects(own, sk.text(key))) << sk.text(key).toStdString();
    }
    // A count between two texts stands apart from them, counted nouns agree with theirs.
    EXPECT_EQ(sk.mess(7) + "3901" + sk.mess(8) + '|' + vx::record_count_text(sk, 1) + '|' +
                  vx::record_count_text(sk, 3) + '|' + vx::record_count_text(sk, 5),
              QString::fromUtf8("Maximálne je možné preniesť 3901 záznamov|1 záznam|3 záznamy|5 záznamov"));
    EXPECT_EQ(en.mess(7) + "3901" + en.mess(8) + '|' + vx::record_count_text(en, 1) + '|' +
                  vx::record_count_text(en, 3),
              "At most 3901 records can be downloaded|1 record|3 records");
}

TEST(OldLanguageFile, KeysItLacksTakeTheProgramsOwnTextsAndNoMessageLosesItsArguments)
{
    // The keys of the built-in texts a language file held before the program read more of them.
    QStringList old_keys{"HINT100"};
    for (auto [from, to] : {std::pair{1, 3}, {5, 11}, {14, 37}, {40, 46}, {100, 113}})
        for (int n = from; n <= to; ++n)
            old_keys << QString("MESS%1").arg(n);
    struct Case {
        const char *label,
            *file_section;    // the old file's section with keys (beside an empty one), "": no file
        bool utf8, shipped;   // the old file in UTF-8 (else code page 1250); the program's own file there
        const char* language; // LANGUAGE
        bool loaded;
    } const cases[] = {{"Slovak", "SLOVAK", false, true, "slovak", true},
                       {"Slovak in UTF-8", "SLOVAK", true, true, "SLOVAK", true},
                       {"English", "ENGLISH", false, true, "ENGLISH", true},
                       {"English, the old file has none", "SLOVAK", false, true, "ENGLISH", true},
                       {"nothing shipped", "SLOVAK", false, false, "SLOVAK", true},
                       {"no file, nothing shipped", "", false, false, "SLOVAK", false},
                       {"an empty section", "SLOVAK", false, false, "EMPTY", false},
                       {"a section neither file has", "SLOVAK", false, true, "GERMAN", false}};
    const auto shipped = vx::IniFile::load(shipped_dir + "vorlan.lng");
    ASSERT_TRUE(shipped);
    const QSet<QString> used = keys_in_use(*shipped);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        vxtest::TempHome home;
        // Every key of its text, and one message that lost an argument.
        QString text =
            QString("[EMPTY]\r\n; nothing\r\n[%1]\r\nMESS115=- %1: sent %2\r\n").arg(c.file_section);
        for (const QString& key : old_keys)
            text += QString::fromUtf8("%1=starý text %1\r\n").arg(key);
        if (*c.file_section) home.write("vorlan.lng", c.utf8 ? text.toUtf8() : *vx::to_cp1250(text));
        const QString data_dir = c.shipped ? shipped_dir : QString();
        vx::Language lang, own;
        lang.build_language_tables(home.dir(), c.language, data_dir);
        own.build_language_tables(QString(), c.language, data_dir);
        EXPECT_EQ(lang.language_loaded, c.loaded);
        for (const QString& key : used) {
            const QString want = QString(c.language).toUpper() == c.file_section && old_keys.contains(key)
                                     ? QString::fromUtf8("starý text ") + key
                                 : c.shipped ? own.text(key)
                                             : vx::builtin_text(key);
            EXPECT_EQ(lang.text(key).toStdString(), want.toStdString()) << key.toStdString();
        }
        EXPECT_EQ(vx::text_arguments(lang.mess(115)), 0b1110);
        EXPECT_EQ(lang.mess(vx::language_entries + 1) + lang.capt(0), ""); // outside the table
    }
}

// Texts that read the same in Slovak and English: units, names, numbers and
// the few English words the Slovak windows were designed with.
const QRegularExpression same_in_both(
    "(?s)^('C|°C|%RH|min|hPa|A|B|A\\d|T\\d|OK|COM|COM\\d+:?|COM "
    "port|HELP|Auto|Filter|Maximum:|Minimum:|Synchro|"
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
    for (std::size_t w = 0; w < slovak.size(); ++w) {
        SCOPED_TRACE(windows(p)[w].first);
        EXPECT_EQ(slovak[w].keys(), designed[w].keys());
        EXPECT_EQ(switched[w].keys(), english[w].keys()); // the same texts shown, the same places
        for (auto it = slovak[w].begin(); it != slovak[w].end(); ++it) {
            const std::string where = it.key().toStdString();
            const QString now = switched[w].value(it.key());
            // The designed text, spelt right and in Slovak.
            const QString was = designed[w].value(it.key());
            EXPECT_TRUE(corrects(was, it.value()))
                << where << ": " << it.value().toStdString() << " for " << was.toStdString();
            EXPECT_EQ(now.toStdString(), english[w].value(it.key()).toStdString()) << where;
            EXPECT_TRUE(now != it.value() || same_in_both.match(now).hasMatch())
                << where << ": " << now.toStdString();
            EXPECT_FALSE(placeholder.match(now).hasMatch()) << where;
        }
    }
}

} // namespace
