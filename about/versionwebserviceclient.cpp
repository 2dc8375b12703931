#include "about/versionwebserviceclient.h"

#include "about/aboutdialog.h"
#include "about/makeraddresses.h"
#include "core/utility.h"

#include <QDebug>
#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalMapper>
#include <QTimer>
#include <QUrlQuery>

namespace {

QUrl& ServiceUrl()
{
    static QUrl url(VERSION_SERVICE_URL);
    return url;
}

int& Timeout()
{
    static int milliseconds = 30000;
    return milliseconds;
}

// A version answer is a few lines of JSON; anything larger is not held in memory.
const qint64 MaxReplySize = 64 * 1024;

} // namespace

VersionWebServiceClient::VersionWebServiceClient(QObject* parent)
    : QObject(parent)
    , networkManager(new QNetworkAccessManager(this))
    , signalMapper(new QSignalMapper(this))
{
    connect(signalMapper, &QSignalMapper::mappedObject, this, &VersionWebServiceClient::onResult);
}

void VersionWebServiceClient::SetServiceUrl(const QUrl& url)
{
    ServiceUrl() = url;
}

void VersionWebServiceClient::SetTimeout(int milliseconds)
{
    Timeout() = milliseconds;
}

void VersionWebServiceClient::SendRequest()
{
    QUrl url = ServiceUrl();
    url.setPath("/service/version/");
    QUrlQuery query;
    query.addQueryItem("version", Utility::GetVersion());
    query.addQueryItem("product", Utility::GetProductCode());
    url.setQuery(query);

    QNetworkReply* reply = networkManager->get(QNetworkRequest(url));
    signalMapper->setMapping(reply, reply);
    connect(reply, &QNetworkReply::finished, signalMapper, qOverload<>(&QSignalMapper::map));
    // Giving up finishes the reply, so the busy window closes as for any other answer.
    connect(reply, &QNetworkReply::readyRead, reply, [reply]() {
        if (reply->bytesAvailable() > MaxReplySize ||
            reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > MaxReplySize)
            reply->abort();
    });
    QTimer::singleShot(Timeout(), reply, &QNetworkReply::abort);
}

void VersionWebServiceClient::onResult(QObject* object)
{
    CloseAboutBusyWindow();
    auto* reply = qobject_cast<QNetworkReply*>(object);
    if (!reply)
        return;
    reply->deleteLater();
    qDebug() << "onResult";
    if (reply->error() != QNetworkReply::NoError)
        qDebug() << reply->errorString();
    // Given up as too large or too slow: what did arrive may still parse, but is not the answer.
    if (reply->error() == QNetworkReply::OperationCanceledError)
        return;

    // An HTTP error status still carries a body worth reading; anything but a
    // JSON object reads as an empty object and shows nothing.
    const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
    if (!answer.contains("HasNewerVersion"))
        return;
    const QString hasNewer = answer.value("HasNewerVersion").toString();
    qDebug().noquote() << "Returned HasNewerVersion:" << hasNewer;
    if (hasNewer != "YES") {
        QMessageBox::information(nullptr, tr("Version Check"), tr("You have a latest version of Kestrova."),
                                 QMessageBox::Ok);
        return;
    }
    if (!answer.contains("NewerVersion"))
        return;
    const QString newerVersion = answer.value("NewerVersion").toString();
    qDebug().noquote() << "newerVersion :" << newerVersion;
    // The reply is unauthenticated: its text is shown as text, never as markup.
    QMessageBox question(QMessageBox::Question, tr("New Version"),
                         tr("Latest version %1 is available for download. Do you want to download it now")
                             .arg(newerVersion),
                         QMessageBox::Yes | QMessageBox::No);
    question.setTextFormat(Qt::PlainText);
    if (question.exec() != QMessageBox::Yes || !answer.contains("DownloadURL"))
        return;
    const QString download = answer.value("DownloadURL").toString();
    qDebug().noquote() << "Download URL :" << download;
    // Only a web page is opened: a file or script address from a forged reply is not.
    const QUrl url(download, QUrl::TolerantMode);
    if ((url.scheme() == "http" || url.scheme() == "https") && !url.host().isEmpty())
        QDesktopServices::openUrl(url);
}
