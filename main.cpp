#include "core/constants.h"
#include "core/firststart.h"
#include "core/utility.h"
#include "window/mainwindow.h"
#include "window/welcomedialog.h"

#include <QApplication>
#include <QSettings>

#include <csignal>

int main(int argc, char* argv[])
{
    Q_INIT_RESOURCE(resources);
    // A file-size limit then fails a write, which says why, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    qSetMessagePattern("%{file}:%{line} %{function}: %{message}");
    QApplication application(argc, argv);

    QSettings* settings = Utility::GetInstance().settings;
    if (settings->value(ACTIVE_WALLET_DB_7_5_0).toString().isEmpty())
        RunFirstStart();

    MainWindow window;
    window.show();

    if (WelcomeDialog::ShowsAtStart())
        window.ShowWelcomeDialog();
    if (settings->value("MasterPassword").toString() == "N")
        window.on_action_Master_Password_triggered();

    return application.exec();
}
