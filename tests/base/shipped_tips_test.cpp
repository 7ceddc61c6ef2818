// The tips file that ships with the program: every tip the program asks for
// is there, readable in code page 1250.
#include "base/tips.h"
#include "common/temp_home.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vx;

TEST(ShippedTips, EveryTipTheProgramAsksForIsThere)
{
    vxtest::TempHome home;
    QFile shipped(QStringLiteral(VORLANIX_SHIPPED_DATA "/vntip.tip"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    home.write("vntip.tip", shipped.readAll());

    Tips tips;
    tips.attach(home.dir(), nullptr);
    QString shown;
    tips.sink = [&](const QString& text) { shown = text; };
    EXPECT_EQ(tips.count_day_tips(), 6);

    const QStringList names{"DAY000",  "DAY005",   "TABGLOBAL",     "TABACTUAL",      "TABMISSION",
                            "TABGRAD", "OPENBASE", "START MISSION", "DOWNLOADNUMREC", "ERRDEVPTROLDMODEL"};
    for (const QString& name : names) {
        shown.clear();
        tips.show_tip(name);
        EXPECT_FALSE(shown.trimmed().isEmpty()) << name.toStdString();
        EXPECT_FALSE(shown.contains('[')) << name.toStdString();
        EXPECT_FALSE(shown.contains(QChar(0xFFFD))) << name.toStdString();
    }
    tips.show_tip("DAY003");
    EXPECT_TRUE(shown.contains(QString::fromUtf8("Shift"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromUtf8("zväčšíte"))) << shown.toStdString();
}
