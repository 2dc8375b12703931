#include "about/aboutdialog.h"
#include "ui_aboutdialog.h"

#include "about/makeraddresses.h"
#include "about/versionwebserviceclient.h"
#include "core/utility.h"
#include "widgets/progress.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QPointer>
#include <QUrl>

namespace {

// Shared by every About box of the run; a QPointer, so it never outlives the
// box that owns the window.
QPointer<Progress> busyWindow;

QString LinkHtml(const QString& label, const QString& href, const QString& text)
{
    return QString("<html><head/><body><p>%1<a href=\"%2\"><span style=\"text-decoration: underline;"
                   " color:#00aa00;\">%3</span></a></p></body></html>")
        .arg(label.toHtmlEscaped(), href.toHtmlEscaped(), text.toHtmlEscaped());
}

} // namespace

void CloseAboutBusyWindow()
{
    if (busyWindow)
        busyWindow->close();
}

AboutDialog::AboutDialog(QWidget* parent)
    : CenteredDialog(parent)
    , ui(std::make_unique<Ui::AboutDialog>())
{
    ui->setupUi(this);
    ui->labelHeading->setText("Kestrova " + Utility::GetVersion());
    ui->labelImage->setPixmap(QPixmap("://graphics/kestrova_logo256.png")
                                  .scaled(125, 125, Qt::KeepAspectRatio, Qt::FastTransformation));

    // The form holds each label's prefix; the addresses live in one place.
    ui->labelWebsite->setText(LinkHtml(ui->labelWebsite->text(), PRODUCT_WEB_PAGE, PRODUCT_WEB_PAGE));
    ui->labelFacebook->setText(
        LinkHtml(ui->labelFacebook->text(), PRODUCT_SOCIAL_PAGE, tr("Kestrova Facebook Page")));
    ui->labelEmail->setText(
        LinkHtml(ui->labelEmail->text(), "mailto:" + SUPPORT_EMAIL + "?subject=Kestrova%20", SUPPORT_EMAIL));
    for (QLabel* label : {ui->labelWebsite, ui->labelFacebook, ui->labelEmail})
        connect(label, &QLabel::linkActivated, this, &AboutDialog::on_HyperLink_clicked);
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::on_buttonOK_clicked()
{
    close();
}

void AboutDialog::on_HyperLink_clicked(const QString& link)
{
    QDesktopServices::openUrl(QUrl(link, QUrl::TolerantMode));
}

void AboutDialog::CheckVersion()
{
    // Each click gets its own client; all of them go with the dialog.
    auto* client = new VersionWebServiceClient(this);
    client->SendRequest();
}

void AboutDialog::on_pushCheckVersion_clicked()
{
    if (!busyWindow)
        busyWindow = new Progress(this);
    busyWindow->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    CheckVersion();
}
