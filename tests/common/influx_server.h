#pragma once
// A private InfluxDB 1.x server for one test: influxd (Debian package
// "influxdb") on a configuration whose meta, data and WAL folders lie in a
// temporary folder and whose HTTP and RPC ports are free loopback ports.
// Needs no root, no service manager and no network; stopped with the object.
#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace vxtest
{

class InfluxServer
{
public:
    InfluxServer();
    ~InfluxServer();
    InfluxServer(const InfluxServer&) = delete;
    InfluxServer& operator=(const InfluxServer&) = delete;

    // Starts influxd and waits until it answers /ping; false (see errors()) when it does not.
    bool start();
    QString errors() const { return errors_; }

    // POST /query with a statement such as "CREATE DATABASE lab"; the HTTP status.
    int execute(const QString& statement);
    // POST /write?db=db of line protocol (nanosecond times); the HTTP status,
    // the answer's body in body.
    int write(const QString& db, const QByteArray& lines, QByteArray* body = nullptr);
    // GET /query?db=db&q=query; the first series of the first result
    // ("columns", "values"), empty when there is none.
    QJsonObject query(const QString& db, const QString& query);

private:
    int request(const QString& method, const QString& path, const QByteArray& body, QByteArray* answer);

    QTemporaryDir dir_;
    QProcess proc_;
    int http_port_ = 0;
    QString errors_;
};

} // namespace vxtest
