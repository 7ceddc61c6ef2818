#pragma once
// Golden files under tests/data, and the expected lines of downloads worked
// out from the simulated logger's ring dump.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace vxtest
{

// The bytes of tests/data/<name>; a missing file fails the running test.
QByteArray test_data(const QString& name);

// One written ring position as the simulator dumps it:
// "pos<TAB>yyyy-mm-dd hh:mm:ss<TAB>raw1[<TAB>raw2...]".
struct RingRecord {
    QDateTime time;
    std::vector<long> raw;
};
std::map<int, RingRecord> parse_ring(const QStringList& dump);

// value with the given decimals, exact halves rounded away from zero, padded
// on the left to width, with a decimal comma: (22.25, 5, 1) -> " 22,3".
QString comma_fixed(double value, int width, int decimals);

// The record file's time stamp: d.M.yyyy, then " hh:mm" unless exactly midnight.
QString file_stamp(const QDateTime& t);

// A local time, and the same in seconds since the epoch (as the chart's time axis counts).
inline QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}
inline double secs(int y, int mo, int d, int h = 0, int mi = 0)
{
    return double(at(y, mo, d, h, mi).toSecsSinceEpoch());
}

// The lines of a text file in code page 1250 with CR LF line ends.
QStringList file_lines(const QString& path);

} // namespace vxtest
