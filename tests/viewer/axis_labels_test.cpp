// The time axis of a narrow chart keeps its ticks and grid but labels only
// as many of them as fit side by side; a wide one labels every tick.
#include "logger/program_state.h"
#include "viewer/record_viewer.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QDateTime>
#include <gtest/gtest.h>

namespace
{

// Ten records ten minutes apart from 6.12.2026 10:00.
QString ninety_minutes()
{
    QString text = "TEXT FILE: t.txt\n";
    QDateTime t(QDate(2026, 12, 6), QTime(10, 0));
    for (int i = 0; i < 10; ++i, t = t.addSecs(600))
        text += t.toString("d.M.yyyy hh:mm") + QString("\t 2%1,5\t 5%1,0\n").arg(i);
    return text;
}

TEST(TimeAxisLabels, NarrowChartLabelsEveryOtherTickWideChartEveryTick)
{
    vx::Global g;
    vx::TEditForm form(g);
    form.set_text(ninety_minutes());

    form.resize(520, 400);
    form.show();
    QApplication::processEvents();
    form.RedrawGraph();
    QCPAxis* x = form.plot()->xAxis;
    ASSERT_EQ(x->tickVector().size(), 11); // 9:50 .. 11:30 every ten minutes
    const QVector<QString> narrow = x->tickVectorLabels();
    int shown = 0;
    for (const QString& l : narrow)
        shown += l.isEmpty() ? 0 : 1;
    EXPECT_GT(shown, 1);
    EXPECT_LT(shown, 11);
    EXPECT_EQ(narrow.front(), QString("09:50\n6.12.2026"));
    // Labelled ticks lie far enough apart for a date label each.
    const int label = QFontMetrics(x->tickLabelFont()).horizontalAdvance("30.12.2026");
    double last = -1e9;
    for (int i = 0; i < narrow.size(); ++i) {
        if (narrow[i].isEmpty()) continue;
        const double px = x->coordToPixel(x->tickVector()[i]);
        EXPECT_GT(px - last, label) << i;
        last = px;
    }

    form.resize(1800, 400);
    QApplication::processEvents();
    form.RedrawGraph();
    ASSERT_EQ(x->tickVector().size(), 11);
    for (const QString& l : x->tickVectorLabels())
        EXPECT_FALSE(l.isEmpty());
}

} // namespace
