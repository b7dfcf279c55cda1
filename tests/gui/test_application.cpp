// The application on its documents: the preferences reach every document, stay across runs and
// come back to their defaults, counts and menus are right before the window first shows, the
// placement and the precise fit, whose figures are measured again independently, and a volume
// opened in either frame and fitted on the boundary of its region.
#include "Ajustement.h"
#include "Chirurgie.h"
#include "MaillageGL.h"
#include "Ouverture.h"
#include "SimplexGL.h"
#include "glwidget.h"
#include "kdtree.h"
#include "loadingdialog.h"
#include "mainwindow.h"
#include "settingwindow.h"

#include "nifti_essai.h"
#include "outils_qt.h"
#include "refine_fixtures.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QDropEvent>
#include <QUrl>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <filesystem>

using namespace tarnis_test;

namespace {

QString texte(MainWindow &w, const char *label)
{
    return w.findChild<QLabel *>(label)->text();
}

/// Box of the points: centre and half sizes.
std::pair<point3, point3> boite(const std::vector<point3> &p)
{
    point3 b = p[0], h = p[0];
    for (const point3 &q : p) {
        b = point3(std::min(b.x, q.x), std::min(b.y, q.y), std::min(b.z, q.z));
        h = point3(std::max(h.x, q.x), std::max(h.y, q.y), std::max(h.z, q.z));
    }
    return {point3((b.x + h.x) / 2, (b.y + h.y) / 2, (b.z + h.z) / 2),
            point3((h.x - b.x) / 2, (h.y - b.y) / 2, (h.z - b.z) / 2)};
}

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT

    TempDir dossier;

private slots:
    // The settings are kept in a scratch file, emptied after each case.
    void initTestCase()
    {
        QSettings::setDefaultFormat(QSettings::IniFormat);
        const QString reglages = QString::fromStdString(dossier.file("reglages"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, reglages);
    }
    void cleanup() { QSettings().clear(); }

    // Preferences set while the focus has moved to them reach every open document and the next
    // one, are read back by the next run, and the defaults can be restored.
    void preferencesPartageesEtGardees()
    {
        GestionnaireFenetres gestionnaire;
        if (!gestionnaire.demarrer())
            QSKIP("openbox is not installed: no window manager to move the focus");

        const QString pts = QString::fromStdString(dossier.file("a.pts"));
        QVERIFY(ecrireFichierPTS(pts.toStdString(), nuageEllipsoide(200, 3, 2, 1)));
        const auto regle = [](const GLWidget *v) {
            return v->hdrSetting.seuilMin == 100 && v->hdrSetting.max == 255 && v->deformSetting.alpha == 2.5f &&
                   v->deformSetting.rigid == 4 && !v->ombrage && v->jugementIsoles == Jugement::Non &&
                   v->jugementBruit == Jugement::Oui;
        };
        bool importe = false;
        {
            MainWindow w;
            w.creerNewSubWindow(pts);
            w.creerNewSubWindow(pts);
            QMdiArea *zone = w.findChild<QMdiArea *>();
            zone->setActiveSubWindow(zone->subWindowList(QMdiArea::CreationOrder)[0]);
            GLWidget *a = w.getActiveSubWin();
            w.show();
            w.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&w));

            w.findChild<QAction *>("actionPreference")->trigger();
            SettingWindow *s = w.getSettingWindow();
            // The window manager hands the focus to the preferences: the main window is no longer active.
            QVERIFY(activer(s));
            QVERIFY(!w.isActiveWindow());
            s->seuilMinimumSpinBox->setValue(100);
            s->nombreDePointsMaximumSpinBox->setValue(255);
            s->forceInterneDoubleSpinBox->setValue(2.5);
            s->rigiditDuMaillageSpinBox->setValue(4);
            s->checkBoxOmbrage->setChecked(false);
            s->pointsIsolesComboBox->setCurrentIndex(1);
            s->bruitComboBox->setCurrentIndex(1);
            QTest::mouseClick(s->pushButton_3, Qt::LeftButton);

            QVERIFY(w.creerNewSubWindow(pts));
            for (QMdiSubWindow *f : zone->subWindowList(QMdiArea::CreationOrder))
                QVERIFY(regle(qobject_cast<GLWidget *>(f->widget())));

            // The next import of a document thresholds as the engine does with those settings.
            const std::string volume = sharedDataDir() + "/volumes/spm99/avg152T1.hdr";
            if (!sharedDataDir().empty() && std::filesystem::exists(volume)) {
                Maillage m;
                QVERIFY(ouvrirNuage(volume, m, ReglagesVolume{100, 255, 0, 255}).reussi());
                QVERIFY(a->setPTS(QString::fromStdString(volume)));
                QVERIFY(a->getNbPts() > 0);
                QCOMPARE(a->getNbPts(), int(m.ListePointsInterets.size()));
                importe = true;
            }
        }

        MainWindow suivante;
        QVERIFY(suivante.creerNewSubWindow(pts));
        QVERIFY(regle(qobject_cast<GLWidget *>(suivante.findChild<QMdiArea *>()->subWindowList()[0]->widget())));
        SettingWindow *s = suivante.getSettingWindow();
        s->pushButtonValeursParDefaut->click();
        const ReglagesVue r = s->reglages();
        QVERIFY(r.hdr.seuilMin == defauts::seuilMin && r.hdr.seuilMax == defauts::seuilMax &&
                r.hdr.min == defauts::fenetreMin && r.hdr.max == defauts::fenetreMax);
        QVERIFY(r.deform.alpha == defauts::alpha && r.deform.beta == defauts::beta &&
                r.deform.rigid == defauts::rigidite && r.cone.rayon == float(defauts::rayonCone));
        QCOMPARE(2 * r.cone.angle, float(defauts::angleCone));
        QVERIFY(r.ombrage && r.niveauAutomatique && !r.millimetres && r.isoles == Jugement::Auto && r.bruit == Jugement::Auto);
        QCOMPARE(s->getIterationAutomatisme(), defauts::tours);
        QCOMPARE(s->getIterationDeformation(), defauts::pasDeformation);
        QCOMPARE(s->getIterationT22Surfaces(), defauts::toursT22Surfaces);
        if (!importe)
            QSKIP("avg152T1.hdr absent: the import is not checked");
    }

    void comptesEtMenusAuDemarrage()
    {
        QVERIFY(writeFile(dossier.file("t.off"), "OFF\n4 4 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n"));
        QVERIFY(writeFile(dossier.file("t.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n"));
        QVERIFY(ecrireFichierPTS(dossier.file("n.pts"), nuageEllipsoide(123, 3, 2, 1)));
        const struct
        {
            const char *fichier, *points, *simplex;
            bool conversion;
        } cas[] = {{"n.pts", "123", "320", false}, {"t.off", "0", "0", true}, {"t.obj", "0", "0", false}};
        for (const auto &c : cas) {
            MainWindow w(nullptr, QString::fromStdString(dossier.file(c.fichier)));
            QCOMPARE(texte(w, "label_NbPTS"), QString(c.points));
            QCOMPARE(texte(w, "label_NbPtSimplex"), QString(c.simplex));
            QTest::qWait(150); // the menus' refresh after a new document
            QCOMPARE(w.findChild<QAction *>("actionCreer_un_maillage_simplex")->isEnabled(), c.conversion);
        }
    }

    // The dialog ends full and green; the panel gives both directions, as measured again here. A fit
    // stopped afterwards says so in orange, leaves the figures of the completed one and, while it
    // ran, the view drew a completed mesh in the cloud's frame.
    void placementEtAjustementPrecis()
    {
        std::vector<point3> nuage = nuageEllipsoide(3000, 30, 20, 10);
        for (point3 &p : nuage)
            p = point3(p.x + 500, p.y - 40, p.z);
        QVERIFY(ecrireFichierPTS(dossier.file("e.pts"), nuage));
        MainWindow w(nullptr, QString::fromStdString(dossier.file("e.pts")));
        GLWidget *v = w.getActiveSubWin();
        QVERIFY(texte(w, "label_Ajustement").contains("aucun"));
        w.findChild<QAction *>("actionPlacer_autour_du_nuage")->trigger();
        const auto [centreNuage, demiNuage] = boite(nuage);
        const auto [centre, demi] = boite(positions(v->instanceSimplex->ListePointsSimplex));
        QVERIFY(std::abs(centre.x - centreNuage.x) < 1e-4 && std::abs(centre.y - centreNuage.y) < 1e-4 && demi.x > demiNuage.x && demi.y > demiNuage.y && demi.z > demiNuage.z);
        QVERIFY(v->instanceSimplex->trianguler().reussi());
        const double diagonale = 2 * std::sqrt(demiNuage.x * demiNuage.x + demiNuage.y * demiNuage.y + demiNuage.z * demiNuage.z);
        const double avant = mesurerAjustement(*v->instanceSimplex, nuage).nuageVersSurface.moyenne / diagonale * 100;

        // The fit's lines appear in the panel without widening it (the 3-D view keeps its width).
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const int largeurVue = v->width();
        QAction *ajuster = w.findChild<QAction *>("actionAjustement_precis");
        const auto dialogue = [&w, ajuster]() -> LoadingDialog * {
            for (LoadingDialog *e : w.findChildren<LoadingDialog *>()) if (e->ui.groupBox->title() == ajuster->text()) return e;
            return nullptr;
        };
        ajuster->trigger();
        LoadingDialog *d = dialogue();
        QVERIFY(d && d->ui.progressBar->value() == d->ui.progressBar->maximum() && d->ui.labelTerminated->text().contains("#55ff00"));
        const QPointer<LoadingDialog> premier(d);
        d->close();
        QTest::qWait(100);
        QCOMPARE(v->width(), largeurVue);
        const QString shown = texte(w, "label_Ajustement");
        const FiguresAjustement f = mesurerAjustement(*v->instanceSimplex, nuage);
        const double attendu[2] = {f.nuageVersSurface.moyenne / diagonale * 100, f.surfaceVersNuage.moyenne / diagonale * 100};
        const QStringList sens = shown.split('\n');
        // Then the pairs of triangles of the surface that cross, when there are any; else the solid.
        const std::size_t croisent = pairesQuiSeCroisent(v->instanceSimplex->maillageTriangule);
        QVERIFY2(sens.size() == 4 && (croisent > 0 || sens[3].startsWith(QString::fromUtf8("solide : volume "))) && attendu[0] < avant / 3 && sens[0].startsWith(QString::fromUtf8("nuage → surface : moyenne ")) &&
                     sens[1].startsWith(QString::fromUtf8("surface → nuage : moyenne ")) &&
                     sens[2] == QString::fromUtf8("surface : 1 partie(s), genre 0") &&
                     (croisent == 0 || sens[3] == QString::fromUtf8("%1 paire(s) de triangles qui se croisent : la surface passe au "
                                                                    "travers d'elle-même").arg(croisent)),
                 qPrintable(shown));
        for (int i = 0; i < 2; ++i)
            QVERIFY2(std::abs(sens[i].section(' ', 5, 5).toDouble() - attendu[i]) <= 0.006, qPrintable(shown));

        // R on the fitted mesh, then "Annuler": the fitted mesh back, bit for bit, and its figures current.
        const std::string ajuste = empreinte(*v->instanceSimplex);
        QAction *annuler = w.findChild<QAction *>("actionAnnuler");
        w.findChild<QAction *>("actionReset")->trigger();
        QVERIFY(annuler->isEnabled() && empreinte(*v->instanceSimplex) != ajuste);
        annuler->trigger();
        QVERIFY(empreinte(*v->instanceSimplex) == ajuste && v->figuresAJour());

        // Stopped past a tenth: the mesh drawn meanwhile was a whole one around the cloud, the
        // view repainted and turned while the fit ran off its thread, the document is as before.
        QTimer arret;
        std::vector<point3> dessine;
        const int peintesAvant = v->peintures, pas = v->historique.count(), yAvant = v->yRot;
        int peintesPendant = 0;
        connect(&arret, &QTimer::timeout, [&]() {
            LoadingDialog *e = dialogue();
            if (e && e != premier && v->ajuste() && peintesPendant == 0) {
                for (const QPoint p : {QPoint(10, 10), QPoint(60, 10)}) {
                    QMouseEvent m(p == QPoint(10, 10) ? QEvent::MouseButtonPress : QEvent::MouseMove, p, v->mapToGlobal(p),
                                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                    QCoreApplication::sendEvent(v, &m);
                }
                peintesPendant = -1;
            }
            if (e && e != premier && e->ui.progressBar->value() > 100 && !e->isArretDemande()) {
                dessine = v->maillageDessine();
                peintesPendant = v->peintures;
                QVERIFY(!w.findChild<QAction *>("actionReset")->isEnabled());
                QTest::mouseClick(e->ui.ButtonStop, Qt::LeftButton);
            }
        });
        arret.start(5);
        ajuster->trigger();
        LoadingDialog *e = dialogue();
        QVERIFY(e && e->isArretDemande() && e->ui.progressBar->value() < e->ui.progressBar->maximum() && e->ui.labelTerminated->text().contains("#ff8c00; font-size:15px;\">Ajustement interrompu"));
        QVERIFY(peintesPendant > peintesAvant && v->yRot != yAvant);
        QVERIFY(empreinte(*v->instanceSimplex) == ajuste && v->historique.count() == pas && v->figuresAJour());
        QCOMPARE(texte(w, "label_Ajustement").section('\n', 0, int(sens.size()) - 1), shown);
        const auto [milieu, moitie] = boite(dessine.empty() ? std::vector<point3>{point3()} : dessine);
        QVERIFY(plusProcheBrute(milieu, {centreNuage}) < 0.1 * diagonale && moitie.x > demiNuage.x / 2 && moitie.x < 2 * demiNuage.x);
    }

    void volumeEnMillimetresAjusteSurSaFrontiere()
    {
        // A ball of radius 8 mm on 1 x 1 x 2 mm voxels, x flipped by the sform: voxel (12, 12, 7)
        // is its centre, at (18, 2, 19) mm.
        Nifti f(24, 24, 14, 1, 4, 16); // signed 16-bit
        const double sform[3][4] = {{-1, 0, 0, 30}, {0, 1, 0, -10}, {0, 0, 2, 5}};
        f.sform(sform);
        const point3 centre(18, 2, 19);
        const double rayon = 8;
        for (int k = 0; k < 14; ++k)
            for (int j = 0; j < 24; ++j)
                for (int i = 0; i < 24; ++i)
                    f.ajouter<std::int16_t>(std::hypot(i - 12, j - 12, 2 * (k - 7)) < rayon ? 800 : 0);
        const std::string volume = dossier.file("boule.nii");
        QVERIFY(writeFile(volume, f.o));
        MainWindow w(nullptr, QString::fromStdString(volume));
        GLWidget *v = w.getActiveSubWin();
        QCOMPARE(texte(w, "label_Repere"), QString("indices de voxels"));
        QVERIFY(plusProcheBrute(point3(12, 12, 7), {boite(v->instanceMaillage->ListePointsInterets).first}) < 1e-9);

        // Millimetres from the preferences; the document's cloud moves when the volume is opened again.
        w.findChild<QAction *>("actionPreference")->trigger();
        w.getSettingWindow()->repereVolumeComboBox->setCurrentIndex(1);
        QTest::mouseClick(w.getSettingWindow()->pushButton_3, Qt::LeftButton);
        QVERIFY(v->setPTS(QString::fromStdString(volume)));
        const std::vector<point3> nuage = v->instanceMaillage->ListePointsInterets;
        const auto [milieu, demi] = boite(nuage);
        QVERIFY(plusProcheBrute(milieu, {centre}) < 1e-6);
        QVERIFY(std::abs(demi.x - 7) < 1e-6 && std::abs(demi.z - 6) < 1e-6); // voxel centres inside the ball

        // The precise fit works on the boundary of the region, at Otsu's level (399.5 here): the
        // surface lies on the sphere, not inside the solid ball the thresholded cloud fills.
        w.findChild<QAction *>("actionPlacer_autour_du_nuage")->trigger();
        w.findChild<QAction *>("actionAjustement_precis")->trigger();
        QCOMPARE(texte(w, "label_Repere"), QString("millimètres (sform) ; frontière au niveau 399.5 (automatique)"));
        const std::vector<point3> sommets = v->instanceSimplex->maillageTriangule.listeSommets;
        double somme = 0;
        for (const point3 &p : sommets)
            somme += plusProcheBrute(p, {centre});
        const double moyenne = somme / static_cast<double>(sommets.size());
        QVERIFY2(std::abs(moyenne - rayon) < 0.5, qPrintable(QString::number(moyenne))); // 6 mm on the solid ball
        // The cloud drawn is now the boundary the fit followed, on the sphere too, not the solid ball.
        double loin = 0;
        for (const point3 &p : v->instanceMaillage->ListePointsInterets)
            loin = std::max(loin, std::abs(plusProcheBrute(p, {centre}) - rayon));
        QVERIFY2(!v->instanceMaillage->ListePointsInterets.empty() && loin < 1.5 && v->figuresAJour(), qPrintable(QString::number(loin)));

        v->setVolumeSetting(true, false, 900); // a given level, above every value
        QVERIFY(!v->ajustementPrecis({}) && v->derniereErreur().contains("n'a aucun voxel au niveau 900 ou au-dessus"));

        // A point cloud in its place is no volume: the frame is hidden and the volume forgotten.
        QVERIFY(ecrireFichierPTS(dossier.file("b.pts"), nuage));
        QVERIFY(v->setPTS(QString::fromStdString(dossier.file("b.pts"))));
        w.loadInformation(v);
        QVERIFY(!w.findChild<QLabel *>("label_Repere")->isVisibleTo(&w));
        QVERIFY(v->fichierVolume.empty());
    }

    // Closing asks before changes are lost: an unchanged document closes without a word, Cancel
    // keeps the application and its document, Discard closes. The title's mark follows the
    // changes and a written mesh clears it.
    void fermetureDemandeSiModifie()
    {
        QVERIFY(ecrireFichierPTS(dossier.file("f.pts"), nuageEllipsoide(300, 3, 2, 1)));
        const QString pts = QString::fromStdString(dossier.file("f.pts"));
        Repondeur r;
        MainWindow w(nullptr, pts);
        QVERIFY(w.creerNewSubWindow(pts));
        w.show();
        const QList<QMdiSubWindow *> fenetres = w.findChild<QMdiArea *>()->subWindowList(QMdiArea::CreationOrder);
        QVERIFY(fenetres[1]->close() && r.boites.isEmpty());
        w.findChild<QAction *>("actionPlacer_autour_du_nuage")->trigger();
        QTRY_VERIFY(fenetres[0]->isWindowModified());
        QVERIFY(w.getActiveSubWin()->ExportMaillageWithLoading(QString::fromStdString(dossier.file("f.smm"))));
        QTRY_VERIFY(!fenetres[0]->isWindowModified());
        w.findChild<QAction *>("actionAgrandir")->trigger();
        r.bouton(QMessageBox::Cancel);
        QVERIFY(!w.close());
        QVERIFY(w.isVisible() && fenetres[0]->isVisible());
        r.bouton(QMessageBox::Discard);
        w.findChild<QAction *>("actionFermer_Quolvex")->trigger();
        QVERIFY(!w.isVisible());
        QCOMPARE(r.boites.size(), 2);
        QVERIFY(r.boites[0].texte.contains("« f »") && r.imprevus == 0);
    }

    // A refused file changes nothing in the document: the volume's cloud in millimetres, its tree,
    // its frame and points stay through refused clouds, the mesh and its name through refused
    // meshes. A cloud cut short is accepted with the points read.
    void refusSansPerte()
    {
        Nifti f(8, 8, 8, 1, 4, 16);
        const double sform[3][4] = {{2, 0, 0, 1}, {0, 1, 0, -3}, {0, 0, 1, 7}};
        f.sform(sform);
        for (int k = 0; k < 8; ++k)
            for (int j = 0; j < 8; ++j)
                for (int i = 0; i < 8; ++i)
                    f.ajouter<std::int16_t>(std::hypot(i - 4, j - 4, k - 4) < 3 ? 800 : 0);
        const std::string volume = dossier.file("petite.nii"), sansImage = dossier.file("sans.hdr"),
                          entete = dossier.file("entete.pts"), vide = dossier.file("vide.pts"),
                          smm = dossier.file("faux.smm"), off = dossier.file("sansface.off"),
                          court = dossier.file("court.pts");
        QVERIFY(writeFile(volume, f.o) && writeFile(entete, "XYZ\n3\n1 2 3\n") && writeFile(vide, "PTS\n4\n") &&
                writeFile(smm, "OFX\n") && writeFile(off, "OFF\n3 0 0\n0 0 0\n1 0 0\n0 1 0\n") &&
                writeFile(court, "PTS\n5\n0 0 0\n1 1 1\n"));
        GLWidget v(QString(), QString::fromLatin1(defauts::gabarit));
        v.setVolumeSetting(true, true, 0);
        QVERIFY(v.setPTS(QString::fromStdString(volume)));
        const std::vector<point3> nuage = v.instanceMaillage->ListePointsInterets, points = v.pointsVolume;
        const QString nom = v.nomPts, repere = v.repereVolume, maillage = v.nomSimplex;
        const std::vector<point3> sommets = positions(v.instanceSimplex->ListePointsSimplex);
        QVERIFY(nuage.size() > 50 && points == nuage && repere == QString("millimètres (sform)"));
        std::vector<std::string> refuses{sansImage, entete, vide};
        const std::string avg152 = TARNIS_SOURCE_DIR "/../shared/data/volumes/spm99/avg152T1.hdr";
        if (std::filesystem::exists(avg152)) // its values keep no voxel in the default window
            refuses.push_back(avg152);
        for (const std::string &refuse : refuses) {
            QVERIFY(!v.setPTS(QString::fromStdString(refuse)) && !v.derniereErreur().isEmpty());
            QVERIFY2(v.instanceMaillage->ListePointsInterets == nuage, refuse.c_str());
            QCOMPARE(kd_size(v.instanceMaillage->kd.get()), nuage.size());
            QVERIFY(v.pointsVolume == points && v.fichierVolume == volume && v.volumeEnMillimetres);
            QCOMPARE(v.nomPts, nom);
            QCOMPARE(v.repereVolume, repere);
        }
        for (const std::string &refuse : {smm, off}) {
            QVERIFY(!v.setMaillage(QString::fromStdString(refuse)) && !v.derniereErreur().isEmpty());
            QVERIFY2(positions(v.instanceSimplex->ListePointsSimplex) == sommets, refuse.c_str());
            QVERIFY(v.instanceSimplex->maillageOrigine.listeSommets.empty());
            QCOMPARE(v.nomSimplex, maillage);
            QCOMPARE(v.modeDisplayMaille, 1);
        }
        QVERIFY(!v.setPTS(QString::fromStdString(court)) && v.derniereErreur().endsWith("les 2 points lus sont ouverts"));
        QVERIFY((v.instanceMaillage->ListePointsInterets == std::vector<point3>{{0, 0, 0}, {1, 1, 1}}));
        QVERIFY(v.fichierVolume.empty() && v.pointsVolume.empty());
    }

    // Files dropped on the window open as File -> Open opens them; a drag of files the opener
    // does not know is not taken.
    void deposerOuvreCommeOuvrir()
    {
        const std::string stl = dossier.file("tetra.stl"), pts = dossier.file("tetra.pts");
        const std::vector<point3> sommets{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        QVERIFY(Maillage(sommets, {{0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {2, 3, 0}}).ecrireSTL(stl).reussi());
        QVERIFY(writeFile(pts, "PTS\n4\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n") && writeFile(dossier.file("a.doc"), "x"));
        MainWindow w(nullptr, QString());
        QMdiArea *zone = w.findChild<QMdiArea *>();
        auto deposer = [&](const std::vector<std::string> &fichiers) {
            QMimeData donnees;
            QList<QUrl> urls;
            for (const std::string &f : fichiers)
                urls << QUrl::fromLocalFile(QString::fromStdString(f));
            donnees.setUrls(urls);
            QDragEnterEvent entree(QPoint(5, 5), Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&w, &entree);
            QDropEvent depot(QPointF(5, 5), Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
            if (entree.isAccepted())
                QCoreApplication::sendEvent(&w, &depot);
            return entree.isAccepted();
        };
        QVERIFY(!deposer({dossier.file("a.doc")}));
        QVERIFY(deposer({dossier.file("a.doc"), stl, pts}));
        const QList<QMdiSubWindow *> fenetres = zone->subWindowList(QMdiArea::CreationOrder);
        QCOMPARE(fenetres.size(), 2);
        const GLWidget *maillage = qobject_cast<GLWidget *>(fenetres[0]->widget());
        QVERIFY(maillage->instanceSimplex->maillageOrigine.listeSommets == sommets);
        QCOMPARE(maillage->instanceSimplex->maillageOrigine.listeFaces.size(), 4u);
        QVERIFY(qobject_cast<GLWidget *>(fenetres[1]->widget())->instanceMaillage->ListePointsInterets == sommets);
    }
};

TARNIS_QTEST_MAIN(TestApplication)
#include "test_application.moc"
