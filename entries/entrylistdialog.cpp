#include "entries/entrylistdialog.h"

#include "core/constants.h"
#include "core/entrystore.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScroller>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>

EntryListDialog::EntryListDialog(int lockerType, const QString& openedLockerId, QWidget* parent)
    : CenteredDialog(parent)
    , lockerId(openedLockerId)
    , type(lockerType)
{
    // No window type: the list serves as the main window's central widget.
    setWindowFlags(Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
}

EntryListDialog::~EntryListDialog() = default;

void EntryListDialog::SetUp(const Form& widgets, QSqlQueryModel* model, const Texts& kindTexts)
{
    form = widgets;
    texts = kindTexts;

    QScroller::grabGesture(form.table->viewport(), QScroller::LeftMouseButtonGesture);
    QScroller::grabGesture(form.scrollArea->viewport(), QScroller::LeftMouseButtonGesture);

    form.back->setVisible(g_screenMode == "NORMAL" || g_screenMode == "SMALL");

    form.searchIcon->setPixmap(QPixmap::fromImage(QImage("://images/Search_icon.png"))
                                   .scaled(30, 30, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    connect(form.table, &QTableView::clicked, this, &EntryListDialog::OnRowClicked);
    connect(form.table, &QTableView::doubleClicked, this, &EntryListDialog::OnRowDoubleClicked);

    form.table->setModel(model);
    RunQuery(true);
}

void EntryListDialog::keyPressEvent(QKeyEvent* event)
{
    if (!isWindow() && event->matches(QKeySequence::Cancel)) {
        event->ignore();
        return;
    }
    CenteredDialog::keyPressEvent(event);
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
    Model()->setQuery(EntryStore::List(type, lockerId, currentFilter));
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
    const QStringList values = EntryStore::ReadClickValues(type, RowId(index));
    QGuiApplication::clipboard()->setText(ClickedText(index.column(), values));
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
    // A failed delete leaves the row, which the list then still shows.
    EntryStore::Delete(type, RowId(current));
    RunQuery(false);
}

void EntryListDialog::on_lineEdit_textChanged(const QString& arg1)
{
    // Blanks alone do not filter; any other text filters exactly as typed.
    currentFilter = arg1.trimmed().isEmpty() ? QString() : arg1;
    RunQuery(true);
}

void EntryListDialog::on_pushBack_clicked()
{
    close();
}
