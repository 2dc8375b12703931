#ifndef ENTRYLISTDIALOG_H
#define ENTRYLISTDIALOG_H

#include "widgets/CenteredDialog.h"

class QLabel;
class QModelIndex;
class QPushButton;
class QScrollArea;
class QSqlQueryModel;
class QTableView;

// What the three entry lists share: the list of an opened locker's entries with
// the filter, the copy-on-click columns and the editor calls. Each kind gives
// its form's widgets, its model and its texts.
class EntryListDialog : public CenteredDialog
{
    Q_OBJECT

public:
    ~EntryListDialog() override;

protected:
    // `lockerType` names the kind of entry (1 web IDs, 2 bank cards, 3 secure notes).
    EntryListDialog(int lockerType, const QString& openedLockerId, QWidget* parent);

    // Embedded as the main window's central widget, the list is no dialog to
    // leave: Escape must not hide it.
    void keyPressEvent(QKeyEvent* event) override;

    struct Form
    {
        QTableView* table;
        QScrollArea* scrollArea;
        QPushButton* back;
        QLabel* searchIcon;
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
    void SetUp(const Form& form, QSqlQueryModel* model, const Texts& texts);

    // The text that a click on `column` puts on the clipboard; `values` are the
    // row's click values in clear (EntryStore::ReadClickValues), empty when the row is gone.
    virtual QString ClickedText(int column, const QStringList& values) = 0;
    // Runs the kind's editor modally: on the row `rowId`, or empty for a new entry.
    virtual void RunEditor(const QString& rowId) = 0;

    // Editors belong to the window the list is shown in, and run modally.
    template <class Editor> void RunEditorOf(const QString& rowId)
    {
        Editor editor(lockerId, window());
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
    QSqlQueryModel* Model() const;
    QString RowId(const QModelIndex& index) const;
    void EditRow(const QModelIndex& index);
    // Runs the list query again, with the filter when there is one.
    void RunQuery(bool hideIdColumn);

    const int type;
    Form form{};
    Texts texts;
    QString currentFilter;
};

#endif // ENTRYLISTDIALOG_H
