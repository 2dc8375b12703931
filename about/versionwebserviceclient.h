#ifndef VERSIONWEBSERVICECLIENT_H
#define VERSIONWEBSERVICECLIENT_H

#include <QObject>

class QNetworkAccessManager;
class QSignalMapper;
class QUrl;

// Asks the maker's version service whether a newer release exists and tells
// the user the answer. One client serves one request.
class VersionWebServiceClient : public QObject
{
    Q_OBJECT

public:
    explicit VersionWebServiceClient(QObject* parent);

    void SendRequest();

    // Tests point every later client at a server of their own; the program
    // always asks VERSION_SERVICE_URL.
    static void SetServiceUrl(const QUrl& url);
    // Tests shorten the wait for a server that never answers; the program
    // gives up after 30 s.
    static void SetTimeout(int milliseconds);

public slots:
    void onResult(QObject* object);

private:
    QNetworkAccessManager* networkManager;
    QSignalMapper* signalMapper;
};

#endif // VERSIONWEBSERVICECLIENT_H
