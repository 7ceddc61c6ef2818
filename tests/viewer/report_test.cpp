// The HTML report of a record viewer: the page written from the template
// into the file the user chose, with the range and summary of the records,
// the chart pictures named after the page and read back by another decoder,
// the template of the user's language, and the cases that write nothing.
// (Escaping and long templates: tests/records.)
#include "common/test_state.h"
#include "viewer/record_viewer.h"
#include "viewer/report.h"

#include <QCheckBox>
#include <QFile>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <gtest/gtest.h>

namespace
{

// Twelve hourly records from 10.3.2024 08:00, one or two values each.
QString records(bool two_values)
{
    QString text = "SKLAD\n";
    for (int i = 0; i < 12; ++i) {
        text += QString("10.3.2024 %1:00\t 2%2,5").arg(8 + i, 2, 10, QChar('0')).arg(i % 10);
        if (two_values) text += QString("\t 6%1,0").arg(9 - i % 10);
        text += "\n";
    }
    return text;
}

class ReportTest : public ::testing::Test, protected vxtest::TestState
{
protected:
    void SetUp() override
    {
        viewer.resize(900, 500);
        viewer.setWindowTitle("SKLAD.txt");
        viewer.show();
    }
    vx::ReportResult run(const QString& text, std::function<void(vx::Tfreport&)> fill, bool confirm = true)
    {
        viewer.set_text(text);
        viewer.RedrawGraph();
        vx::ReportRun r;
        r.ask = [&](vx::Tfreport& d) {
            d.ask_path = [this](const QString&) { return home.path("Reports/sklad marec"); };
            d.BTfile->click();
            if (fill) fill(d);
            return confirm;
        };
        r.open = [this](const QString& path) { return opened << path, true; };
        return vx::create_report(g, viewer, dialog, r);
    }
    QString page() const { return QString::fromUtf8(home.read("Reports/sklad marec.htm")); }

    vx::TEditForm viewer{g};
    vx::Tfreport dialog{g};
    QStringList opened;
};

TEST_F(ReportTest, FillsTheTemplateFromTheDialogAndTheRecords)
{
    struct Case {
        const char* name;
        bool two_values;
        std::function<void(vx::Tfreport&)> fill;
        QString expected_body;
        bool humi;
    };
    const Case cases[] = {
        {"header left empty, one value", false, nullptr,
         "<h1>SKLAD</h1><p></p><p>|</p>  <img src=\"sklad%20marec-temp.gif\" >", false},
        {"typed texts, two values", true,
         [](vx::Tfreport& d) {
             d.Edit1->setText("Sklad <1>");
             d.Edit2->setText("Pozn\u00e1mka");
             d.Edit5->setText("Mibra");
         },
         "<h1>Sklad &lt;1&gt;</h1><p>Pozn&#225;mka</p><p>Mibra|</p>"
         "<img src=\"sklad%20marec-humi.gif\" > <img src=\"sklad%20marec-temp.gif\" >",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        home.write("muster.htm",
                   "<html>?fromtime - ?totime\r\n<h1>?Header</h1><p>?Note1</p><p>?Footer|?Note3</p>"
                   "<img src=\"humi.gif\" > <img src=\"temp.gif\" ></body></html>\r\n");
        ASSERT_EQ(run(records(c.two_values), c.fill), vx::ReportResult::written);
        // The first and the last record, not the ends of the axis drawn around them (06:00 - 20:00).
        const QString out = page();
        EXPECT_TRUE(out.startsWith("<html>10.3.2024 08:00 - 10.3.2024 19:00\r\n" + c.expected_body))
            << out.toStdString();
        // The summary goes before the end of the body of a template without its place.
        EXPECT_TRUE(out.contains("<tr><th>Maximum</th><td>29,5 (10.3.2024 17:00)</td>"));
        EXPECT_TRUE(out.endsWith("</table>\r\n</body></html>\r\n"));
        EXPECT_EQ(QFile::exists(home.path("Reports/sklad marec-humi.gif")), c.humi);
        EXPECT_EQ(opened, QStringList{home.path("Reports/sklad marec.htm")});
        opened.clear();
    }
    // The pictures of the series open in another decoder (Qt's own, not giflib).
    const QImage chart = viewer.series_picture(false);
    for (const char* name : {"temp", "humi"}) {
        SCOPED_TRACE(name);
        QImageReader reader(home.path(QString("Reports/sklad marec-%1.gif").arg(name)));
        EXPECT_EQ(reader.format(), "gif");
        const QImage image = reader.read().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(image.size(), chart.size());
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                colours << image.pixel(x, y);
        EXPECT_GE(colours.size(), 3); // surround, plot field, axes and curve
    }
}

TEST_F(ReportTest, ShippedTemplatesOfEachLanguageLeaveNoPlaceholder)
{
    g.data_dir = VORLANIX_SHIPPED_DATA "/";
    for (const char* language : {"SLOVAK", "ENGLISH"}) {
        SCOPED_TRACE(language);
        g.settings.LANGUAGE = language;
        ASSERT_EQ(run(records(false), [](vx::Tfreport& d) { d.Edit3->setText("Sklad 2"); }),
                  vx::ReportResult::written);
        const QString out = page();
        for (const char* placeholder : {"?fromtime", "?totime", "?Header", "?Footer", "?Note1", "?Note2",
                                        "?Note3", "?summary", "?digest", "humi.gif", "Enter here"})
            EXPECT_FALSE(out.contains(placeholder)) << placeholder;
        EXPECT_TRUE(out.contains("<p>Sklad 2</p>"));
        EXPECT_TRUE(out.contains("<img src=\"sklad%20marec-temp.gif\""));
        EXPECT_TRUE(
            out.contains(QString(language) == "SLOVAK" ? "<html lang=\"sk\">" : "<html lang=\"en\">"));
        EXPECT_EQ(out.contains("Records from 10.3.2024 08:00 to 10.3.2024 19:00"),
                  QString(language) == "ENGLISH");
    }
}

TEST_F(ReportTest, NothingIsWrittenWithoutTemplateOrConfirmationAndNothingIsReplaced)
{
    EXPECT_EQ(run(records(false), nullptr), vx::ReportResult::no_template);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].first,
              "neexistuje súbor <muster.htm> \r\nPreinštalujte program\r\n-alebo kontaktujte dodávateľa");

    home.write("muster.htm", "?Header");
    EXPECT_EQ(run(records(false), nullptr, false), vx::ReportResult::cancelled);
    EXPECT_FALSE(QFile::exists(home.path("Reports/sklad marec.htm")));
    EXPECT_FALSE(QFile::exists(home.path("Reports/sklad marec-temp.gif")));

    // Without "Otvoriť prehliadač" the page is written but not opened.
    EXPECT_EQ(run(records(false), [](vx::Tfreport& d) { d.CheckBox1->setChecked(false); }),
              vx::ReportResult::written);
    EXPECT_TRUE(home.read("Reports/sklad marec.htm").startsWith("SKLAD<h2"));
    EXPECT_TRUE(opened.isEmpty());

    // The proposal is named after the viewer and the day, beside the last report, and never an existing file.
    g.now = vxtest::pc_time;
    home.write("Reports/SKLAD 2024-03-01.htm", "old");
    dialog.prepare(viewer, QDate(2024, 3, 1));
    EXPECT_EQ(dialog.report_path(), home.path("Reports/SKLAD 2024-03-01 (2).htm"));
    // A page that cannot be written is said in the user's language.
    QFile::remove(home.path("Reports/sklad marec.htm"));
    home.write("Reports/sklad marec.htm/x", "a folder in the way");
    EXPECT_EQ(run(records(false), nullptr), vx::ReportResult::failed);
    EXPECT_TRUE(ui.args("plain_message").last().startsWith("Súbor "))
        << ui.args("plain_message").last().toStdString();
}

} // namespace
