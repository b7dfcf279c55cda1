// Start-up: the diagnostic lines, the translation looked up in the working
// folder (and that it covers every text of the interface), the first argument,
// the splash, and the program itself started as a process.

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include "automaticexec.h"
#include "demarrage.h"
#include "fenabout.h"
#include "loadingdialog.h"
#include "mainwindow.h"
#include "settingwindow.h"
#include "splashperso.h"

namespace {

QStringList lignesAvertissement;

void capturer(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        lignesAvertissement << message;
}

// Every text a user reads on a widget tree, with the form class it comes from.
struct Texte
{
    QString contexte;
    QString texte;
};

// The form class an object belongs to: its nearest ancestor that is a form.
QString contexteDe(QObject *o)
{
    static const QStringList formes = {"MainWindow", "SettingWindow", "AutomaticExec", "FenAbout", "LoadingDialog"};
    for (; o != nullptr; o = o->parent())
        if (formes.contains(o->metaObject()->className()))
            return o->metaObject()->className();
    return QString();
}

QList<Texte> textes(QWidget *racine)
{
    QList<Texte> l;
    auto ajouter = [&](QObject *o, const QString &t) {
        if (!t.trimmed().isEmpty())
            l.append({contexteDe(o), t});
    };
    ajouter(racine, racine->windowTitle());
    for (QAction *a : racine->findChildren<QAction *>()) {
        if (a->isSeparator() || a->objectName().isEmpty())
            continue;
        ajouter(a, a->text());
        ajouter(a, a->statusTip());
    }
    for (QMenu *m : racine->findChildren<QMenu *>())
        ajouter(m, m->title());
    for (QLabel *w : racine->findChildren<QLabel *>())
        if (!w->objectName().startsWith("label_Nb") && w->objectName() != "fileInLabel" &&
            w->objectName() != "fileOutLabel")
            ajouter(w, w->text());
    for (QAbstractButton *w : racine->findChildren<QAbstractButton *>())
        if (!w->objectName().startsWith("qt_"))
            ajouter(w, w->text());
    for (QGroupBox *w : racine->findChildren<QGroupBox *>())
        ajouter(w, w->title());
    for (QWidget *w : racine->findChildren<QWidget *>()) {
        ajouter(w, w->toolTip());
        if (w->isWindow() || w->objectName() == "dockOutils")
            ajouter(w, w->windowTitle());
    }
    return l;
}

} // namespace

class TestDemarrage : public QObject
{
    Q_OBJECT

private slots:
    void lignesDeDemarrage()
    {
        lignesAvertissement.clear();
        QtMessageHandler ancien = qInstallMessageHandler(capturer);
        const bool gl = verifierSupportOpenGL();
        qInstallMessageHandler(ancien);
        QCOMPARE(lignesAvertissement.size(), 2);
        QCOMPARE(lignesAvertissement[0], QString("Verification du support OpenGL : "));
        QCOMPARE(lignesAvertissement[1], gl ? QString("OK") : QString("Ce systeme n'a pas de suport OpenGL."));
    }

    void premierArgument()
    {
        char programme[] = "tarnis";
        char premier[] = "/tmp/a b/scan.pts";
        char second[] = "autre.smm";
        char *deux[] = {programme, premier, second, nullptr};
        QCOMPARE(fichierDeDemarrage(3, deux), QString("/tmp/a b/scan.pts"));
        char *un[] = {programme, nullptr};
        QVERIFY(fichierDeDemarrage(1, un).isEmpty());
    }

    // The English file is taken from the working folder only.
    void traductionDansLeDossierDeTravail()
    {
        QVERIFY2(QFile::exists(TARNIS_QM_FILE), TARNIS_QM_FILE);
        QTemporaryDir dossier;
        QVERIFY(dossier.isValid());
        const QString avant = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dossier.path()));
        {
            QTranslator t, tq;
            QVERIFY(!installerTraductions(t, tq));
            QCoreApplication::removeTranslator(&tq);
            QCOMPARE(QCoreApplication::translate("MainWindow", "Fermer Tarnis"), QString("Fermer Tarnis"));
        }
        QVERIFY(QFile::copy(TARNIS_QM_FILE, dossier.filePath("quolvex_en.qm")));
        {
            QTranslator t, tq;
            QVERIFY(installerTraductions(t, tq));
            QCOMPARE(QCoreApplication::translate("MainWindow", "Fermer Tarnis"), QString("Quit Tarnis"));
            MainWindow w;
            QCOMPARE(w.findChild<QMenu *>("menuFichier")->title(), QString("File"));
            QCoreApplication::removeTranslator(&t);
            QCoreApplication::removeTranslator(&tq);
        }
        QVERIFY(QDir::setCurrent(avant));
    }

    // Every text shown by the windows (built here in French) has an English
    // translation in the compiled file, under the form's context.
    void traductionComplete()
    {
        QTranslator anglais;
        QVERIFY(anglais.load(TARNIS_QM_FILE));
        MainWindow w;
        SettingWindow s;
        FenAbout a;
        AutomaticExec e;
        LoadingDialog d;
        QList<Texte> tous = textes(&w) + textes(&s) + textes(&a) + textes(&e) + textes(&d);
        QVERIFY(tous.size() > 100);
        QStringList manquants;
        for (const Texte &t : tous) {
            // Rich texts are compared through their source: the form's own markup.
            if (Qt::mightBeRichText(t.texte))
                continue;
            if (anglais.translate(qPrintable(t.contexte), qPrintable(t.texte)).isEmpty() &&
                anglais.translate(qPrintable(t.contexte), qPrintable(QString(t.texte).replace("&&", "&"))).isEmpty())
                manquants << t.contexte + ": " + t.texte;
        }
        manquants.removeDuplicates();
        QVERIFY2(manquants.isEmpty(), qPrintable(manquants.join("\n")));

        // The rich-text About text is translated too, and keeps its first sentence's meaning.
        QTranslator t2;
        QVERIFY(t2.load(TARNIS_QM_FILE));
        QCoreApplication::installTranslator(&t2);
        FenAbout en;
        auto *champ = en.findChild<QWidget *>("textEdit");
        QVERIFY(champ);
        QVERIFY(champ->property("html").toString().contains("cross-platform"));
        QCoreApplication::removeTranslator(&t2);
    }

    // Every text the sources and forms hand to the translation lookup has a
    // finished English translation: lupdate, run on a copy of the .ts, finds
    // no new or unfinished entry.
    void traductionDesSources()
    {
        QTemporaryDir dossier;
        QVERIFY(dossier.isValid());
        const QString ts = dossier.filePath("copie.ts");
        QVERIFY(QFile::copy(QStringLiteral(TARNIS_SHELL_SOURCE_DIR) + "/quolvex_en.ts", ts));
        QFile::setPermissions(ts, QFile::ReadOwner | QFile::WriteOwner);
        QProcess lupdate;
        lupdate.start(TARNIS_LUPDATE, {"-locations", "none", "-no-obsolete", TARNIS_SHELL_SOURCE_DIR, "-ts", ts});
        if (!lupdate.waitForStarted(10000))
            QSKIP("lupdate cannot be started");
        QVERIFY(lupdate.waitForFinished(60000));
        QCOMPARE(lupdate.exitCode(), 0);
        QFile f(ts);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&f);
        QString source;
        QStringList manquants;
        int messages = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("source")) {
                source = xml.readElementText();
                ++messages;
            } else if (xml.name() == QLatin1String("translation")) {
                const bool inacheve = xml.attributes().value("type") == QLatin1String("unfinished");
                if (inacheve || xml.readElementText().isEmpty())
                    manquants << source;
            }
        }
        QVERIFY(!xml.hasError());
        QVERIFY(messages > 100);
        QVERIFY2(manquants.isEmpty(), qPrintable(manquants.join("\n")));
    }

    void splash()
    {
        SplashPerso s(nullptr, 300);
        QVERIFY(!s.image.isNull());
        QCOMPARE(s.duration, 300);
        QVERIFY(s.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!s.pixmap().isNull());
        // The corners of the picture are transparent, so they are not part of the window.
        QVERIFY(!s.mask().isEmpty());
        QVERIFY(!s.mask().contains(QPoint(0, 0)));
        QVERIFY(s.mask().contains(QPoint(s.image.width() / 2, s.image.height() / 2)));
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        QTRY_VERIFY_WITH_TIMEOUT(!s.isVisible(), 3000);

        SplashPerso reste(nullptr, 0);
        reste.show();
        QVERIFY(QTest::qWaitForWindowExposed(&reste));
        QTest::qWait(400);
        QVERIFY(reste.isVisible());
    }

    // The program itself prints the two start-up lines first, once, whatever
    // its arguments (here a file of unknown kind and a second, ignored one).
    void programme()
    {
        QTemporaryDir dossier;
        QVERIFY(dossier.isValid());
        QProcess p;
        p.setWorkingDirectory(QDir::currentPath());
        p.start(TARNIS_EXE, {dossier.filePath("absent.xyz"), "second.pts"});
        QVERIFY(p.waitForStarted(10000));
        QString erreur;
        QElapsedTimer chrono;
        chrono.start();
        while (!erreur.contains("OK\n") && !erreur.contains("suport OpenGL.\n") && chrono.elapsed() < 20000) {
            p.waitForReadyRead(200);
            erreur += QString::fromLocal8Bit(p.readAllStandardError());
        }
        p.kill();
        p.waitForFinished(5000);
        erreur += QString::fromLocal8Bit(p.readAllStandardError());
        QStringList lignes = erreur.split('\n');
        // Lines of the toolkit itself (platform notices) are not ours.
        lignes.erase(std::remove_if(lignes.begin(), lignes.end(),
                                    [](const QString &l) { return l.startsWith("QStandardPaths") || l.isEmpty(); }),
                     lignes.end());
        QVERIFY2(lignes.size() >= 2, qPrintable(erreur));
        QCOMPARE(lignes[0], QString("Verification du support OpenGL : "));
        QVERIFY(lignes[1] == "OK" || lignes[1] == "Ce systeme n'a pas de suport OpenGL.");
        QCOMPARE(lignes.count("Verification du support OpenGL : "), 1);
    }
};

QTEST_MAIN(TestDemarrage)
#include "test_demarrage.moc"
