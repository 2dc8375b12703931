#include "testsupport.h"

#include "about/aboutdialog.h"
#include "about/versionwebserviceclient.h"
#include "widgets/progress.h"

#include <QtNetwork>

class TestAbout : public QObject
{
    Q_OBJECT

public slots:
    void OpenUrl(const QUrl& url) { openedUrls << url; }

private slots:
    void initTestCase()
    {
        for (const char* scheme : {"http", "https", "file", "javascript", "mailto"})
            QDesktopServices::setUrlHandler(scheme, this, "OpenUrl");
    }

    void cleanup() { FinishTest(); }

    // Each label is clicked along its middle until its link opens, as a user would.
    void links()
    {
        openedUrls.clear();
        OnNextModal([this](QWidget* about) {
            for (const char* name : {"labelWebsite", "labelFacebook", "labelEmail"}) {
                auto* label = Child<QLabel>(about, name);
                const int before = openedUrls.size();
                for (int x = 0; x < label->width() && openedUrls.size() == before; x += 4)
                    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(x, label->height() / 2));
            }
            about->close();
        });
        dialog.exec();
        QCOMPARE(openedUrls, (QList<QUrl>{QUrl("https://www.orvane.example/kestrova/"),
                                          QUrl("https://social.example/kestrova"),
                                          QUrl("mailto:support@orvane.example?subject=Kestrova%20")}));
    }

    void versionCheck_data()
    {
        QTest::addColumn<int>("status");   // 0: no server listens; -1: it never answers
        QTest::addColumn<QString>("json"); // written with single quotes
        QTest::addColumn<int>("answer");   // NoButton: no message box expected
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("opened");
        const auto newer = [](const QString& keys) { return "{'HasNewerVersion':'YES'" + keys + "}"; };
        const auto download = [&](const QString& url) {
            return newer(",'NewerVersion':'8.0.0','DownloadURL':'" + url + "'");
        };
        const QString offer = "New Version: Latest version %1 is available for download. Do you want to "
                              "download it now";
        const QString upToDate = "Version Check: You have a latest version of Kestrova.", nothing,
                      eight = offer.arg("8.0.0");
        const int yes = QMessageBox::Yes, ok = QMessageBox::Ok, none = QMessageBox::NoButton;

        QTest::newRow("newer, Yes") << 200 << download("https://d.example/k") << yes << eight
                                    << "https://d.example/k";
        QTest::newRow("HTTP error, JSON body")
            << 503 << download("http://d.example/k") << yes << eight << "http://d.example/k";
        QTest::newRow("file address") << 200 << download("file:///etc/passwd") << yes << eight << nothing;
        QTest::newRow("script address") << 200 << download("javascript:alert(1)") << yes << eight << nothing;
        QTest::newRow("no DownloadURL") << 200 << newer(",'NewerVersion':'8.0.0'") << yes << eight << nothing;
        QTest::newRow("markup in NewerVersion, No")
            << 200 << download("https://d.example/k").replace("8.0.0", "<b>9</b>") << int(QMessageBox::No)
            << offer.arg("<b>9</b>") << nothing;
        QTest::newRow("no NewerVersion") << 200 << newer("") << none << nothing << nothing;
        QTest::newRow("yes in lower case") << 200 << "{'HasNewerVersion':'yes'}" << ok << upToDate << nothing;
        QTest::newRow("JSON true") << 200 << "{'HasNewerVersion':true}" << ok << upToDate << nothing;
        QTest::newRow("array") << 200 << "[{'HasNewerVersion':'NO'}]" << none << nothing << nothing;
        QTest::newRow("no server") << 0 << nothing << none << nothing << nothing;
        QTest::newRow("silent server") << -1 << nothing << none << nothing << nothing;
        // Read whole, this would tell the user the version is up to date.
        QTest::newRow("past 64 KiB") << 200 << "{'HasNewerVersion':'NO'}" + QString(64 * 1024, ' ') << none
                                     << nothing << nothing;
    }

    void versionCheck()
    {
        QFETCH(int, status);
        QFETCH(QString, json);
        QFETCH(int, answer);
        QFETCH(QString, box);
        QFETCH(QString, opened);
        const QByteArray body = json.replace('\'', '"').toUtf8();
        openedUrls.clear();

        // One canned HTTP response per connection; the request is kept for the check.
        // The body ends with the connection, so a size limit cannot trust a header.
        QTcpServer server;
        QByteArray request;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, [&]() {
            QTcpSocket* socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, [&, socket]() {
                request += socket->readAll();
                if (!request.endsWith("\r\n\r\n") || status < 0)
                    return;
                socket->write("HTTP/1.1 " + QByteArray::number(status) +
                              " X\r\nContent-Type: application/json\r\nConnection: close\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        });
        VersionWebServiceClient::SetServiceUrl(QUrl(QString("http://127.0.0.1:%1").arg(server.serverPort())));
        VersionWebServiceClient::SetTimeout(status < 0 ? 200 : 30000);
        if (status == 0)
            server.close();

        MessageBoxSeen seen;
        if (answer != QMessageBox::NoButton)
            AnswerNextMessageBox(&seen, QMessageBox::StandardButton(answer));
        Click(&dialog, "pushCheckVersion");
        auto* busy = dialog.findChild<Progress*>();
        QVERIFY(busy->isVisible());
        QTRY_VERIFY(!busy->isVisible());

        QCOMPARE(seen.title.isEmpty() ? QString() : seen.title + ": " + seen.text, box);
        if (seen.title == "New Version") // the reply's text is never read as markup
            QCOMPARE(seen.format, Qt::PlainText);
        QCOMPARE(openedUrls, opened.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(opened)});
        if (status != 0)
            QCOMPARE(request.left(request.indexOf("\r\n")),
                     QByteArray("GET /service/version/?version=7.5.0&product=RK0117 HTTP/1.1"));
        QCOMPARE(dialog.findChildren<Progress*>().size(), 1); // reused by every click
    }

private:
    AboutDialog dialog{nullptr};
    QList<QUrl> openedUrls;
};

KESTROVA_TEST_MAIN(TestAbout)
#include "tst_about.moc"
