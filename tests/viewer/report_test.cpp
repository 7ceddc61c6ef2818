// The HTML report of a record viewer: the page written from the template,
// the chart pictures as GIF files read back by other decoders, and the cases
// that write nothing. (Escaping and long templates: tests/records.)
#include "common/test_state.h"
#include "viewer/record_viewer.h"
#include "viewer/report.h"

#include <QCheckBox>
#include <QFile>
#include <QImageReader>
#include <QLineEdit>
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
        viewer.show();
    }
    vx::ReportResult run(const QString& text, std::function<void(vx::Tfreport&)> fill, bool confirm = true)
    {
        viewer.set_text(text);
        viewer.RedrawGraph();
        vx::ReportRun r;
        r.ask = [&](vx::Tfreport& d) {
            if (fill) fill(d);
            return confirm;
        };
        r.open = [this](const QString& path) {
            opened << path;
            return true;
        };
        return vx::create_report(g, viewer, dialog, r);
    }
    QString page() const { return QString::fromUtf8(home.read("report.htm")); }

    vx::TEditForm viewer{g};
    vx::Tfreport dialog{g};
    QStringList opened;
};

TEST_F(ReportTest, FillsTheTemplateFromTheDialogAndTheGraph)
{
    struct Case {
        const char* name;
        bool two_values;
        std::function<void(vx::Tfreport&)> fill;
        QString expected_body;
        bool humi;
    };
    const Case cases[] = {
        {"header left unchanged, one value", false, nullptr,
         "<h1>Enter here Header</h1><p></p><p>|</p>  <img src=\"temp.gif\" >", false},
        {"typed texts, two values", true,
         [](vx::Tfreport& d) {
             d.Edit1->setText("Sklad <1>");
             d.Edit2->setText("Pozn\u00e1mka");
             d.Edit5->setText("Mibra");
         },
         "<h1>Sklad &lt;1&gt;</h1><p>Pozn&#225;mka</p><p>Mibra|</p><img src=\"humi.gif\" > <img "
         "src=\"temp.gif\" >",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(home.path("humi.gif"));
        home.write("muster.htm",
                   "<html>?fromtime - ?totime\r\n<h1>?Header</h1><p>?Note1</p><p>?Footer|?Note3</p>"
                   "<img src=\"humi.gif\" > <img src=\"temp.gif\" ></html>\r\n");
        dialog.Edit1->setText("Enter here Header");
        ASSERT_EQ(run(records(c.two_values), c.fill), vx::ReportResult::written);
        // Records from 08:00 to 19:00 take two-hour steps; the axis starts one
        // step before the first record and ends at the first step after the last.
        EXPECT_EQ(page(), "<html>10.3.2024 06:00 - 10.3.2024 20:00\r\n" + c.expected_body + "</html>\r\n");
        EXPECT_EQ(QFile::exists(home.path("humi.gif")), c.humi);
        EXPECT_EQ(opened, QStringList{home.path("report.htm")});
        opened.clear();
    }
    // The pictures of the series open in another decoder (Qt's own, not giflib).
    const QImage chart = viewer.series_picture(false);
    for (const char* name : {"temp.gif", "humi.gif"}) {
        SCOPED_TRACE(name);
        QImageReader reader(home.path(name));
        EXPECT_EQ(reader.format(), "gif");
        const QImage image = reader.read().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(image.size(), chart.size());
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                colours << image.pixel(x, y);
        EXPECT_GE(colours.size(), 3); // surround, plot field, axes and curve
    }
    EXPECT_NE(home.read("temp.gif"), home.read("humi.gif"));
}

TEST_F(ReportTest, ShippedTemplateLeavesNoPlaceholder)
{
    QFile shipped(VORLANIX_SHIPPED_DATA "/muster.htm");
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    home.write("muster.htm", shipped.readAll());
    ASSERT_EQ(run(records(false), [](vx::Tfreport& d) { d.Edit3->setText("Sklad 2"); }),
              vx::ReportResult::written);
    const QString out = page();
    for (const char* placeholder :
         {"?fromtime", "?totime", "?Header", "?Footer", "?Note1", "?Note2", "?Note3", "humi.gif"})
        EXPECT_FALSE(out.contains(placeholder)) << placeholder;
    EXPECT_TRUE(out.contains("<h1>Enter here Header</h1>"));
    EXPECT_TRUE(out.contains("<p>Sklad 2</p>"));
    EXPECT_TRUE(out.contains("<img src=\"temp.gif\""));
}

TEST_F(ReportTest, NothingIsWrittenWithoutTemplateOrConfirmation)
{
    EXPECT_EQ(run(records(false), nullptr), vx::ReportResult::no_template);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].first,
              "neexistuje súbor <muster.htm> \r\nPreinštalujte program\r\n-alebo kontaktujte dodávateľa");

    home.write("muster.htm", "?Header");
    EXPECT_EQ(run(records(false), nullptr, false), vx::ReportResult::cancelled);
    EXPECT_FALSE(QFile::exists(home.path("report.htm")));
    EXPECT_FALSE(QFile::exists(home.path("temp.gif")));

    // Without "Otvoriť prehliadač" the page is written but not opened.
    EXPECT_EQ(run(records(false), [](vx::Tfreport& d) { d.CheckBox1->setChecked(false); }),
              vx::ReportResult::written);
    EXPECT_EQ(home.read("report.htm"), "Enter here Header");
    EXPECT_TRUE(opened.isEmpty());
}

} // namespace
