// The audit trail: its lines and their system log copies, a chain that shows
// every changed, removed or moved line, and writers of two processes at once.
#include "base/audit_trail.h"
#include "common/temp_home.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QSysInfo>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace vx;

namespace
{

QList<QByteArray> lines_of(const vxtest::TempHome& home)
{
    QList<QByteArray> lines = home.read("audit.jsonl").split('\n');
    lines.removeLast(); // after the last newline
    return lines;
}

AuditEntry entry(int k)
{
    return AuditEntry(audit_action::download)
        .logger(4321, 89, QStringLiteral("MISIA1"))
        .detail("records", k)
        .at(QDateTime(QDate(2024, 3, 1), QTime(12, 34, k)));
}

} // namespace

TEST(AuditTrail, EveryLineGoesToTheSystemLogAndTheChainShowsAnyLineChangedRemovedOrMoved)
{
    vxtest::TempHome home;
    AuditTrail trail(home.dir());
    QList<QByteArray> copies;
    trail.system_log = [&copies](const QByteArray& line) { copies << line; };
    for (int k = 0; k < 4; ++k)
        ASSERT_TRUE(trail.record(k == 3 ? entry(k).fail("cancelled") : entry(k)));
    const QList<QByteArray> lines = lines_of(home);
    EXPECT_EQ(copies, lines);
    // The fields in their order; the program's version lies between the two parts.
    const QByteArray line = lines.value(1);
    EXPECT_TRUE(line.startsWith(
        "{\"time\":\"2024-03-01T12:34:01+01:00\",\"user\":\"" + login_name().toUtf8() + "\",\"host\":\"" +
        QSysInfo::machineHostName().toUtf8() + "\",\"program\":{\"name\":\"test_base\",\"version\":\""))
        << line.toStdString();
    EXPECT_TRUE(
        line.endsWith("\"},\"action\":\"download\",\"serial\":4321,\"model\":89,\"mission\":\"MISIA1\","
                      "\"result\":\"ok\",\"details\":{\"records\":1},\"prev\":\"" +
                      QCryptographicHash::hash(lines.value(0), QCryptographicHash::Sha256).toHex() + "\"}"))
        << line.toStdString();
    EXPECT_TRUE(lines.value(3).contains("\"result\":\"failed\",\"reason\":\"cancelled\""));
    EXPECT_EQ(trail.read().check.text(), "chain holds, 4 entries");

    using B = AuditCheck::Break;
    struct Case {
        const char* name;
        std::function<void(QList<QByteArray>&)> tamper;
        int broken_at;
        B kind;
    };
    const Case cases[] = {
        {"second deleted", [](QList<QByteArray>& l) { l.removeAt(1); }, 2, B::not_next},
        {"second edited", [](QList<QByteArray>& l) { l[1].replace("\"records\":1", "\"records\":7"); }, 3,
         B::not_next},
        {"second and third swapped", [](QList<QByteArray>& l) { l.swapItemsAt(1, 2); }, 2, B::not_next},
        {"first deleted", [](QList<QByteArray>& l) { l.removeFirst(); }, 1, B::not_first},
        {"third no JSON", [](QList<QByteArray>& l) { l[2] = "records: 2"; }, 3, B::not_json},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QList<QByteArray> tampered = lines;
        c.tamper(tampered);
        const AuditCheck check = AuditTrail::check(tampered.join('\n') + '\n');
        EXPECT_EQ(check.broken_at, c.broken_at);
        EXPECT_EQ(check.kind, c.kind);
    }

    // A line cut off by an earlier write stays a break; the next entry starts a line of its own.
    home.write("audit.jsonl", home.read("audit.jsonl") + "{\"time\":");
    ASSERT_TRUE(trail.record(entry(5)));
    EXPECT_EQ(lines_of(home).size(), 6);
    EXPECT_TRUE(QJsonDocument::fromJson(lines_of(home).last()).isObject());
    EXPECT_EQ(trail.read().check.text(), "chain broken at entry 5: it is no JSON object");
}

TEST(AuditTrail, TwoProcessesAppendingAtOnceKeepOneChain)
{
    vxtest::TempHome home;
    constexpr int per_process = 40;
    pid_t children[2] = {};
    for (pid_t& child : children) {
        child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            AuditTrail trail(home.dir());
            trail.system_log = nullptr;
            bool ok = true;
            for (int k = 0; k < per_process && ok; ++k)
                ok = trail.record(
                    AuditEntry(audit_action::clock_set).detail("pid", int(getpid())).detail("k", k));
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const AuditRead read = AuditTrail(home.dir()).read();
    EXPECT_EQ(read.check.text(), "chain holds, 80 entries");
    // Each process's entries are all there, in the order it wrote them.
    for (pid_t child : children) {
        QList<int> ks;
        for (const AuditRow& row : read.entries)
            if (row.entry["details"]["pid"].toInt() == child) ks << row.entry["details"]["k"].toInt();
        EXPECT_EQ(ks.size(), per_process);
        EXPECT_TRUE(std::is_sorted(ks.begin(), ks.end()));
    }
}
