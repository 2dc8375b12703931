#ifndef ENTRYLISTDIALOG_H
#define ENTRYLISTDIALOG_H

#include "core/utility.h"
#include "window/CenteredDialog.h"

class QLabel;
class QModelIndex;
class QPushButton;
class QScrollArea;
class QSqlQueryModel;
class QSqlRecord;
class QTableView;

// What the three entry lists share: the list of an opened locker's entries with
// the filter, the copy-on-click columns and the editor calls. Each kind gives
// its form's widgets, its model, its statements and its texts.
class EntryListDialog : public CenteredDialog
{
    Q_OBJECT

public:
    ~EntryListDialog() override;

protected:
    EntryListDialog(const QString& openedLockerId, QWidget* parent);

    struct Form
    {
        QTableView* table;
        QScrollArea* scrollArea;
        QPushButton* back;
        QLabel* searchIcon;
    };

    struct Statements
    {
        QString select; // the columns and the table, up to WHERE
        QString order;  // the ORDER BY clause, with its leading blank
        QString click;  // the secret columns of one row, up to the row ID
        QString remove; // the delete, up to the row ID
    };

    struct Texts
    {
        QString editTitle;
        QString editPrompt;
        QString deleteTitle;
        QString deleteQuestion;
    };

    // Finishes the construction once the kind's form is set up; `model` is
    // already a child of the dialog.
    void SetUp(const Form& form, QSqlQueryModel* model, const Statements& statements, const Texts& texts);

    // The text that a click on `column` puts on the clipboard; `secrets` is the
    // row of the click statement, empty when the row is gone.
    virtual QString ClickedText(int column, const QSqlRecord& secrets) = 0;
    // Runs the kind's editor modally: on the row `rowId`, or empty for a new entry.
    virtual void RunEditor(const QString& rowId) = 0;

    // Editors belong to the main window, not to the list, and run modally.
    template <class Editor> void RunEditorOf(const QString& rowId)
    {
        Editor editor(lockerId, Utility::GetInstance().mainWindow);
        if (!rowId.isEmpty())
            editor.SetEditMode(rowId);
        editor.setModal(true);
        editor.exec();
    }

    const QString lockerId;

private slots:
    void on_pushAdd_clicked();
    void on_pushEdit_clicked();
    void on_pushDelete_clicked();
    void OnRowDoubleClicked(const QModelIndex& index);
    void OnRowClicked(const QModelIndex& index);
    void on_lineEdit_textChanged(const QString& arg1);
    void on_pushBack_clicked();

private:
    QString BaseQuery() const;
    QSqlQueryModel* Model() const;
    QString RowId(const QModelIndex& index) const;
    void EditRow(const QModelIndex& index);
    // Runs currentQuery again; the filter text, when there is one, is bound.
    void RunQuery(bool hideIdColumn);

    Form form{};
    Statements statements;
    Texts texts;
    QString currentQuery;
    QString currentFilter;
};

#endif // ENTRYLISTDIALOG_H
