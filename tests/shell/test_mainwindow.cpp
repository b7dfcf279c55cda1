// The main window and its documents: new windows, opening each kind of file
// (start-up argument and "&Ouvrir"), the enabling rules, the object list, the
// shared slice controls, the "Fenetre" menu, tabs and closing.

#include <QAction>
#include <QDockWidget>
#include <QMenuBar>
#include <QGroupBox>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "glwidget.h"
#include "mainwindow.h"
#include "repondeur.h"

using namespace fenetre;

namespace {

QAction *action(MainWindow &w, const char *nom)
{
    QAction *a = w.findChild<QAction *>(nom);
    if (a == nullptr)
        qFatal("no action %s", nom);
    return a;
}

QStringList lignesDiagnostic;

void capturer(QtMsgType type, const QMessageLogContext &, const QString &m)
{
    if (type == QtWarningMsg)
        lignesDiagnostic << m;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir dossier;
    QString pts, offFichier, objFichier, smm;

private slots:
    void initTestCase()
    {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        QVERIFY(dossier.isValid());
        QVERIFY2(QFile::exists("SMM_/icosa.smm"), "the tests run from the runnable tree");
        pts = dossier.filePath("nuage.pts");
        offFichier = dossier.filePath("octa.off");
        objFichier = dossier.filePath("octa.obj");
        smm = dossier.filePath("gabarit.smm");
        QVERIFY(donnees::ecrirePTS(pts, 500));
        QVERIFY(donnees::ecrireOctaedreOFF(offFichier));
        QVERIFY(donnees::ecrireOctaedreOBJ(objFichier));
        QVERIFY(QFile::copy("SMM_/icosa.smm", smm));
    }

    void fenetre()
    {
        MainWindow w;
        QCOMPARE(w.windowTitle(), QString("Tarnis"));
        QVERIFY(!w.windowIcon().isNull());
        QCOMPARE(w.findChild<QDockWidget *>("dockOutils")->windowTitle(), QString("Outils"));
        QStringList menus;
        for (QAction *a : w.menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, QStringList({"Fichier", "Edition", "Maillage", "Affichage", "Aide"}));
        // Items and separators of the file menu, in order.
        QStringList fichier;
        for (QAction *a : w.findChild<QMenu *>("menuFichier")->actions())
            fichier << (a->isSeparator() ? QString("-") : a->text());
        QCOMPARE(fichier, QStringList({"Nouvelle fenetre", "&Ouvrir", "-", "Exporter le maillage",
                                       "Exporter le nuage de points", "Importer", "-",
                                       "Fermer la fenetre courante", "-", "Fermer Tarnis"}));
        QCOMPARE(action(w, "actionRaffinage_T26_2")->shortcut(), QKeySequence(":"));
        QCOMPARE(action(w, "actionZoom")->shortcut(), QKeySequence("Ctrl++"));
        QVERIFY(action(w, "actionFillaire")->isChecked());
        QVERIFY(!action(w, "actionTriangle")->isEnabled());
        // Every action carries an icon.
        for (QAction *a : w.findChildren<QAction *>())
            if (a->objectName().startsWith("action"))
                QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
    }

    // Numbers of empty windows only grow, even when one is closed.
    void nouvellesFenetres()
    {
        MainWindow w;
        QVERIFY(activer(w));
        for (int i = 0; i < 3; ++i)
            action(w, "actionNouveau")->trigger();
        QList<QMdiSubWindow *> f = documents(w);
        QCOMPARE(f.size(), 3);
        QCOMPARE(f[0]->windowTitle(), QString("New (1)"));
        QCOMPARE(f[1]->windowTitle(), QString("New (2)"));
        QCOMPARE(f[2]->windowTitle(), QString("New (3)"));
        QCOMPARE(vue(f[2])->getNbPts(), 0);
        QCOMPARE(vue(f[2])->getNbPtSimplex(), 0);

        f[1]->close();
        QTRY_COMPARE(documents(w).size(), 2);
        action(w, "actionNouveau")->trigger();
        QCOMPARE(documents(w).last()->windowTitle(), QString("New (4)"));
        // The window menu follows: one entry per window, the last one checked.
        QTRY_COMPARE(w.findChild<QMenu *>("menuVue")->actions().size(), 3);
        QStringList entrees;
        for (QAction *a : w.findChild<QMenu *>("menuVue")->actions())
            entrees << a->text() + (a->isChecked() ? "*" : "");
        QCOMPARE(entrees, QStringList({"New (1)", "New (3)", "New (4)*"}));
    }

    void ouvertureAuDemarrage_data()
    {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QStringList>("objets");
        QTest::addColumn<int>("nbPts");
        QTest::addColumn<int>("nbSimplex");
        QTest::addColumn<int>("mode");
        QTest::newRow("pts") << "nuage.pts" << "nuage" << QStringList({"nuage", "icosa"}) << 500 << 320 << 1;
        QTest::newRow("smm") << "gabarit.smm" << "gabarit" << QStringList({"gabarit"}) << 0 << 320 << 1;
        QTest::newRow("off") << "octa.off" << "octa" << QStringList({"octa"}) << 0 << 0 << 3;
        QTest::newRow("obj") << "octa.obj" << "octa" << QStringList({"octa"}) << 0 << 0 << 3;
        QTest::newRow("unknown") << "nuage.xyz" << "" << QStringList() << 0 << 0 << 0;
        QTest::newRow("upper case") << "NUAGE.PTS" << "" << QStringList() << 0 << 0 << 0;
    }

    void ouvertureAuDemarrage()
    {
        QFETCH(QString, fichier);
        QFETCH(QString, titre);
        QFETCH(QStringList, objets);
        QFETCH(int, nbPts);
        QFETCH(int, nbSimplex);
        QFETCH(int, mode);
        Repondeur r;
        MainWindow w(nullptr, dossier.filePath(fichier));
        QCOMPARE(r.boites.size(), 0);
        QList<QMdiSubWindow *> f = documents(w);
        if (titre.isEmpty()) {
            QCOMPARE(f.size(), 0);
            QVERIFY(!action(w, "actionFermerVolume3D")->isEnabled());
            return;
        }
        QCOMPARE(f.size(), 1);
        QCOMPARE(f[0]->windowTitle(), titre);
        QCOMPARE(fenetre::objets(w), objets);
        QCOMPARE(vue(f[0])->getNbPts(), nbPts);
        if (nbSimplex > 0)
            QCOMPARE(vue(f[0])->getNbPtSimplex(), nbSimplex);
        QCOMPARE(vue(f[0])->modeDisplayMaille, mode);
    }

    void ouvertureVolume()
    {
        const QString d = donnees::dossierDonneesPartagees();
        if (d.isEmpty())
            QSKIP("third-party data absent");
        const QString hdr = d + "/volumes/spm99/brainmask.hdr";
        if (!QFile::exists(hdr))
            QSKIP("brainmask volume absent");
        Repondeur r;
        MainWindow w(nullptr, hdr);
        QCOMPARE(r.boites.size(), 0);
        QCOMPARE(documents(w).size(), 1);
        GLWidget *v = vue(documents(w)[0]);
        QCOMPARE(documents(w)[0]->windowTitle(), QString("brainmask"));
        QCOMPARE(v->suffixePts, QString("hdr"));
        QCOMPARE(v->getCurentPtsName(), d + "/volumes/spm99/brainmask");
        QCOMPARE(fenetre::objets(w), QStringList({"brainmask", "icosa"}));
    }

    // "&Ouvrir" with an OFF file shows the triangles: Point and Filaire are
    // disabled, Triangle enabled and checked, "Creer un maillage simplex"
    // enabled; an OBJ file does the same, a PTS file opens a cloud.
    void ouvertureParLeMenu()
    {
        MainWindow w;
        QVERIFY(activer(w));
        Repondeur r;
        r.fichier(offFichier);
        action(w, "actionOuvrir")->trigger();
        QCOMPARE(r.enAttente(), 0);
        QCOMPARE(documents(w).size(), 1);
        QVERIFY(!action(w, "actionPoint")->isEnabled());
        QVERIFY(!action(w, "actionFillaire")->isEnabled());
        QVERIFY(action(w, "actionTriangle")->isEnabled());
        QVERIFY(action(w, "actionTriangle")->isChecked());
        QVERIFY(!action(w, "actionFillaire")->isChecked());
        QCOMPARE(vue(documents(w)[0])->modeDisplayMaille, 3);
        QVERIFY(activer(w));
        QVERIFY(pret(w, action(w, "actionCreer_un_maillage_simplex")));

        r.fichier(objFichier);
        action(w, "actionOuvrir")->trigger();
        QCOMPARE(documents(w).size(), 2);
        QVERIFY(action(w, "actionTriangle")->isChecked());
        QCOMPARE(vue(documents(w)[1])->modeDisplayMaille, 3);
        QVERIFY(activer(w));
        w.checkMenu();
        QVERIFY(!action(w, "actionCreer_un_maillage_simplex")->isEnabled());

        r.fichier(pts);
        action(w, "actionOuvrir")->trigger();
        QCOMPARE(documents(w).size(), 3);
        QCOMPARE(vue(documents(w)[2])->getNbPts(), 500);
        // Point and Filaire stay disabled once a triangle mesh was opened.
        QVERIFY(!action(w, "actionPoint")->isEnabled());

        // A cancelled dialog opens nothing.
        r.fichier(QString());
        action(w, "actionOuvrir")->trigger();
        QCOMPARE(documents(w).size(), 3);
        QCOMPARE(r.imprevus, 0);
    }

    // A file that cannot be read still gets its window, and the user is told
    // which file failed and why.
    void chargementEchoue()
    {
        const QString mauvais = dossier.filePath("mauvais.pts");
        QVERIFY(donnees::ecrireTexte(mauvais, "XYZ\n3\n1 2 3\n"));
        Repondeur r;
        r.bouton(QMessageBox::Ok);
        MainWindow w(nullptr, mauvais);
        QCOMPARE(r.boites.size(), 1);
        QCOMPARE(r.boites[0].titre, QString("Chargement"));
        QCOMPARE(r.boites[0].icone, QMessageBox::Warning);
        QVERIFY2(r.boites[0].texte.contains(mauvais), qPrintable(r.boites[0].texte));
        QCOMPARE(documents(w).size(), 1);
        QCOMPARE(vue(documents(w)[0])->getNbPts(), 0);

        r.bouton(QMessageBox::Ok);
        MainWindow w2(nullptr, dossier.filePath("absent.smm"));
        QCOMPARE(r.boites.size(), 2);
        QVERIFY(r.boites[1].texte.contains("absent.smm"));
        QCOMPARE(r.imprevus, 0);
    }

    void checkMenu_data()
    {
        QTest::addColumn<QString>("cas");
        QTest::newRow("no window") << "aucune";
        QTest::newRow("mesh only") << "maillage";
        QTest::newRow("cloud only") << "nuage";
        QTest::newRow("both") << "deux";
    }

    void checkMenu()
    {
        QFETCH(QString, cas);
        MainWindow w;
        QVERIFY(activer(w));
        Repondeur r;
        if (cas == "maillage") {
            w.creerNewSubWindow(QString(), smm);
        } else if (cas == "deux") {
            w.creerNewSubWindow(pts);
        } else if (cas == "nuage") {
            // An empty window given a cloud through "Importer": no mesh at all.
            action(w, "actionNouveau")->trigger();
            QVERIFY(activer(w));
            w.checkMenu();
            r.fichier(pts);
            action(w, "actionNouveau_nuage_de_points")->trigger();
            QCOMPARE(r.enAttente(), 0);
        }
        QVERIFY(activer(w));
        // The rule under test only: the "Deformation automatisee" state is
        // kept when the document lacks a mesh or a cloud.
        action(w, "actionDeformation_automatis")->setEnabled(true);
        w.checkMenu();

        const bool doc = cas != "aucune";
        const bool S = cas == "maillage" || cas == "deux";
        const bool P = cas == "nuage" || cas == "deux";
        for (const char *n : {"actionFermerVolume3D", "actionVue_par_onglets", "actionZoom", "actionZoom_2",
                              "actionConserver_les_proportions"})
            QVERIFY2(action(w, n)->isEnabled() == doc, n);
        QCOMPARE(w.findChild<QMenu *>("menuImporter")->menuAction()->isEnabled(), doc);
        QCOMPARE(w.findChild<QMenu *>("menuVue")->menuAction()->isEnabled(), doc);
        for (const char *n : {"actionExporter_le_maillage", "actionAgrandir", "actionRetrecir", "actionRaffinage_T26",
                              "actionRaffinage_T26_2", "actionRaffinage_T22", "actionRaffinage_T22_2",
                              "actionTrianguler", "actionReset", "actionCr_er_un_nuage_de_point"})
            QVERIFY2(action(w, n)->isEnabled() == S, n);
        QCOMPARE(w.findChild<QMenu *>("menuMode_d_affichage")->menuAction()->isEnabled(), S);
        QCOMPARE(action(w, "actionExporter_le_nuage_de_point")->isEnabled(), P);
        QCOMPARE(action(w, "actionAfficher_les_points_d_interets")->isEnabled(), P);
        QCOMPARE(action(w, "actionCentrer_en_z_ro")->isEnabled(), S && P);
        QCOMPARE(action(w, "actionDeformer_le_maillage")->isEnabled(), S && P);
        // Disabled with no document, enabled with both, otherwise left as it was.
        QCOMPARE(action(w, "actionDeformation_automatis")->isEnabled(), doc);
        // Left alone with no document; otherwise enabled for an OFF mesh only.
        QCOMPARE(action(w, "actionCreer_un_maillage_simplex")->isEnabled(), !doc);
        QCOMPARE(r.imprevus, 0);
    }

    // Entry 0 of the object list is the mesh, entry 1 the cloud: selecting
    // one chooses what the keys move.
    void objetSelectionne()
    {
        MainWindow w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(pts);
        QVERIFY(activer(w));
        QMdiSubWindow *f = documents(w)[0];
        w.loadCurrentObjectsNames(f);
        QCOMPARE(fenetre::objets(w), QStringList({"icosa", "nuage"}));
        auto *liste = w.findChild<QListWidget *>("listWidget");
        lignesDiagnostic.clear();
        QtMessageHandler ancien = qInstallMessageHandler(capturer);
        QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, liste->visualItemRect(liste->item(1)).center());
        QVERIFY(!vue(f)->deplaceSimplex);
        QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, liste->visualItemRect(liste->item(0)).center());
        qInstallMessageHandler(ancien);
        QVERIFY(vue(f)->deplaceSimplex);
        QVERIFY(lignesDiagnostic.contains("changeCurrentObjectSelected"));
    }

    // The slice controls are shared: they act on every open view.
    void tranchesPartagees()
    {
        MainWindow w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(pts);
        w.creerNewSubWindow(pts);
        GLWidget *a = vue(documents(w)[0]);
        GLWidget *b = vue(documents(w)[1]);
        auto *tranche = w.findChild<QSlider *>("SliderTrancheCoupe");
        auto *coord = w.findChild<QSlider *>("Slider_Coord");
        auto *spin = w.findChild<QSpinBox *>("spinBox");

        tranche->setValue(12);
        QCOMPARE(a->tailleTrancheCoupe, 12);
        QCOMPARE(b->tailleTrancheCoupe, 12);
        spin->setValue(-37);
        QCOMPARE(a->coordCoupe, -37);
        QCOMPARE(b->coordCoupe, -37);
        QCOMPARE(coord->value(), -37);
        // Dragging the coordinate slider sets the spin box, hence the views.
        coord->setSliderDown(true);
        coord->setSliderPosition(80);
        coord->setSliderDown(false);
        QCOMPARE(spin->value(), 80);
        QCOMPARE(a->coordCoupe, 80);
        QCOMPARE(b->coordCoupe, 80);

        // The slice group chooses the axis of the active view only.
        QVERIFY(activer(w));
        auto *groupe = w.findChild<QGroupBox *>("groupBoxAfficheCoupe");
        QTest::mouseClick(groupe, Qt::LeftButton, {}, QPoint(10, 8));
        QVERIFY(groupe->isChecked());
        QCOMPARE(b->coupe, 1);
        QCOMPARE(a->coupe, 0);
        QVERIFY(w.findChild<QRadioButton *>("radioButtonCoupeX")->isChecked());
        QTest::mouseClick(w.findChild<QRadioButton *>("radioButtonCoupeZ"), Qt::LeftButton);
        QCOMPARE(b->coupe, 3);
        QTest::mouseClick(groupe, Qt::LeftButton, {}, QPoint(10, 8));
        QVERIFY(!groupe->isChecked());
        QCOMPARE(b->coupe, 0);
    }

    // Choosing an entry of "Fenetre" activates exactly that window.
    void menuFenetre()
    {
        MainWindow w;
        QVERIFY(activer(w));
        for (int i = 0; i < 3; ++i)
            action(w, "actionNouveau")->trigger();
        QMenu *menu = w.findChild<QMenu *>("menuVue");
        QCOMPARE(menu->actions().size(), 3);
        auto *zone = w.findChild<QMdiArea *>("mdiArea");
        QCOMPARE(zone->currentSubWindow(), documents(w)[2]);
        menu->actions()[0]->trigger();
        QCOMPARE(zone->currentSubWindow(), documents(w)[0]);
        QVERIFY(menu->actions()[0]->isChecked());
        QVERIFY(!menu->actions()[1]->isChecked());
        QVERIFY(!menu->actions()[2]->isChecked());
        menu->actions()[1]->trigger();
        QCOMPARE(zone->currentSubWindow(), documents(w)[1]);
        QVERIFY(!menu->actions()[0]->isChecked());
    }

    void parOnglets()
    {
        MainWindow w;
        QVERIFY(activer(w));
        action(w, "actionNouveau")->trigger();
        QVERIFY(activer(w));
        QVERIFY(pret(w, action(w, "actionVue_par_onglets")));
        auto *zone = w.findChild<QMdiArea *>("mdiArea");
        action(w, "actionVue_par_onglets")->trigger();
        QCOMPARE(zone->viewMode(), QMdiArea::TabbedView);
        QVERIFY(!w.findChild<QMenu *>("menuVue")->menuAction()->isEnabled());
        action(w, "actionVue_par_onglets")->trigger();
        QCOMPARE(zone->viewMode(), QMdiArea::SubWindowView);
        QVERIFY(w.findChild<QMenu *>("menuVue")->menuAction()->isEnabled());
    }

    // Each "A propos de Tarnis" opens a new About window; its button closes it.
    void aPropos()
    {
        MainWindow w;
        QVERIFY(activer(w));
        auto fenetresAPropos = []() {
            QList<QWidget *> l;
            for (QWidget *t : QApplication::topLevelWidgets())
                if (t->inherits("FenAbout") && t->isVisible())
                    l << t;
            return l;
        };
        action(w, "actionA_propos_de_Quolvex")->trigger();
        action(w, "actionA_propos_de_Quolvex")->trigger();
        QCOMPARE(fenetresAPropos().size(), 2);
        QWidget *a = fenetresAPropos()[0];
        QCOMPARE(a->windowTitle(), QString("About"));
        QCOMPARE(a->size(), QSize(520, 440));
        auto *texte = a->findChild<QTextEdit *>("textEdit");
        QVERIFY(texte->isReadOnly());
        QVERIFY(texte->toPlainText().contains(QString::fromUtf8(
            "Tarnis est un logiciel multiplateforme accessible aux non-spécialistes permettant de visualiser "
            "et d'exploiter des volumes 3D.")));
        auto *bouton = a->findChild<QPushButton *>("pushButton");
        QVERIFY(bouton->isFlat());
        QVERIFY(!bouton->icon().isNull());
        QTest::mouseClick(bouton, Qt::LeftButton);
        QTRY_COMPARE(fenetresAPropos().size(), 1);
    }

    // A failure during the continuous deformation (reported by the view from
    // inside a repaint) stops the loop, unchecks the action and tells the user.
    void echecDeLaDeformationEnBoucle()
    {
        MainWindow w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(pts);
        QVERIFY(activer(w));
        GLWidget *v = w.getActiveSubWin();
        QVERIFY(pret(w, action(w, "actionDeformer_le_maillage")));
        action(w, "actionDeformer_le_maillage")->trigger();
        QVERIFY(v->boucleDeform);
        Repondeur r;
        r.bouton(QMessageBox::Ok);
        emit v->operationEchouee("raison de l'essai");
        QTRY_COMPARE(r.boites.size(), 1);
        QVERIFY(r.boites[0].texte.contains("raison de l'essai"));
        QVERIFY(!v->boucleDeform);
        QVERIFY(!action(w, "actionDeformer_le_maillage")->isChecked());

        // Failures of operations that return their status are not repeated.
        emit v->operationEchouee("autre");
        QTest::qWait(100);
        QCOMPARE(r.boites.size(), 1);
        QCOMPARE(r.imprevus, 0);
    }

    void fermeture()
    {
        MainWindow w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(pts);
        action(w, "actionNouveau")->trigger();
        QPointer<GLWidget> v = vue(documents(w)[0]);
        QVERIFY(activer(w));
        QVERIFY(pret(w, action(w, "actionFermerVolume3D")));
        action(w, "actionFermerVolume3D")->trigger();
        QTRY_COMPARE(documents(w).size(), 1);
        QVERIFY(!v.isNull()); // the active (second) window went first
        action(w, "actionFermer_Quolvex")->trigger();
        QTRY_VERIFY(v.isNull());
        QCOMPARE(documents(w).size(), 0);
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
