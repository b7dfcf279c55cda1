// What the user opens and what the keys reach: triangle meshes of every format open as meshes,
// a binary mask opens, keys typed in another window leave the document alone, the figures of a
// fit say when the cloud changed under them, and the main window names its document.
#include "Boite.h"
#include "Maillage.h"
#include "MaillageGL.h"
#include "Ouverture.h"
#include "SimplexGL.h"
#include "Vecteurs.h"
#include "automaticexec.h"
#include "glwidget.h"
#include "loadingdialog.h"
#include "mainwindow.h"
#include "settingwindow.h"

#include "outils_qt.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTest>

#include <algorithm>
#include <filesystem>

using namespace tarnis_test;

namespace {

QString texte(MainWindow &w, const char *label)
{
    return w.findChild<QLabel *>(label)->text();
}

/// An octahedron of half-size 10 about (100, 0, 0): 6 vertices, 8 triangles.
Maillage octaedre()
{
    Maillage m;
    m.listeSommets = {point3(110, 0, 0), point3(90, 0, 0),  point3(100, 10, 0),
                      point3(100, -10, 0), point3(100, 0, 10), point3(100, 0, -10)};
    m.listeFaces = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
    m.nbSommets = 6;
    m.nbFaces = 8;
    return m;
}

} // namespace

class TestDocuments : public QObject
{
    Q_OBJECT

    TempDir dossier;

private slots:
    void initTestCase()
    {
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(dossier.file("reglages")));
    }
    void cleanup() { QSettings().clear(); }

    // The application's own STL and PLY exports, and a PLY of faces among clouds, open as their
    // triangles, drawn as triangles and framed on them; the cloud made from them is the one the
    // console tool fits to. A PLY of vertices alone stays a cloud.
    void maillagesOuvertsCommeMaillages()
    {
        const Maillage m = octaedre();
        QVERIFY(m.ecrireSTL(dossier.file("o.stl")).reussi());
        QVERIFY(m.ecrirePLY(dossier.file("o.ply")).reussi());
        QVERIFY(writeFile(dossier.file("points.ply"),
                          "ply\nformat ascii 1.0\nelement vertex 2\nproperty float x\nproperty float y\n"
                          "property float z\nelement face 0\nproperty list uchar int vertex_indices\nend_header\n"
                          "0 0 0\n1 1 1\n"));
        QCOMPARE(genreOuverture(dossier.file("o.ply")), GenreFichier::Triangles);
        QCOMPARE(genreOuverture(dossier.file("points.ply")), GenreFichier::Nuage);

        std::vector<std::string> fichiers = {dossier.file("o.stl"), dossier.file("o.ply")};
        const std::string spot = sharedDataDir() + "/meshes/derived/spot_binary.stl";
        if (!sharedDataDir().empty() && std::filesystem::exists(spot))
            fichiers.push_back(spot);
        for (const std::string &f : fichiers) {
            Simplex attendu;
            QVERIFY(ouvrirMaillage(f, attendu).reussi());
            MainWindow w(nullptr, QString::fromStdString(f));
            GLWidget *v = w.getActiveSubWin();
            const Maillage &t = v->instanceSimplex->maillageTriangule;
            QCOMPARE(t.listeFaces.size(), attendu.maillageTriangule.listeFaces.size());
            QVERIFY(v->estTriangule && v->modeDisplayMaille == 3 && v->getNbPts() == 0);
            // Framed on the triangles, not on the origin.
            const Boite b = boiteDe(t.listeSommets);
            QVERIFY2(distance(v->centreVue, b.centre()) < 1e-6 * b.diagonale(), f.c_str());

            Maillage console;
            QVERIFY(ouvrirNuage(f, console).reussi());
            QVERIFY(v->maillageToPts());
            QVERIFY(v->instanceMaillage->ListePointsInterets == console.ListePointsInterets);
        }
    }

    // A 0/1 mask opens with the default preferences, and with the window its refusal would have
    // pointed to (taken from the volume), keeping the same voxels: those of value 1.
    void masqueBinaireOuvert()
    {
        const std::string masque = sharedDataDir() + "/volumes/derived/brainmask.nii.gz";
        if (sharedDataDir().empty() || !std::filesystem::exists(masque))
            QSKIP("brainmask.nii.gz absent");
        MainWindow w;
        QVERIFY(w.creerNewSubWindow(QString::fromStdString(masque)));
        GLWidget *v = w.getActiveSubWin();
        const int parDefaut = v->getNbPts();

        SettingWindow *s = w.getSettingWindow();
        QVERIFY(s->fenetreDepuisVolume(QString::fromStdString(masque)).isEmpty());
        QCOMPARE(s->nombreDePointsMinimumSpinBox->value(), 0);
        QCOMPARE(s->nombreDePointsMaximumSpinBox->value(), 1);
        QTest::mouseClick(s->pushButton_3, Qt::LeftButton);
        QVERIFY(v->setPTS(QString::fromStdString(masque)) && parDefaut > 1000);
        QCOMPARE(v->getNbPts(), parDefaut);
    }

    // With the batch window in front, a letter typed into it is the batch window's: the
    // document's refinement key does nothing to the document. In the document's view it refines.
    void touchesDeLaFenetreActive()
    {
        GestionnaireFenetres gestionnaire;
        if (!gestionnaire.demarrer())
            QSKIP("openbox is not installed: no window manager to move the focus");
        Repondeur repondeur; // no box is expected: one would be closed and counted
        QVERIFY(ecrireFichierPTS(dossier.file("k.pts"), nuageEllipsoide(3000, 30, 20, 10)));
        MainWindow w(nullptr, QString::fromStdString(dossier.file("k.pts")));
        w.resize(1280, 800);
        w.show();
        QVERIFY(activer(&w));
        GLWidget *v = w.getActiveSubWin();
        const int avant = v->getNbPtSimplex();

        w.findChild<QAction *>("actionOperateur_Automatique")->trigger();
        AutomaticExec *lot = w.getAutomaticExec();
        QVERIFY(activer(lot));
        lot->listWidget->setFocus();
        QTRY_VERIFY(QApplication::focusWidget() == lot->listWidget);
        for (const Qt::Key k : {Qt::Key_K, Qt::Key_R, Qt::Key_U, Qt::Key_M})
            QTest::keyClick(lot->listWidget, k);
        QTest::qWait(100);
        QCOMPARE(v->getNbPtSimplex(), avant);
        QVERIFY(!v->boucleDeform && v->affichePT && !v->estModifie());

        // The window's own keys are not for the batch window either: Ctrl+W closes no document.
        QTest::keyClick(lot->listWidget, Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(w.findChild<QMdiArea *>()->subWindowList().size(), 1);

        lot->hide();
        QVERIFY(activer(&w));
        v->setFocus();
        QTRY_VERIFY(QApplication::focusWidget() == v);
        QTest::keyClick(v, Qt::Key_K);
        QCOMPARE(v->getNbPtSimplex(), 3 * avant);
        // Undone, the document is as opened and Ctrl+W closes it without asking.
        w.findChild<QAction *>("actionAnnuler")->trigger();
        QTest::keyClick(v, Qt::Key_W, Qt::ControlModifier);
        QTRY_COMPARE(w.findChild<QMdiArea *>()->subWindowList().size(), 0);
        QCOMPARE(repondeur.imprevus, 0);
    }

    // After a fit, importing another cloud marks the figures as no longer the document's and takes
    // the colour legend away; undoing the import brings both back. The fit's dialog is named so,
    // the main window carries the document's name and mark of changes, a new one is named in French.
    void importMarqueLesFigures()
    {
        QVERIFY(ecrireFichierPTS(dossier.file("e.pts"), nuageEllipsoide(1500, 30, 20, 10)));
        QVERIFY(ecrireFichierPTS(dossier.file("f.pts"), nuageEllipsoide(800, 10, 10, 10)));
        MainWindow w(nullptr, QString::fromStdString(dossier.file("e.pts")));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        GLWidget *v = w.getActiveSubWin();
        w.findChild<QAction *>("actionPlacer_autour_du_nuage")->trigger();
        QAction *ajuster = w.findChild<QAction *>("actionAjustement_precis");
        ajuster->trigger();
        LoadingDialog *dialogue = nullptr;
        for (LoadingDialog *d : w.findChildren<LoadingDialog *>())
            dialogue = d;
        QVERIFY(dialogue);
        QCOMPARE(dialogue->windowTitle(), ajuster->text());
        dialogue->close();
        QVERIFY(v->figuresAJour());
        const QString figures = texte(w, "label_Ajustement");
        QVERIFY(!figures.contains("depuis"));
        w.findChild<QAction *>("actionCouleurs_des_ecarts")->trigger();
        QVERIFY(v->legendeEcarts && v->legendeEcarts->isVisible());

        QVERIFY(v->setPTS(QString::fromStdString(dossier.file("f.pts"))));
        w.loadInformation(v);
        QVERIFY(!v->figuresAJour() && v->nuageChangeDepuisFigures());
        QVERIFY2(texte(w, "label_Ajustement").endsWith(QString::fromUtf8("(nuage changé depuis)")),
                 qPrintable(texte(w, "label_Ajustement")));
        QVERIFY(!v->legendeEcarts->isVisible());

        w.findChild<QAction *>("actionAnnuler")->trigger();
        w.loadInformation(v);
        QVERIFY(v->figuresAJour() && v->legendeEcarts->isVisible());
        QCOMPARE(texte(w, "label_Ajustement"), figures);
        QTRY_VERIFY(w.windowTitle() == QString("Tarnis - [e[*]]") && w.isWindowModified());
        w.findChild<QAction *>("actionNouveau")->trigger();
        QTest::qWait(50);
        QCOMPARE(w.windowTitle(), QString("Tarnis - [Nouveau (1)[*]]"));
        QVERIFY(!w.isWindowModified());
        w.findChild<QMdiArea *>()->activatePreviousSubWindow();
        QTRY_VERIFY(w.windowTitle() == QString("Tarnis - [e[*]]") && w.isWindowModified());
    }

    // A long read runs off the window's thread: the events go on being processed and its progress
    // is reported; "Arrêter" stops it, and no document is opened.
    void lectureLongueEnFond()
    {
        const std::string gros = dossier.file("gros.pts");
        QVERIFY(ecrireFichierPTS(gros, nuageEllipsoide(600000, 30, 20, 10)));
        MainWindow w;
        int tics = 0;
        QTimer horloge;
        connect(&horloge, &QTimer::timeout, [&]() { ++tics; });
        horloge.start(5);
        std::vector<double> parts;
        SuiviLectures &suivi = SuiviLectures::instance();
        const auto releve = connect(&suivi, &SuiviLectures::avance, [&](const QString &, double f, bool fin) {
            if (!fin)
                parts.push_back(f);
        });
        QVERIFY(w.creerNewSubWindow(QString::fromStdString(gros)));
        QCOMPARE(w.getActiveSubWin()->getNbPts(), 600000);
        QVERIFY2(tics > 2 && parts.size() > 1 && std::is_sorted(parts.begin(), parts.end()), qPrintable(QString::number(tics)));

        Repondeur repondeur;
        repondeur.bouton();
        const auto arret = connect(&suivi, &SuiviLectures::avance, &suivi, &SuiviLectures::arreter);
        QVERIFY(!w.creerNewSubWindow(QString::fromStdString(gros)));
        disconnect(arret);
        disconnect(releve);
        QCOMPARE(w.findChild<QMdiArea *>()->subWindowList().size(), 1);
        QCOMPARE(repondeur.boites.size(), 1);
        QVERIFY(w.creerNewSubWindow(QString::fromStdString(gros)));
    }

};

TARNIS_QTEST_MAIN(TestDocuments)
#include "test_documents.moc"
