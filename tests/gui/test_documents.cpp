// What the user opens and what the keys reach: triangle meshes of every format open as meshes,
// a long read leaves the window live, keys typed in another window leave the document alone, the
// figures of a fit say when the cloud changed under them, and the main window names its document.
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

#include "outils_qt.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <algorithm>
#include <filesystem>

using namespace tarnis_test;

namespace {

QString texte(MainWindow &w, const char *label)
{
    return w.findChild<QLabel *>(label)->text();
}

} // namespace

class TestDocuments : public QObject
{
    Q_OBJECT

    TempDir dossier;

private slots:
    // The application's own STL and PLY exports, and a PLY of faces among clouds, open as their
    // triangles, drawn as triangles and framed on them; the cloud made from them is the one the
    // console tool fits to. A PLY of vertices alone stays a cloud.
    void maillagesOuvertsCommeMaillages()
    {
        // An octahedron about (100, 0, 0), off the origin.
        QVERIFY(writeFile(dossier.file("o.off"), "OFF\n6 8 0\n110 0 0\n90 0 0\n100 10 0\n100 -10 0\n100 0 10\n100 0 -10\n"
                                                 "3 0 2 4\n3 2 1 4\n3 1 3 4\n3 3 0 4\n3 2 0 5\n3 1 2 5\n3 3 1 5\n3 0 3 5\n"));
        Maillage m;
        QVERIFY(m.lireOFF(dossier.file("o.off")).reussi() && m.ecrireSTL(dossier.file("o.stl")).reussi());
        QVERIFY(m.ecrirePLY(dossier.file("o.ply")).reussi());
        QVERIFY(writeFile(dossier.file("points.ply"), "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nproperty "
                          "float y\nproperty float z\nelement face 0\nproperty list uchar int i\nend_header\n0 0 0\n"));
        QCOMPARE(genreOuverture(dossier.file("o.ply")), GenreFichier::Triangles);
        QCOMPARE(genreOuverture(dossier.file("points.ply")), GenreFichier::Nuage);

        std::vector<std::string> fichiers = {dossier.file("o.stl"), dossier.file("o.ply")};
        if (const std::string spot = sharedDataDir() + "/meshes/derived/spot_binary.stl"; std::filesystem::exists(spot))
            fichiers.push_back(spot);
        for (const std::string &f : fichiers) {
            Simplex attendu;
            QVERIFY(ouvrirMaillage(f, attendu).reussi());
            MainWindow w(nullptr, QString::fromStdString(f));
            GLWidget *v = w.getActiveSubWin();
            const Maillage &t = v->instanceSimplex->maillageTriangule;
            QCOMPARE(texte(w, "label_NbTriangles"), QString::number(attendu.maillageTriangule.listeFaces.size()));
            QVERIFY(v->estTriangule && v->modeDisplayMaille == 3 && v->getNbPts() == 0);
            // Framed on the triangles, not on the origin.
            const Boite b = boiteDe(t.listeSommets);
            QVERIFY2(distance(v->centreVue, b.centre()) < 1e-6 * b.diagonale(), f.c_str());

            Maillage console;
            QVERIFY(ouvrirNuage(f, console).reussi() && v->maillageToPts());
            QVERIFY(v->instanceMaillage->ListePointsInterets == console.ListePointsInterets);
        }
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
        QVERIFY(v->getNbPtSimplex() == avant && !v->boucleDeform && v->affichePT && !v->estModifie());

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
        QVERIFY(ecrireFichierPTS(dossier.file("e.pts"), nuageEllipsoide(1500, 30, 20, 10)) &&
                ecrireFichierPTS(dossier.file("f.pts"), nuageEllipsoide(800, 10, 10, 10)));
        MainWindow w(nullptr, QString::fromStdString(dossier.file("e.pts")));
        w.show();
        GLWidget *v = w.getActiveSubWin();
        w.findChild<QAction *>("actionPlacer_autour_du_nuage")->trigger();
        QAction *ajuster = w.findChild<QAction *>("actionAjustement_precis");
        ajuster->trigger();
        LoadingDialog *dialogue = w.findChild<LoadingDialog *>();
        QVERIFY(dialogue && dialogue->windowTitle() == ajuster->text());
        dialogue->close();
        const QString figures = texte(w, "label_Ajustement");
        QVERIFY(v->figuresAJour() && !figures.contains("depuis"));
        w.findChild<QAction *>("actionCouleurs_des_ecarts")->trigger();
        QVERIFY(v->legendeEcarts && v->legendeEcarts->isVisible());

        QVERIFY(v->setPTS(QString::fromStdString(dossier.file("f.pts"))));
        w.loadInformation(v);
        QVERIFY(!v->figuresAJour() && !v->legendeEcarts->isVisible());
        QVERIFY(texte(w, "label_Ajustement").endsWith(QString::fromUtf8("(nuage changé depuis)")));

        w.findChild<QAction *>("actionAnnuler")->trigger();
        w.loadInformation(v);
        QVERIFY(v->figuresAJour() && v->legendeEcarts->isVisible());
        QCOMPARE(texte(w, "label_Ajustement"), figures);
        QTRY_VERIFY(w.windowTitle() == QString("Tarnis - [e[*]]") && w.isWindowModified());
        w.findChild<QAction *>("actionNouveau")->trigger();
        QTRY_VERIFY(w.windowTitle() == QString("Tarnis - [Nouveau (1)[*]]") && !w.isWindowModified());
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
        QVERIFY2(w.getActiveSubWin()->getNbPts() == 600000 && tics > 2 && parts.size() > 1 && std::is_sorted(parts.begin(), parts.end()), qPrintable(QString::number(tics)));

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
