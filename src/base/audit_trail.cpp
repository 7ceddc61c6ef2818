// The audit trail's writer, reader and chain check (see audit_trail.h).
#include "base/audit_trail.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#ifndef VORLANIX_VERSION
#define VORLANIX_VERSION "0"
#endif

namespace vx
{

namespace
{

QString system_reason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The JSON text of one value, as it stands inside an object.
QByteArray json_text(const QJsonValue& v)
{
    const QByteArray array = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

// An open descriptor closed on every path.
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0) ::close(fd);
    }
};

bool write_all(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// The last line of the open file of size bytes (without its newline), and
// whether the file ends with a newline; read backwards in pieces.
std::optional<QByteArray> last_line(int fd, off_t size, bool* ends_with_newline)
{
    QByteArray tail;
    off_t pos = size;
    constexpr off_t piece = 4096;
    while (pos > 0) {
        const off_t from = pos > piece ? pos - piece : 0;
        QByteArray chunk(static_cast<qsizetype>(pos - from), '\0');
        if (::pread(fd, chunk.data(), static_cast<size_t>(chunk.size()), from) != chunk.size())
            return std::nullopt;
        tail.prepend(chunk);
        pos = from;
        // A newline before the last byte ends the search.
        if (tail.lastIndexOf('\n', tail.size() - 2) >= 0) break;
    }
    *ends_with_newline = tail.endsWith('\n');
    if (*ends_with_newline) tail.chop(1);
    return tail.mid(tail.lastIndexOf('\n') + 1);
}

} // namespace

QString sha256_hex(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString login_name()
{
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? QString::number(::getuid()) : user;
}

QString audit_details_text(const QJsonObject& details)
{
    auto text = [](const QJsonValue& v) {
        if (v.isString()) return v.toString();
        if (v.isDouble()) return QString::number(v.toDouble(), 'g', 15);
        return QString::fromUtf8(json_text(v));
    };
    QStringList parts;
    const QJsonObject changes = details.value(QStringLiteral("changes")).toObject();
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        const QJsonObject c = it.value().toObject();
        parts << QStringLiteral("%1: %2 -> %3")
                     .arg(it.key(), text(c.value(QStringLiteral("before"))),
                          text(c.value(QStringLiteral("after"))));
    }
    for (auto it = details.begin(); it != details.end(); ++it)
        if (it.key() != QLatin1String("changes")) parts << it.key() + QLatin1Char(' ') + text(it.value());
    return parts.join(QStringLiteral("; "));
}

// ---------------------------------------------------------------- entry

AuditEntry& AuditEntry::logger(std::optional<int> serial, std::optional<int> model,
                               std::optional<QString> mission)
{
    serial_ = serial ? QJsonValue(*serial) : QJsonValue();
    model_ = model ? QJsonValue(*model) : QJsonValue();
    mission_ = mission ? QJsonValue(*mission) : QJsonValue();
    return *this;
}

AuditEntry& AuditEntry::detail(const QString& key, const QJsonValue& value)
{
    details_.insert(key, value);
    return *this;
}

AuditEntry& AuditEntry::change(const QString& name, const QJsonValue& before, const QJsonValue& after)
{
    QJsonObject changes = details_.value(QStringLiteral("changes")).toObject();
    changes.insert(name, QJsonObject{{QStringLiteral("before"), before}, {QStringLiteral("after"), after}});
    details_.insert(QStringLiteral("changes"), changes);
    return *this;
}

AuditEntry& AuditEntry::fail(const QString& reason)
{
    failed_ = true;
    reason_ = reason;
    return *this;
}

AuditEntry& AuditEntry::at(const QDateTime& time)
{
    time_ = time;
    return *this;
}

QByteArray AuditEntry::line(const QString& user, const QString& host, const QJsonObject& program,
                            const QString& prev) const
{
    const QDateTime t = time_.isValid() ? time_ : QDateTime::currentDateTime();
    QList<std::pair<const char*, QJsonValue>> fields{
        {"time", t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate)},
        {"user", user},
        {"host", host},
        {"program", program},
        {"action", action_},
        {"serial", serial_},
        {"model", model_},
        {"mission", mission_},
        {"result", failed_ ? QStringLiteral("failed") : QStringLiteral("ok")}};
    if (failed_) fields.append({"reason", reason_});
    fields.append({"details", details_});
    fields.append({"prev", prev});
    QByteArray out = "{";
    for (const auto& [key, value] : fields) {
        if (out.size() > 1) out += ',';
        out += '"' + QByteArray(key) + "\":" + json_text(value);
    }
    return out + '}';
}

// ---------------------------------------------------------------- check

QString AuditCheck::text() const
{
    switch (kind) {
    case Break::none:
        return QStringLiteral("chain holds, %1 entries").arg(entries);
    case Break::not_json:
        return QStringLiteral("chain broken at entry %1: it is no JSON object").arg(broken_at);
    case Break::not_first:
        return QStringLiteral("chain broken at entry %1: it follows an entry that is no longer there "
                              "(entries before it were removed)")
            .arg(broken_at);
    case Break::not_next:
        return QStringLiteral("chain broken at entry %1: it does not follow entry %2 (an entry was changed, "
                              "removed or moved)")
            .arg(broken_at)
            .arg(broken_at - 1);
    }
    return {};
}

AuditCheck AuditTrail::check(const QByteArray& contents)
{
    AuditCheck c;
    QList<QByteArray> lines = contents.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    c.entries = int(lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        const QJsonDocument doc = QJsonDocument::fromJson(lines[i]);
        AuditCheck::Break kind = AuditCheck::Break::none;
        if (!doc.isObject())
            kind = AuditCheck::Break::not_json;
        else if (doc.object().value(QStringLiteral("prev")).toString() !=
                 (i == 0 ? QString() : sha256_hex(lines[i - 1])))
            kind = i == 0 ? AuditCheck::Break::not_first : AuditCheck::Break::not_next;
        if (kind != AuditCheck::Break::none) {
            c.broken_at = i + 1;
            c.kind = kind;
            break;
        }
    }
    return c;
}

// ---------------------------------------------------------------- the file

AuditTrail::AuditTrail(const QString& dir) : dir_(dir)
{
    if (!dir_.isEmpty() && !dir_.endsWith(QLatin1Char('/'))) dir_ += QLatin1Char('/');
}

void AuditTrail::send_to_system_log(const QByteArray& line)
{
    ::openlog("vorlanix-audit", LOG_PID, LOG_USER);
    ::syslog(LOG_NOTICE, "%s", line.constData());
    ::closelog();
}

bool AuditTrail::record(const AuditEntry& entry, QString* error) const
{
    auto fail = [&](const QString& what) {
        if (error) *error = QStringLiteral("%1: %2").arg(what, system_reason());
        return false;
    };
    QDir().mkpath(dir_);
    // One writer at a time, the window's and the command line's alike; the
    // lock goes with the descriptor.
    Fd lock{::open(QFile::encodeName(dir_ + lock_name()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)};
    if (lock.fd < 0) return fail(dir_ + lock_name());
    while (::flock(lock.fd, LOCK_EX) != 0)
        if (errno != EINTR) return fail(dir_ + lock_name());

    Fd trail{::open(QFile::encodeName(path()).constData(),
                    O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0666)};
    if (trail.fd < 0) return fail(path());
    struct stat st {
    };
    if (::fstat(trail.fd, &st) != 0) return fail(path());
    if (!S_ISREG(st.st_mode)) {
        if (error) *error = QStringLiteral("%1: it is not a regular file").arg(path());
        return false;
    }
    bool ends_with_newline = true;
    QString prev;
    if (st.st_size > 0) {
        const std::optional<QByteArray> last = last_line(trail.fd, st.st_size, &ends_with_newline);
        if (!last) return fail(path());
        prev = sha256_hex(*last);
    }
    const QJsonObject program{{QStringLiteral("name"), QCoreApplication::applicationName().isEmpty()
                                                           ? QStringLiteral("vorlanix")
                                                           : QCoreApplication::applicationName()},
                              {QStringLiteral("version"), QStringLiteral(VORLANIX_VERSION)}};
    const QByteArray line = entry.line(login_name(), QSysInfo::machineHostName(), program, prev);
    if (!write_all(trail.fd, (ends_with_newline ? QByteArray() : QByteArray("\n")) + line + '\n') ||
        ::fsync(trail.fd) != 0)
        return fail(path());
    if (system_log) system_log(line);
    return true;
}

AuditRead AuditTrail::read() const
{
    AuditRead r;
    QFile f(path());
    if (!f.exists()) {
        r.missing = true;
        return r;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        r.error = QStringLiteral("%1: %2").arg(path(), f.errorString());
        return r;
    }
    const QByteArray contents = f.readAll();
    r.check = check(contents);
    int number = 0;
    for (const QByteArray& line : contents.split('\n')) {
        ++number;
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        if (doc.isObject()) r.entries.append({number, doc.object()});
    }
    return r;
}

} // namespace vx
