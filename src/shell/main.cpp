#include <QApplication>
#include <QTimer>
#include <QTranslator>

#include "Memoire.h"
#include "demarrage.h"
#include "glwidget.h"
#include "mainwindow.h"
#include "splashperso.h"

int main(int argc, char *argv[])
{
    garderLaMemoireLiberee();
    QApplication app(argc, argv);
    // Where the preferences are kept (QSettings).
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnis"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnis"));

    if (verifierSupportOpenGL() && renduLogiciel())
        GLWidget::echantillonsVoulus = 0;

    QTranslator traduction;
    QTranslator traductionQt;
    installerTraductions(traduction, traductionQt);

    SplashPerso splash(nullptr, 2000);
    splash.show();

    MainWindow w(nullptr, fichierDeDemarrage(argc, argv));
    QTimer::singleShot(2000, &w, &QWidget::showMaximized);

    const int code = app.exec();
    // A fit stopped while quitting, and left to end alone, ends before the engines go away.
    GLWidget::attendreTravauxAbandonnes();
    return code;
}
