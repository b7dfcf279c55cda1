#include "demarrage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
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

bool renduLogiciel()
{
    QOpenGLContext essai;
    QOffscreenSurface surface;
    surface.create();
    if (!essai.create() || !essai.makeCurrent(&surface))
        return false;
    const auto *nom = reinterpret_cast<const char *>(essai.functions()->glGetString(GL_RENDERER));
    const QString rendu = QString::fromLatin1(nom ? nom : "").toLower();
    essai.doneCurrent();
    return rendu.contains(QLatin1String("llvmpipe")) || rendu.contains(QLatin1String("softpipe")) ||
           rendu.contains(QLatin1String("swrast")) || rendu.contains(QLatin1String("software"));
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
