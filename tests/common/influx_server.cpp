#include "influx_server.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTcpServer>
#include <QThread>
#include <QUrlQuery>

namespace vxtest
{

namespace
{

int free_port()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

InfluxServer::InfluxServer() = default;

InfluxServer::~InfluxServer()
{
    if (proc_.state() == QProcess::NotRunning) return;
    proc_.terminate();
    if (!proc_.waitForFinished(10000)) {
        proc_.kill();
        proc_.waitForFinished(3000);
    }
}

bool InfluxServer::start()
{
    const QString root = dir_.path();
    http_port_ = free_port();
    const QString config = QString("reporting-disabled = true\n"
                                   "bind-address = \"127.0.0.1:%1\"\n"
                                   "[meta]\n  dir = \"%2/meta\"\n"
                                   "[data]\n  dir = \"%2/data\"\n  wal-dir = \"%2/wal\"\n"
                                   "  query-log-enabled = false\n"
                                   "[monitor]\n  store-enabled = false\n"
                                   "[http]\n  bind-address = \"127.0.0.1:%3\"\n  log-enabled = false\n"
                                   "[logging]\n  level = \"warn\"\n")
                               .arg(free_port())
                               .arg(root)
                               .arg(http_port_);
    QFile f(root + "/influxdb.conf");
    if (!f.open(QIODevice::WriteOnly) || f.write(config.toUtf8()) < 0) return false;
    f.close();
    proc_.setProcessChannelMode(QProcess::MergedChannels);
    proc_.setStandardOutputFile(root + "/influxd.log");
    proc_.start("influxd", {"-config", root + "/influxdb.conf"});
    if (!proc_.waitForStarted(5000)) {
        errors_ = "influxd does not start (Debian package influxdb; scripts/setup installs it)";
        return false;
    }
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && proc_.state() == QProcess::Running) {
        if (request("GET", "/ping", {}, nullptr) == 204) return true;
        QThread::msleep(100);
    }
    QFile log(root + "/influxd.log");
    errors_ =
        "influxd did not answer /ping: " + (log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray());
    return false;
}

int InfluxServer::request(const QString& method, const QString& path, const QByteArray& body,
                          QByteArray* answer)
{
    QNetworkAccessManager net;
    net.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest req(QUrl(QString("http://127.0.0.1:%1%2").arg(http_port_).arg(path)));
    req.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    req.setTransferTimeout(10000);
    QNetworkReply* reply = method == "GET" ? net.get(req) : net.post(req, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    if (answer) *answer = reply->readAll();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->deleteLater();
    return status;
}

int InfluxServer::execute(const QString& statement)
{
    QUrlQuery q;
    q.addQueryItem("q", statement);
    return request("POST", "/query", q.toString(QUrl::FullyEncoded).toUtf8(), nullptr);
}

int InfluxServer::write(const QString& db, const QByteArray& lines, QByteArray* body)
{
    return request("POST", "/write?db=" + db, lines, body);
}

QJsonObject InfluxServer::query(const QString& db, const QString& query)
{
    QUrlQuery q;
    q.addQueryItem("db", db);
    q.addQueryItem("q", query);
    QByteArray answer;
    request("GET", "/query?" + q.toString(QUrl::FullyEncoded), {}, &answer);
    const QJsonArray series =
        QJsonDocument::fromJson(answer).object()["results"].toArray().at(0).toObject()["series"].toArray();
    return series.at(0).toObject();
}

} // namespace vxtest
