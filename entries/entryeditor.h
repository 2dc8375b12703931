#ifndef ENTRYEDITOR_H
#define ENTRYEDITOR_H

#include "widgets/CenteredDialog.h"

#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTextEdit;

// What the three entry editors share: loading a row, checking the form,
// refusing a duplicate name when adding and saving through the entry store.
// Each kind describes its fields and texts.
class EntryEditor : public CenteredDialog
{
    Q_OBJECT

public:
    ~EntryEditor() override;

    // Switches to the entry with this ID: the form shows it and saving updates it.
    void SetEditMode(const QString& id);

protected:
    // `lockerType` names the kind of entry (1 web IDs, 2 bank cards, 3 secure notes).
    EntryEditor(int lockerType, const QString& openedLockerId, QWidget* parent);

    enum class Source
    {
        Line,      // a line edit's text
        PlainText, // a text edit's plain text, shown and saved as plain text
        Html,      // a text edit's whole HTML document
    };

    struct Field
    {
        const char* column; // the entry store's column name
        Source source;
        QLineEdit* line;
        QTextEdit* text;
    };

    struct Required
    {
        QLineEdit* line;
        QString message;
    };

    struct Texts
    {
        QString error;
        QString update; // the save button in edit mode
        QString duplicate;
        QString addedTitle;
        QString added;
        QString updatedTitle;
        QString updated;
        QString addFailed;
        QString updateFailed;
    };

    // Finishes the construction once the kind's form is set up.
    void SetUp(QScrollArea* scrollArea, QLineEdit* name, QPushButton* save, std::vector<Required> required,
               std::vector<Field> fields, const Texts& texts);

    // Runs the password generator, then the clipboard notice; the kind passes
    // the notice's texts so that they translate under its own name. Returns the
    // password the user took, or the empty text.
    QString RunPasswordGenerator(const QString& noticeKey, const QString& noticeTitle, const QString& notice);

    // The Show boxes: a ticked box shows its field's text.
    static void ShowSecret(const QCheckBox* box, QLineEdit* field);

private slots:
    void on_pushAdd_clicked();
    void on_pushClose_clicked();

private:
    // False, with why, when the entry could not be stored.
    bool Save(QString* cause);
    void Warn(const QString& text);

    const int type;
    const QString lockerId;
    QString recordId;
    bool editMode = false;

    QLineEdit* lineName = nullptr;
    QPushButton* pushAdd = nullptr;
    std::vector<Required> required;
    std::vector<Field> fields;
    Texts texts;
};

#endif // ENTRYEDITOR_H
