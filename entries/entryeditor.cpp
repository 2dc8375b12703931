#include "entries/entryeditor.h"

#include "core/DBManager.h"
#include "core/botanadapter.h"
#include "entries/passwrodgenerator.h"
#include "window/errordialog.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDebug>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScroller>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextEdit>

EntryEditor::EntryEditor(const QString& openedLockerId, QWidget* parent)
    : CenteredDialog(parent)
    , lockerId(openedLockerId)
{
}

EntryEditor::~EntryEditor() = default;

void EntryEditor::SetUp(QScrollArea* scrollArea, QLineEdit* name, QPushButton* save,
                        std::vector<Required> kindRequired, std::vector<Field> kindFields,
                        const Statements& kindStatements, const Texts& kindTexts)
{
    lineName = name;
    pushAdd = save;
    required = std::move(kindRequired);
    fields = std::move(kindFields);
    statements = kindStatements;
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

    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    if (!query.exec("SELECT * from " + statements.table + " WHERE ID = " + recordId) || !query.next()) {
        qDebug() << "Error occurred while getting data from dataBase";
        return;
    }
    BotanAdapter& botan = BotanAdapter::GetInstance();
    for (const Field& field : fields) {
        if (field.source == Source::SaveTime)
            continue;
        QString value = query.value(field.column).toString();
        if (field.secret)
            value = botan.Decrypt(value);
        if (field.line)
            field.line->setText(value);
        else
            field.text->setText(value);
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
    if (!editMode && NameTaken()) {
        Warn(texts.duplicate);
        return;
    }
    if (!Save()) {
        Warn(editMode ? texts.updateFailed : texts.addFailed);
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

bool EntryEditor::NameTaken() const
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.prepare("SELECT * FROM " + statements.table + " WHERE name = :name AND locker_id= " + lockerId);
    query.bindValue(":name", lineName->text());
    return query.exec() && query.next();
}

bool EntryEditor::Save()
{
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.prepare(editMode ? statements.update + recordId : statements.insert);
    query.bindValue(":locker_id", lockerId.toInt(nullptr, 10));

    BotanAdapter& botan = BotanAdapter::GetInstance();
    for (const Field& field : fields) {
        QString value;
        switch (field.source) {
        case Source::Line:
            value = field.line->text();
            break;
        case Source::PlainText:
            value = field.text->toPlainText();
            break;
        case Source::Html:
            value = field.text->toHtml();
            break;
        case Source::SaveTime:
            value = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss");
            break;
        }
        if (field.secret) {
            value = botan.Encrypt(value);
            // Every text, even the empty one, encrypts to something: empty means
            // the keys failed, and nothing may be stored then.
            if (value.isEmpty())
                return false;
        }
        query.bindValue(field.binding, value);
    }

    if (!query.exec()) {
        qDebug() << query.lastError().driverText();
        qDebug() << GetLastExecutedQuery(query);
        return false;
    }
    // An update of a row that is gone changes nothing, and must not pass for a save.
    if (editMode && query.numRowsAffected() < 1) {
        qDebug() << "No row to update:" << recordId;
        return false;
    }
    return true;
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
