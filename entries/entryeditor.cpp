#include "entries/entryeditor.h"

#include "core/entrystore.h"
#include "entries/passwrodgenerator.h"
#include "widgets/errordialog.h"
#include "widgets/plainmessage.h"

#include <QCheckBox>
#include <QDebug>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScroller>
#include <QTextEdit>

EntryEditor::EntryEditor(int lockerType, const QString& openedLockerId, QWidget* parent)
    : CenteredDialog(parent)
    , type(lockerType)
    , lockerId(openedLockerId)
{
}

EntryEditor::~EntryEditor() = default;

void EntryEditor::SetUp(QScrollArea* scrollArea, QLineEdit* name, QPushButton* save,
                        std::vector<Required> kindRequired, std::vector<Field> kindFields,
                        const Texts& kindTexts)
{
    lineName = name;
    pushAdd = save;
    required = std::move(kindRequired);
    fields = std::move(kindFields);
    texts = kindTexts;

    QScroller::grabGesture(scrollArea->viewport(), QScroller::LeftMouseButtonGesture);
    // Enter in a line field saves.
    lineName->setFocus();
    pushAdd->setDefault(true);
}

void EntryEditor::ShowSecret(const QCheckBox* box, QLineEdit* field)
{
    field->setEchoMode(box->isChecked() ? QLineEdit::Normal : QLineEdit::Password);
}

void EntryEditor::SetEditMode(const QString& id)
{
    pushAdd->setText(texts.update);
    recordId = id;
    editMode = true;

    EntryFields stored;
    if (!EntryStore::Read(type, recordId, &stored)) {
        qDebug() << "Error occurred while getting data from dataBase";
        return;
    }
    for (const Field& field : fields) {
        const QString value = stored.value(field.column);
        switch (field.source) {
        case Source::Line:
            field.line->setText(value);
            break;
        case Source::PlainText:
            // Plain text must not be taken for markup: "<b>" stays "<b>".
            field.text->setPlainText(value);
            break;
        case Source::Html:
            field.text->setText(value);
            break;
        }
    }
}

void EntryEditor::on_pushAdd_clicked()
{
    for (const Required& check : required) {
        if (check.line->text().isEmpty()) {
            Warn(check.message);
            return;
        }
    }
    if (!editMode && EntryStore::NameTaken(type, lockerId, lineName->text())) {
        Warn(texts.duplicate);
        return;
    }
    QString cause;
    if (!Save(&cause)) {
        // The cause may name a file: shown as written.
        ShowPlainWarning(this, texts.error, (editMode ? texts.updateFailed : texts.addFailed) + "\n" + cause);
        return;
    }
    if (editMode)
        QMessageBox::information(this, texts.updatedTitle, texts.updated, QMessageBox::Ok);
    else
        QMessageBox::information(this, texts.addedTitle, texts.added, QMessageBox::Ok);
}

void EntryEditor::on_pushClose_clicked()
{
    close();
}

bool EntryEditor::Save(QString* cause)
{
    EntryFields values;
    for (const Field& field : fields) {
        switch (field.source) {
        case Source::Line:
            values.insert(field.column, field.line->text());
            break;
        case Source::PlainText:
            values.insert(field.column, field.text->toPlainText());
            break;
        case Source::Html:
            values.insert(field.column, field.text->toHtml());
            break;
        }
    }
    return editMode ? EntryStore::Update(type, recordId, lockerId, values, cause)
                    : EntryStore::Add(type, lockerId, values, cause);
}

void EntryEditor::Warn(const QString& text)
{
    QMessageBox::warning(this, texts.error, text, QMessageBox::Ok);
}

QString EntryEditor::RunPasswordGenerator(const QString& noticeKey, const QString& noticeTitle,
                                          const QString& notice)
{
    PasswrodGenerator generator(this);
    generator.exec();
    // Shown whatever the user did in the generator, unless suppressed.
    ErrorDialog(noticeKey, noticeTitle, notice, this, false).exec();
    return generator.GetPassword();
}
