#pragma once
// A private InfluxDB 1.x for one test: influxd (Debian package "influxdb")
// with its meta, data and WAL folders in a temporary folder and its HTTP and
// RPC ports on free loopback ports; no root, no service manager, no network.
// Stopped with the object.
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QUrlQuery>

namespace vxtest
{

class InfluxServer
{
public:
    ~InfluxServer()
    {
        proc_.terminate();
        if (!proc_.waitForFinished(10000)) proc_.kill();
        proc_.waitForFinished(3000);
    }

    // Starts influxd and waits for its /ping; the reason when it does not answer, else empty.
    QString start()
    {
        const QString root = dir_.path();
        port_ = free_port();
        QFile conf(root + "/influxdb.conf");
        if (!conf.open(QIODevice::WriteOnly)) return "cannot write " + conf.fileName();
        conf.write(QString("reporting-disabled = true\nbind-address = \"127.0.0.1:%1\"\n"
                           "[meta]\n dir = \"%2/meta\"\n[data]\n dir = \"%2/data\"\n wal-dir = \"%2/wal\"\n"
                           "[monitor]\n store-enabled = false\n[http]\n bind-address = \"127.0.0.1:%3\"\n"
                           " log-enabled = false\n[logging]\n level = \"warn\"\n")
                       .arg(free_port())
                       .arg(root)
                       .arg(port_)
                       .toUtf8());
        conf.close();
        proc_.setProcessChannelMode(QProcess::MergedChannels);
        proc_.start("influxd", {"-config", conf.fileName()});
        if (!proc_.waitForStarted(5000))
            return "no influxd (Debian package influxdb; scripts/setup installs it)";
        for (QDeadlineTimer deadline(30000); !deadline.hasExpired() && proc_.state() == QProcess::Running;)
            if (request("/ping") == 204)
                return {};
            else
                QThread::msleep(100);
        return "influxd did not answer: " + proc_.readAll();
    }

    // POST /query?q=statement, or with db and lines POST /write?db=db; the HTTP status.
    int post(const QString& statement, const QString& db = {}, const QByteArray& lines = {})
    {
        QUrlQuery q;
        q.addQueryItem(db.isEmpty() ? "q" : "db", db.isEmpty() ? statement : db);
        return request((db.isEmpty() ? "/query?" : "/write?") + q.toString(QUrl::FullyEncoded), lines, true);
    }

    // GET /query: the first series of the answer ("columns", "values").
    QJsonObject query(const QString& db, const QString& statement)
    {
        QUrlQuery q;
        q.addQueryItem("db", db);
        q.addQueryItem("q", statement);
        QByteArray answer;
        request("/query?" + q.toString(QUrl::FullyEncoded), {}, false, &answer);
        return QJsonDocument::fromJson(answer)["results"][0]["series"][0].toObject();
    }

private:
    static int free_port()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

    int request(const QString& path, const QByteArray& body = {}, bool post = false,
                QByteArray* answer = nullptr)
    {
        QNetworkAccessManager net;
        net.setProxy(QNetworkProxy::NoProxy);
        QNetworkRequest req(QUrl(QString("http://127.0.0.1:%1%2").arg(port_).arg(path)));
        req.setTransferTimeout(10000);
        req.setHeader(QNetworkRequest::ContentTypeHeader, "text/plain");
        QNetworkReply* reply = post ? net.post(req, body) : net.get(req);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        if (answer) *answer = reply->readAll();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        delete reply;
        return status;
    }

    QTemporaryDir dir_;
    QProcess proc_;
    int port_ = 0;
};

} // namespace vxtest
