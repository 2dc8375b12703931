#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

// Answering modal dialogs from the test, on top of the data fixtures.

#include "datafixtures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace TestSupport {

// Calls `handler` with the next modal widget as soon as one is active (polling,
// so it can be queued before the code that opens the dialog runs). Fails the
// running test when none shows within a few seconds, rather than answering a
// dialog of a later test.
inline void OnNextModal(std::function<void(QWidget*)> handler, QWidget* notThis = nullptr)
{
    auto* timer = new QTimer;
    const QDeadlineTimer deadline(5000);
    QPointer<QWidget> skip(notThis);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, deadline, handler, skip]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == skip) {
            if (deadline.hasExpired()) {
                timer->stop();
                timer->deleteLater();
                QTest::qFail("no modal dialog showed within 5 s", __FILE__, __LINE__);
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        QPointer<QWidget> answered(modal);
        handler(modal);
        // A handler that failed halfway leaves its dialog open: close it, so
        // that the test ends instead of waiting on it.
        auto* dialog = qobject_cast<QDialog*>(answered.data());
        if (QTest::currentTestFailed() && dialog && dialog->isVisible())
            dialog->reject();
    });
    timer->start();
}

struct MessageBoxSeen
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
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
            seen->format = box->textFormat();
        }
        QAbstractButton* answer = box->button(button);
        QVERIFY(answer);
        answer->click();
    });
}

} // namespace TestSupport

#endif // TESTSUPPORT_H
