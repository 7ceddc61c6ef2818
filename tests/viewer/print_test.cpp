// Printing a viewer's text to a PDF file and reading the words back with
// their positions (pdftotext from poppler-utils): columns, pages, header,
// footer, tabs; the plain print; a printer that fails; the print dialog on
// every print, the preview and the summary; the print settings dialog; the
// record file's digest in the browser, the report and the printout.
#include "common/test_state.h"
#include "records/file_digest.h"
#include "viewer/database_browser.h"
#include "viewer/file_list.h"
#include "viewer/print_dialog.h"
#include "viewer/printing.h"
#include "viewer/record_viewer.h"
#include "viewer/report.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace
{

struct Word {
    QString text;
    double x, y; // top-left, in points
    double right;
};
using Page = QList<Word>;

// The words of every page as pdftotext finds them in the file.
QList<Page> pdf_words(const QString& path)
{
    QProcess p;
    p.start("pdftotext", {"-bbox", path, "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    QList<Page> pages;
    const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re");
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
        if (line.contains("<page ")) pages.append(Page{});
        const auto m = word.match(line);
        if (m.hasMatch() && !pages.isEmpty())
            pages.last().append({m.captured(4), m.captured(1).toDouble(), m.captured(2).toDouble(),
                                 m.captured(3).toDouble()});
    }
    return pages;
}

const Word* find(const Page& page, const QString& text)
{
    for (const Word& w : page)
        if (w.text == text) return &w;
    return nullptr;
}

class PrintTest : public ::testing::Test, protected vxtest::TestState
{
protected:
    void SetUp() override
    {
        pdf_printer("out.pdf")(printer);
        printer.setPageSize(QPageSize(QPageSize::A4));
        viewer.setWindowTitle("SKLAD.txt");
    }
    // The name line, then lines "L1" .. "Ln".
    void fill(int n)
    {
        QStringList lines{"SKLAD"};
        for (int i = 1; i <= n; ++i)
            lines << QString("L%1").arg(i);
        viewer.set_text(lines.join('\n'));
    }
    QList<Page> print(const vx::PrintSettings& s)
    {
        EXPECT_TRUE(vx::printmake(viewer, s, printer, QDateTime(QDate(2024, 3, 12), QTime(10, 5))));
        return pdf_words(home.path("out.pdf"));
    }

    vx::TEditForm viewer{g};
    QPrinter printer{QPrinter::HighResolution};
};

TEST_F(PrintTest, ColumnsFillDownThenAcrossThenOntoTheNextPage)
{
    fill(101);
    const QList<Page> pages = print({2, 50, "Sklad ", "Mibra", "Strana "});
    ASSERT_EQ(pages.size(), 2);
    const Word* l1 = find(pages[0], "L1");
    ASSERT_NE(l1, nullptr);
    EXPECT_EQ(find(pages[0], "SKLAD"), nullptr); // the name line is not printed
    for (int i = 2; i <= 100; ++i) {
        SCOPED_TRACE(i);
        const Word* w = find(pages[0], QString("L%1").arg(i));
        ASSERT_NE(w, nullptr);
        const Word* above = find(pages[0], QString("L%1").arg(i == 51 ? 1 : i - 1));
        if (i <= 50) {
            EXPECT_NEAR(w->x, l1->x, 0.5);
            EXPECT_GT(w->y, above->y + 5);
        } else if (i == 51) {
            EXPECT_GT(w->x, l1->x + 150); // the right column, at the top
            EXPECT_NEAR(w->y, l1->y, 0.5);
        } else {
            EXPECT_NEAR(w->x, find(pages[0], "L51")->x, 0.5);
            EXPECT_NEAR(w->y - above->y, find(pages[0], "L2")->y - l1->y, 0.5);
        }
    }
    const Word* l101 = find(pages[1], "L101");
    ASSERT_NE(l101, nullptr);
    EXPECT_NEAR(l101->x, l1->x, 0.5);
    EXPECT_NEAR(l101->y, l1->y, 0.5);
    // Header on both pages; the footer of a full page: number, text, time.
    for (const Page& p : pages) {
        ASSERT_NE(find(p, "SKLAD.txt"), nullptr);
        EXPECT_LT(find(p, "SKLAD.txt")->y, l1->y);
    }
    for (const char* footer : {"Strana", "1", "Mibra", "12.3.2024", "10:05"}) {
        SCOPED_TRACE(footer);
        const Word* w = find(pages[0], footer);
        ASSERT_NE(w, nullptr);
        EXPECT_GT(w->y, find(pages[0], "L50")->y);
    }
    EXPECT_EQ(find(pages[1], "Strana"), nullptr);
}

TEST_F(PrintTest, PageBoundariesNoTextAndColumnsOrRowsBelowOne)
{
    // A text ending at a page boundary gives a further page with only the header; so does no text.
    for (int lines : {100, 0}) {
        SCOPED_TRACE(lines);
        fill(lines);
        const QList<Page> pages = print({2, 50, "", "", ""});
        ASSERT_EQ(pages.size(), lines ? 2 : 1);
        ASSERT_EQ(pages.last().size(), 1);
        EXPECT_EQ(pages.last()[0].text, "SKLAD.txt");
    }
    // Columns or rows below 1 (a hand-edited settings file) count as one.
    fill(3);
    for (const bool cols_below_one : {true, false}) {
        SCOPED_TRACE(cols_below_one);
        const QList<Page> pages =
            print(cols_below_one ? vx::PrintSettings{0, 2, "", "", ""} : vx::PrintSettings{2, 0, "", "", ""});
        ASSERT_EQ(pages.size(), 2);
        const Word *l1 = find(pages[0], "L1"), *l2 = find(pages[0], "L2");
        ASSERT_TRUE(l1 && l2);
        EXPECT_NEAR(cols_below_one ? l2->x : l2->y, cols_below_one ? l1->x : l1->y, 0.5);
        EXPECT_NE(find(pages[1], "L3"), nullptr);
    }
}

TEST_F(PrintTest, TabsPrintAsBlanksAndOneRowPrintsThePlainText)
{
    viewer.set_text("SKLAD\n10.3.2024 08:00\t21,5\t60,0");
    QList<Page> pages = print({2, 50, "", "", ""});
    ASSERT_EQ(pages.size(), 1);
    // One printed line, one blank between the fields as between date and time.
    const Word* words[] = {find(pages[0], "10.3.2024"), find(pages[0], "08:00"), find(pages[0], "21,5"),
                           find(pages[0], "60,0")};
    ASSERT_TRUE(words[0] && words[1] && words[2] && words[3]);
    const double blank = words[1]->x - words[0]->right;
    EXPECT_GT(blank, 0.5);
    for (int i = 2; i < 4; ++i) {
        EXPECT_NEAR(words[i]->y, words[0]->y, 0.5) << i;
        EXPECT_NEAR(words[i]->x - words[i - 1]->right, blank, 0.5) << i;
    }

    // ROWS = 1: the text as the pane holds it, name line included, no header or footer.
    pages = print({2, 1, "HEAD", "FOOT", ""});
    ASSERT_EQ(pages.size(), 1);
    EXPECT_NE(find(pages[0], "SKLAD"), nullptr);
    EXPECT_NE(find(pages[0], "21,5"), nullptr);
    EXPECT_EQ(find(pages[0], "HEAD"), nullptr);
    EXPECT_EQ(find(pages[0], "Strana"), nullptr);

    // A printer that cannot print fails either way.
    printer.setOutputFileName(home.path("no/such/dir/out.pdf"));
    for (int rows : {1, 50})
        EXPECT_FALSE(vx::printmake(viewer, {2, rows, "", "", ""}, printer, QDateTime())) << rows;
}

TEST_F(PrintTest, EveryPrintAsksThePreviewShowsThePagesAndTheSummaryLeads)
{
    viewer.set_text("10.3.2024 08:00\t 21,5\n10.3.2024 09:00\t 23,0");
    vx::Tfrmprint dlg(g);
    int asked = 0;
    dlg.ask_printer = [&](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(home.path(++asked == 3 ? "no/such/dir/out.pdf" : "out.pdf"));
        return asked != 2; // the second time the user cancels
    };
    ASSERT_TRUE(dlg.print_viewer(viewer));
    const QList<Page> pages = pdf_words(home.path("out.pdf"));
    ASSERT_EQ(pages.size(), 1);
    const Word *title = find(pages[0], "Súhrn"), *mkt = find(pages[0], "(MKT):"),
               *last = find(pages[0], "23,0");
    ASSERT_TRUE(title && mkt && last);
    EXPECT_LT(title->y, mkt->y);
    EXPECT_LT(mkt->y, last->y);
    // The dialog comes every time: cancelled, nothing printed; a failure said in the user's language.
    EXPECT_FALSE(dlg.print_viewer(viewer));
    EXPECT_TRUE(ui.args("plain_message").isEmpty());
    EXPECT_FALSE(dlg.print_viewer(viewer));
    EXPECT_EQ(ui.args("plain_message"),
              QStringList{"Tlač na " + home.path("no/such/dir/out.pdf") + " zlyhala"});
    EXPECT_EQ(asked, 3);

    int preview_pages = 0;
    QString caption;
    dlg.show_preview = [&](QPrintPreviewDialog& d) {
        d.show();
        auto* widget = d.findChild<QPrintPreviewWidget*>();
        ASSERT_NE(widget, nullptr);
        widget->updatePreview();
        preview_pages = widget->pageCount();
        caption = d.windowTitle();
    };
    dlg.preview_viewer(viewer);
    EXPECT_EQ(preview_pages, 1);
    EXPECT_EQ(caption, "Náhľad pred tlačou");
}

TEST_F(PrintTest, SettingsDialogWritesItsKeysOnOkOnly)
{
    home.write("vorlanix.ini", "[PRINTER]\r\nCOLS=3\r\n[OTHER]\r\nA=1\r\n");
    g.settings = vx::read_settings(g.program_dir);
    vx::Tfrmprint dlg(g);
    dlg.load();
    EXPECT_EQ(dlg.Ednumcols->value(), 3);
    dlg.Ednumcols->setValue(1);
    dlg.EDhead->setText("Firma ");
    dlg.reject();
    EXPECT_EQ(g.settings.print_cols, 3);

    dlg.load();
    dlg.EDnumrows->setValue(40);
    dlg.EDpata->setText("strana pata");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(home.read("vorlanix.ini"),
              "[PRINTER]\r\nCOLS=3\r\nROWS=40\r\nHEAD=\r\nFOOT=strana pata\r\n[OTHER]\r\nA=1\r\n");
    EXPECT_EQ(vx::Tfrmprint::settings_of(g).rows, 40);

    // "Nastavenie" lets the user choose a PDF file; the list shows it.
    dlg.ask_printer = pdf_printer("chosen.pdf");
    dlg.BTsetup->click();
    EXPECT_EQ(dlg.ComboBox1->currentText(), "PDF: " + home.path("chosen.pdf"));
    EXPECT_TRUE(vx::printer_ready(dlg.printer()));
}

TEST_F(PrintTest, TheRecordFileDigestMarksTheBrowserAndClosesTheReportAndThePrint)
{
    struct Case {
        QString file;
        const char* action; // that noted the digest (nullptr: none did), before a line was changed (edited)
        bool edited;
        QString state; // the line under the SHA-256
    };
    const Case cases[] = {
        {"A.txt", "download", false, "nezmenený od prenosu 1.6.2024 12:00:00 (UTC+02:00)"},
        {"B.txt", "download", true, "zmenený po prenose 1.6.2024 12:00:00 (UTC+02:00)"},
        {"C.txt", "record-file-save", true, "zmenený po uložení 1.6.2024 12:00:00 (UTC+02:00)"},
        {"D.txt", nullptr, false, "odtlačok súboru nie je zaznamenaný"},
    };
    for (const Case& c : cases) {
        home.write("Log/" + c.file, "SKLAD\r\n10.3.2024 08:00\t 21,5\r\n");
        if (c.action)
            vx::note_digest(home.path("Log/" + c.file), c.action,
                            QDateTime({2024, 6, 1}, {12, 0}, QTimeZone(7200)));
        if (c.edited) home.write("Log/" + c.file, "SKLAD\r\n10.3.2024 08:00\t 12,5\r\n");
    }
    home.write("muster.htm", "<html><body>?Footer</body></html>");
    vx::Tfrmopenbase browser(g);
    browser.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser.FExplorer->entries().contains("D.txt"); }));
    vx::Tfrmprint print_dialog(g);
    print_dialog.ask_printer = pdf_printer("out.pdf");
    vx::ReportRun run;
    run.ask = [this](vx::Tfreport& d) { return d.set_report_path(home.path("report.htm")), true; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const QString path = home.path("Log/" + c.file),
                      sha_line = "Súbor záznamov SHA-256: " + vx::file_sha256(path);
        // The browser marks a changed file only; the report ends with the lines, the printout has them.
        ASSERT_TRUE(browser.FExplorer->select_file(path));
        EXPECT_EQ(browser.LBLdigest->isHidden() ? QString() : browser.LBLdigest->text(),
                  c.edited ? "ZMENENÝ: " + c.state : QString());
        viewer.set_file_name(path);
        viewer.set_text(QString::fromUtf8(home.read("Log/" + c.file)));
        vx::Tfreport report_dialog(g);
        ASSERT_EQ(vx::create_report(g, viewer, report_dialog, run), vx::ReportResult::written);
        const QString page =
            QTextDocumentFragment::fromHtml(QString::fromLatin1(home.read("report.htm"))).toPlainText();
        EXPECT_TRUE(page.trimmed().endsWith(sha_line + "\n" + c.state)) << page.toStdString();
        ASSERT_TRUE(print_dialog.print_viewer(viewer));
        QStringList printed;
        for (const Word& w : pdf_words(home.path("out.pdf")).value(0))
            printed << w.text;
        EXPECT_TRUE(printed.join(' ').contains(sha_line + " " + c.state)) << printed.join(' ').toStdString();
    }
}

} // namespace
