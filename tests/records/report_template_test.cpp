// Filling the report template: placeholders, escaping of what the user
// typed, templates of any length.
#include "records/report_template.h"

#include <gtest/gtest.h>

// Cases name only the members they set; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace
{

vx::ReportTexts texts(const QString& header = "H", bool second = false)
{
    return {"10.3.2024 08:00", "11.3.2024", header, "F", "N1", "N2", "N3", second};
}

TEST(ReportTemplate, ReplacesTheFirstOccurrenceOfEachPlaceholder)
{
    struct Case {
        const char* name;
        QByteArray page;
        vx::ReportTexts texts;
        QByteArray expected;
    };
    const Case cases[] = {
        {"no placeholders", "<html>\r\n<body>?note1 ?HEADER \xe8\r\n</body></html>", texts(),
         "<html>\r\n<body>?note1 ?HEADER \xe8\r\n</body></html>"},
        {"every placeholder", "?Header|?fromtime-?totime|?Note1,?Note2,?Note3|?Footer", texts(),
         "H|10.3.2024 08:00-11.3.2024|N1,N2,N3|F"},
        {"a second ?Note1 stays", "?Note1 and ?Note1", texts(), "N1 and ?Note1"},
        {"one series: the humidity picture goes", "<img src=\"temp.gif\" ><img src=\"humi.gif\" >", texts(),
         "<img src=\"temp.gif\" > "},
        {"two series: it stays", "<img src=\"temp.gif\" ><img src=\"humi.gif\" >", texts("H", true),
         "<img src=\"temp.gif\" ><img src=\"humi.gif\" >"},
        {"markup typed by the user shows as text", "<h1>?Header</h1>",
         texts("<script>alert('x')</script> & \"y\""),
         "<h1>&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;y&quot;</h1>"},
        {"letters outside ASCII as references", "?Header", texts("Teplota \u010d\u00ed 5\u00b0C"),
         "Teplota &#269;&#237; 5&#176;C"},
        {"a placeholder typed by the user is not replaced", "?Header/?Footer", texts("?Footer"), "?Footer/F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vx::fill_report_template(c.page, c.texts), c.expected);
    }
}

TEST(ReportTemplate, LongTemplateIsNotCut)
{
    // 100 KB of table rows with the placeholders near the start and at the end.
    QByteArray page = "<html><h1>?Header</h1>\r\n";
    while (page.size() < 100 * 1024)
        page += "<tr><td>row</td><td>" + QByteArray::number(page.size()) + "</td></tr>\r\n";
    page += "<p>?Footer</p></html>\r\n";
    const QByteArray out = vx::fill_report_template(page, texts("Sklad 1"));

    QByteArray expected = page;
    expected.replace("?Header", "Sklad 1");
    expected.replace("?Footer", "F");
    EXPECT_EQ(out, expected);
}

} // namespace
