#include "entries/entrylistdialog.h"

#include "core/DBManager.h"
#include "window/mainwindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScroller>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>

EntryListDialog::EntryListDialog(const QString& openedLockerId, QWidget* parent)
    : CenteredDialog(parent)
    , lockerId(openedLockerId)
{
    // No window type: the list serves as the main window's central widget.
    setWindowFlags(Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
}

EntryListDialog::~EntryListDialog() = default;

void EntryListDialog::SetUp(const Form& widgets, QSqlQueryModel* model, const Statements& kindStatements,
                            const Texts& kindTexts)
{
    form = widgets;
    statements = kindStatements;
    texts = kindTexts;

    QScroller::grabGesture(form.table->viewport(), QScroller::LeftMouseButtonGesture);
    QScroller::grabGesture(form.scrollArea->viewport(), QScroller::LeftMouseButtonGesture);

    form.back->setVisible(g_screenMode == "NORMAL" || g_screenMode == "SMALL");

    form.searchIcon->setPixmap(QPixmap::fromImage(QImage("://images/Search_icon.png"))
                                   .scaled(30, 30, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    connect(form.table, &QTableView::clicked, this, &EntryListDialog::OnRowClicked);
    connect(form.table, &QTableView::doubleClicked, this, &EntryListDialog::OnRowDoubleClicked);

    currentQuery = BaseQuery();
    form.table->setModel(model);
    RunQuery(true);
}

QString EntryListDialog::BaseQuery() const
{
    return statements.select + " WHERE locker_id = " + lockerId + statements.order;
}

QSqlQueryModel* EntryListDialog::Model() const
{
    return static_cast<QSqlQueryModel*>(form.table->model());
}

QString EntryListDialog::RowId(const QModelIndex& index) const
{
    return Model()->record(index.row()).value(0).toString();
}

void EntryListDialog::RunQuery(bool hideIdColumn)
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.prepare(currentQuery);
    if (!currentFilter.isEmpty())
        query.bindValue(":filter", currentFilter);
    query.exec();
    Model()->setQuery(query);
    if (hideIdColumn)
        form.table->hideColumn(0);
    form.table->resizeColumnsToContents();
    form.table->resizeRowsToContents();
    form.table->show();
}

void EntryListDialog::OnRowClicked(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.exec(statements.click + RowId(index));
    const QSqlRecord secrets = query.next() ? query.record() : QSqlRecord();
    QGuiApplication::clipboard()->setText(ClickedText(index.column(), secrets));
    form.table->clearSelection();
}

void EntryListDialog::OnRowDoubleClicked(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    EditRow(index);
}

void EntryListDialog::EditRow(const QModelIndex& index)
{
    RunEditor(RowId(index));
    RunQuery(false);
}

void EntryListDialog::on_pushEdit_clicked()
{
    const QModelIndex current = form.table->currentIndex();
    if (!current.isValid()) {
        QMessageBox::information(this, texts.editTitle, texts.editPrompt, QMessageBox::Ok);
        return;
    }
    EditRow(current);
}

void EntryListDialog::on_pushAdd_clicked()
{
    RunEditor(QString());
    RunQuery(false);
}

void EntryListDialog::on_pushDelete_clicked()
{
    const QModelIndex current = form.table->currentIndex();
    if (!current.isValid())
        return;
    if (QMessageBox::question(this, texts.deleteTitle, texts.deleteQuestion,
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton) != QMessageBox::Yes)
        return;
    ExecQuery(statements.remove + RowId(current));
    RunQuery(false);
}

void EntryListDialog::on_lineEdit_textChanged(const QString& arg1)
{
    if (arg1.trimmed().isEmpty()) {
        currentFilter.clear();
        currentQuery = BaseQuery();
    } else {
        // The text is bound as typed: quotes stand for themselves, while "%" and
        // "_" keep their LIKE meaning.
        currentFilter = arg1;
        currentQuery = statements.select +
                       " WHERE  name LIKE '%' || :filter || '%' AND locker_id = " + lockerId +
                       statements.order;
    }
    RunQuery(true);
}

void EntryListDialog::on_pushBack_clicked()
{
    close();
}
