#include "demarrage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QOpenGLContext>
#include <QTranslator>

bool verifierSupportOpenGL()
{
    qWarning("Verification du support OpenGL : ");
    QOpenGLContext essai;
    const bool disponible = essai.create();
    if (!disponible)
        qWarning("Ce systeme n'a pas de suport OpenGL.");
    else
        qWarning("OK");
    return disponible;
}

bool installerTraductions(QTranslator &traduction, QTranslator &traductionQt)
{
    const bool anglais = traduction.load("quolvex_en");
    if (anglais)
        QCoreApplication::installTranslator(&traduction);
    // The toolkit's own dialogs and buttons speak the interface's language, not the system's.
    if (traductionQt.load(anglais ? QLocale(QLocale::English) : QLocale(QLocale::French), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&traductionQt);
    return anglais;
}

QString fichierDeDemarrage(int argc, char **argv)
{
    if (argc <= 1 || argv == nullptr || argv[1] == nullptr)
        return QString();
    return QString::fromLocal8Bit(argv[1]);
}
