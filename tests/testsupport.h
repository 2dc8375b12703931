#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

// Finding, filling and clicking widgets, and answering modal dialogs from the
// test, on top of the data fixtures.

#include "datafixtures.h"

#include <QtWidgets>

#include <functional>
#include <type_traits>

namespace TestSupport {

// The running test function and data row: a handler acts only within the test
// that queued it.
inline QString RunningTest()
{
    return QString("%1(%2)").arg(QTest::currentTestFunction(), QTest::currentDataTag());
}

// For the cleanup() of every widget test: a handler still waiting for its
// dialog fails the test that queued it and stops, and the stand-ins go. One
// that an earlier test left is the run's to fail.
inline void FinishTest()
{
    const QList<QTimer*> waiting = Helpers().waiting.keys(RunningTest());
    for (QTimer* timer : waiting)
        StopWaiting(timer);
    if (!waiting.isEmpty())
        QTest::qFail(qPrintable(QString("%1 dialog handler(s) got no modal dialog").arg(waiting.size())),
                     __FILE__, __LINE__);
    qDeleteAll(Helpers().standIns);
    Helpers().standIns.clear();
}

// Calls `handler` with the next modal widget as soon as one is active (polling,
// so it can be queued before the code that opens the dialog runs). Fails the
// running test when none shows within a few seconds or by the end of the test,
// and the run when the test ends without FinishTest().
// The watch on unanswered modal dialogs leaves alone the dialogs that a queued
// or running handler is for.
inline void OnNextModal(std::function<void(QWidget*)> handler, QWidget* notThis = nullptr)
{
    auto* timer = new QTimer;
    const QDeadlineTimer deadline(5000);
    QPointer<QWidget> skip(notThis);
    Helpers().waiting.insert(timer, RunningTest());
    QObject::connect(timer, &QTimer::timeout, [timer, deadline, handler, skip]() {
        // Its test ended without FinishTest(): never answer a later test's dialog.
        if (Helpers().waiting.value(timer) != RunningTest())
            return Abandon(timer);
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        const bool none = !modal || modal == skip;
        if (none && !deadline.hasExpired())
            return;
        StopWaiting(timer);
        if (none)
            return QTest::qFail("no modal dialog showed within 5 s", __FILE__, __LINE__);
        QWidget* answered = modal;
        Helpers().beingAnswered << answered;
        handler(modal);
        Helpers().beingAnswered.removeOne(answered);
        // A handler that failed halfway leaves its dialog open: close it, so
        // that the test ends instead of waiting on it.
        auto* dialog = qobject_cast<QDialog*>(modal.data());
        if (QTest::currentTestFailed() && dialog && dialog->isVisible())
            dialog->reject();
    });
    timer->start(10);
}

struct MessageBoxSeen
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
};

// Answers the next message box with `button` and records what it said.
inline void AnswerNextMessageBox(MessageBoxSeen* seen, QMessageBox::StandardButton button = QMessageBox::Ok)
{
    OnNextModal([seen, button](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        QVERIFY2(box, widget->metaObject()->className());
        if (seen)
            *seen = {box->windowTitle(), box->text(), box->icon(), box->textFormat()};
        QVERIFY(box->button(button));
        box->button(button)->click();
    });
}

// The named child. A missing one fails the test and gives a hidden stand-in,
// kept until the test ends, that what the caller does next cannot crash on: a
// view has an empty model, a button box OK and Cancel. An abstract type gives
// null, which Click() takes.
template <class T = QLineEdit> T* Child(QObject* parent, const QString& name)
{
    if (T* child = parent ? parent->findChild<T*>(name) : nullptr)
        return child;
    auto* widget = qobject_cast<QWidget*>(parent);
    const QString where = !parent ? QString("nothing")
                                  : QString("%1 \"%2\"")
                                        .arg(parent->metaObject()->className(),
                                             widget ? widget->windowTitle() : parent->objectName());
    QTest::qFail(qPrintable(QString("no %1 \"%2\" in %3").arg(T::staticMetaObject.className(), name, where)),
                 __FILE__, __LINE__);
    if constexpr (std::is_abstract_v<T>) {
        return nullptr;
    } else {
        auto* standIn = new T;
        if constexpr (std::is_base_of_v<QAbstractItemView, T>)
            standIn->setModel(new QStandardItemModel(standIn));
        if constexpr (std::is_base_of_v<QDialogButtonBox, T>)
            standIn->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        Helpers().standIns << standIn;
        return standIn;
    }
}

// Clicks the named button; false, and the test failed, when there is none.
inline bool Click(QWidget* dialog, const QString& button)
{
    return QMetaObject::invokeMethod(Child<QAbstractButton>(dialog, button), "click");
}

// Sets the named line edits to `texts` in order, clicks `button` and returns
// the text of the message box that follows.
inline QString Submit(QWidget* dialog, const QString& button, const QStringList& lines = {},
                      const QStringList& texts = {})
{
    for (int i = 0; i < texts.size(); ++i)
        Child(dialog, lines[i])->setText(texts[i]);
    MessageBoxSeen seen;
    AnswerNextMessageBox(&seen);
    Click(dialog, button);
    return seen.text;
}

// The web-ID editor's required fields, in the order it asks for them.
const QStringList WebIdLines = {"lineName", "lineURL", "lineUser", "linePassword"};

inline QStringList ColumnTexts(const QAbstractItemModel* model, int column)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, column).data().toString();
    return texts;
}

// Clicks a cell of the shown list and returns what the clipboard holds afterwards.
inline QString ClickCell(QTableView* view, int row, int column)
{
    view->window()->show();
    QGuiApplication::clipboard()->setText("before");
    const QRect cell = view->visualRect(view->model()->index(row, column));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    return QGuiApplication::clipboard()->text();
}

} // namespace TestSupport

#endif // TESTSUPPORT_H
