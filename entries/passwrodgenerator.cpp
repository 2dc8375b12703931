#include "entries/passwrodgenerator.h"
#include "ui_passwrodgenerator.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRandomGenerator>

namespace {

const QString LOWER_CASE = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
const QString DIGITS = QStringLiteral("1234567890");
const QString UPPER_CASE = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
const QString SET_A = QStringLiteral("!@#$%^&*()");
const QString SET_B = QStringLiteral("`~-_=+[{]}\\|;:'\",<.>/?");

// Draws below the largest multiple of `size` are kept, so every index is
// exactly as likely as any other.
int UniformIndex(QRandomGenerator& random, int size)
{
    const quint64 range = Q_UINT64_C(1) << 32;
    const quint64 limit = range - range % static_cast<quint64>(size);
    quint64 value;
    do {
        value = random.generate();
    } while (value >= limit);
    return static_cast<int>(value % static_cast<quint64>(size));
}

} // namespace

PasswrodGenerator::PasswrodGenerator(QWidget* parent)
    : CenteredDialog(parent)
    , ui(std::make_unique<Ui::PasswrodGenerator>())
{
    ui->setupUi(this);
    ui->linePasswordLength->setText("8");
}

PasswrodGenerator::~PasswrodGenerator() = default;

QString PasswrodGenerator::GetPassword()
{
    return password;
}

void PasswrodGenerator::on_horizontalSlider_valueChanged(int value)
{
    ui->linePasswordLength->setText(QString::number(value));
}

void PasswrodGenerator::on_pushGenrate_clicked()
{
    QString pool = LOWER_CASE;
    if (ui->checkBoxNumbers->isChecked())
        pool += DIGITS;
    if (ui->checkBoxLowerUpperCase->isChecked())
        pool += UPPER_CASE;
    if (ui->checkBoxSetA->isChecked())
        pool += SET_A;
    if (ui->checkBoxSetB->isChecked())
        pool += SET_B;

    // The operating system's generator: a password must not be predictable
    // from the time it was made.
    QRandomGenerator& random = *QRandomGenerator::system();
    const int length = ui->horizontalSlider->value();
    QString generated;
    generated.reserve(length);
    for (int i = 0; i < length; ++i)
        generated += pool.at(UniformIndex(random, pool.size()));
    ui->labelPassword->setText(generated);
}

void PasswrodGenerator::on_pushClose_clicked()
{
    close();
}

void PasswrodGenerator::on_pushSelect_clicked()
{
    KeepShownPassword();
    close();
}

void PasswrodGenerator::on_pushButton_clicked()
{
    KeepShownPassword();
}

void PasswrodGenerator::KeepShownPassword()
{
    password = ui->labelPassword->text();
    QGuiApplication::clipboard()->setText(password);
}
