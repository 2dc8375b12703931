#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

// Helpers shared by the test programs: answering modal dialogs from the test,
// and giving each test a fresh data file.

#include "core/DBManager.h"
#include "core/constants.h"
#include "core/firststart.h"
#include "core/keysetup.h"
#include "core/utility.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace TestSupport {

// Calls `handler` with the next modal widget as soon as one is active (polling,
// so it can be queued before the code that opens the dialog runs).
inline void OnNextModal(std::function<void(QWidget*)> handler, QWidget* notThis = nullptr)
{
    auto* timer = new QTimer;
    QPointer<QWidget> skip(notThis);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, handler, skip]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == skip)
            return;
        timer->stop();
        timer->deleteLater();
        handler(modal);
    });
    timer->start();
}

struct MessageBoxSeen
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers the next message box with `button` and records what it said.
inline void AnswerNextMessageBox(MessageBoxSeen* seen,
                                 QMessageBox::StandardButton button = QMessageBox::Ok)
{
    OnNextModal([seen, button](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        QVERIFY2(box, qPrintable(QString("expected a message box, got ") +
                                 widget->metaObject()->className()));
        if (seen) {
            seen->title = box->windowTitle();
            seen->text = box->text();
            seen->icon = box->icon();
        }
        QAbstractButton* answer = box->button(button);
        QVERIFY(answer);
        answer->click();
    });
}

// Closes the connection, empties the settings store and the data folder, and
// runs the first start again: a fresh data file with its five tables.
inline void FreshDataFile()
{
    CDBManager::GetInstance().CloseDataBase();
    QDir(QDir::homePath() + "/.kestrova").removeRecursively();
    Utility::GetInstance().settings->clear();
    Utility::GetInstance().sessionLockerIds.clear();
    RunFirstStart();
}

// A data file with its keys in place, as after a first start of the main window.
inline void FreshDataFileWithKeys()
{
    FreshDataFile();
    QCOMPARE(SetUpKeys(), KeySetupResult::Generated);
}

// A locker row made straight in the data file; returns its ID.
inline QString InsertLocker(const QString& name, int type)
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.prepare("INSERT INTO tblLocker (NAME, TYPE, KEY, NOTES, USE_MP) VALUES (?, ?, 'k', '', 0)");
    query.addBindValue(name);
    query.addBindValue(type);
    if (!query.exec())
        qFatal("cannot add a locker");
    return query.lastInsertId().toString();
}

inline QVariant QueryValue(const QString& sql)
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    if (!query.exec(sql) || !query.next())
        return QVariant();
    return query.value(0);
}

} // namespace TestSupport

#endif // TESTSUPPORT_H
