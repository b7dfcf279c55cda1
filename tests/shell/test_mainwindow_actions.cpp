// Menu actions of the main window on the active document: the refinement
// guard, the preferences handed to the active view only, the exports and
// their names, the conversions, the display-mode group, the continuous
// deformation, and the box shown when an action fails.

#include <QAction>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

#include "SimplexGL.h"
#include "glwidget.h"
#include "mainwindow.h"
#include "repondeur.h"
#include "settingwindow.h"

using namespace fenetre;

namespace {

QAction *action(MainWindow &w, const char *nom)
{
    QAction *a = w.findChild<QAction *>(nom);
    if (a == nullptr)
        qFatal("no action %s", nom);
    return a;
}

// Triggers an action once the enabling rules (run 100 ms after a new
// window) have enabled it.
bool declencher(MainWindow &w, const char *nom)
{
    QAction *a = action(w, nom);
    if (!pret(w, a))
        return false;
    a->trigger();
    return true;
}

QString etiquette(MainWindow &w, const char *nom)
{
    return w.findChild<QLabel *>(nom)->text();
}

QStringList lignesDiagnostic;

void capturer(QtMsgType type, const QMessageLogContext &, const QString &m)
{
    if (type == QtWarningMsg)
        lignesDiagnostic << m;
}

// Gives the tests the guard every action runs in.
class FenetreEssai : public MainWindow
{
public:
    using MainWindow::MainWindow;
    using MainWindow::proteger;
};

const QString texteGarde = QString::fromUtf8(
    "Attention ! Le maillage simplex comporte plus de points qu'il n'y a de points d'interet.\n"
    " Effectuer l'operation demandé pourais faire planter l'application, il est recommandé d'exporter votre "
    "travail.\n Etes vous sur de vouloir continuer ?");

} // namespace

class TestMainWindowActions : public QObject
{
    Q_OBJECT

    QTemporaryDir dossier;
    QString petitNuage, grandNuage, offFichier;

private slots:
    void initTestCase()
    {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        QVERIFY(dossier.isValid());
        QVERIFY2(QFile::exists("SMM_/icosa.smm"), "the tests run from the runnable tree");
        petitNuage = dossier.filePath("petit.pts");
        grandNuage = dossier.filePath("grand.pts");
        offFichier = dossier.filePath("octa.off");
        QVERIFY(donnees::ecrirePTS(petitNuage, 100)); // fewer points than the 320 of the template
        QVERIFY(donnees::ecrirePTS(grandNuage, 2000));
        QVERIFY(donnees::ecrireOctaedreOFF(offFichier));
    }

    // More simplex points than cloud points: every manual refinement asks
    // first; No leaves the mesh as it was and still refreshes the counts.
    void gardeDesRaffinages()
    {
        MainWindow w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(petitNuage);
        QVERIFY(activer(w));
        GLWidget *v = getActive(w);
        QCOMPARE(v->getNbPtSimplex(), 320);
        w.findChild<QLabel *>("label_NbPtSimplex")->clear();

        Repondeur r;
        r.bouton(QMessageBox::No);
        QVERIFY(declencher(w, "actionRaffinage_T26"));
        QCOMPARE(r.boites.size(), 1);
        QCOMPARE(r.boites[0].titre, QString("Demande de confirmation"));
        QCOMPARE(r.boites[0].texte, texteGarde);
        QCOMPARE(v->getNbPtSimplex(), 320);
        QVERIFY(activer(w));
        QCOMPARE(etiquette(w, "label_NbPtSimplex"), QString("320"));
        QCOMPARE(etiquette(w, "label_NbPTS"), QString("100"));

        for (const char *n : {"actionRaffinage_T26_2", "actionRaffinage_T22", "actionRaffinage_T22_2"}) {
            r.bouton(QMessageBox::No);
            QVERIFY(declencher(w, n));
            QCOMPARE(r.enAttente(), 0);
        }
        QCOMPARE(r.boites.size(), 4);
        QCOMPARE(v->getNbPtSimplex(), 320);

        // Yes: the global T26 step runs and the counts follow.
        r.bouton(QMessageBox::Yes);
        QVERIFY(declencher(w, "actionRaffinage_T26"));
        QCOMPARE(r.boites.size(), 5);
        QVERIFY(v->getNbPtSimplex() > 320);
        QVERIFY(activer(w));
        QCOMPARE(etiquette(w, "label_NbPtSimplex"), QString::number(v->getNbPtSimplex()));
        QCOMPARE(r.imprevus, 0);
    }

    void sansGardeQuandLeNuageEstPlusGrand()
    {
        MainWindow w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(grandNuage);
        QVERIFY(activer(w));
        Repondeur r;
        QVERIFY(declencher(w, "actionRaffinage_T26"));
        QCOMPARE(r.imprevus, 0);
        QVERIFY(getActive(w)->getNbPtSimplex() > 320);
    }

    // The preferences reach the view that is active when "Fermer" is pressed,
    // and only that one; closing the window otherwise hands nothing over.
    void preferences()
    {
        MainWindow w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(grandNuage);
        w.creerNewSubWindow(grandNuage);
        GLWidget *autre = vue(documents(w)[0]);
        GLWidget *active = vue(documents(w)[1]);
        QVERIFY(activer(w));
        QCOMPARE(getActive(w), active);

        SettingWindow *s = w.getSettingWindow();
        action(w, "actionPreference")->trigger();
        QVERIFY(s->isVisible());
        s->seuilMinimumSpinBox->setValue(100);
        s->seuilMaximumSpinBox->setValue(200);
        s->nombreDePointsMinimumSpinBox->setValue(3);
        s->nombreDePointsMaximumSpinBox->setValue(4000);
        s->forceInterneDoubleSpinBox->setValue(2.5);
        s->forceExterneDoubleSpinBox->setValue(0.3);
        s->forceDeRetenueDoubleSpinBox->setValue(0.2);
        s->rigiditDuMaillageSpinBox->setValue(5);
        s->angleDuCNeDoubleSpinBox->setValue(60);
        s->tailleDuCNeDoubleSpinBox->setValue(500);

        // Dismissed with the window's own close: nothing reaches the view.
        s->close();
        QCOMPARE(active->deformSetting.alpha, 1.0f);

        action(w, "actionPreference")->trigger();
        QVERIFY(activer(w));
        lignesDiagnostic.clear();
        QtMessageHandler ancien = qInstallMessageHandler(capturer);
        QMetaObject::invokeMethod(s->pushButton_3, "click");
        qInstallMessageHandler(ancien);
        QVERIFY(!s->isVisible());
        QVERIFY(lignesDiagnostic.contains("settingPreferred"));

        QCOMPARE(active->hdrSetting.seuilMin, 100);
        QCOMPARE(active->hdrSetting.seuilMax, 200);
        QCOMPARE(active->hdrSetting.min, 3);
        QCOMPARE(active->hdrSetting.max, 4000);
        QCOMPARE(active->deformSetting.alpha, 2.5f);
        QCOMPARE(active->deformSetting.beta, 0.3f);
        QCOMPARE(active->deformSetting.gamma, 0.2f);
        QCOMPARE(active->deformSetting.rigid, 5);
        QCOMPARE(active->instanceSimplex->AngleCone, 30.0);
        QCOMPARE(active->instanceSimplex->RayonCone, 500.0);

        QCOMPARE(autre->hdrSetting.seuilMin, 150);
        QCOMPARE(autre->hdrSetting.max, 1000);
        QCOMPARE(autre->deformSetting.alpha, 1.0f);
        QCOMPARE(autre->deformSetting.rigid, 2);
        QCOMPARE(autre->instanceSimplex->AngleCone, 45.0);
        QCOMPARE(autre->instanceSimplex->RayonCone, 2000.0);

        // A view opened later starts from the view's own defaults.
        w.creerNewSubWindow(grandNuage);
        QCOMPARE(getActive(w)->deformSetting.alpha, 1.0f);
    }

    // The continuous deformation follows the action, with the cone flag of
    // the preferences.
    void deformationEnBoucle()
    {
        MainWindow w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(grandNuage);
        QVERIFY(activer(w));
        GLWidget *v = getActive(w);
        w.getSettingWindow()->checkBoxConeDeVision->setChecked(true);
        QVERIFY(declencher(w, "actionDeformer_le_maillage"));
        QVERIFY(v->boucleDeform);
        QVERIFY(v->cone);
        action(w, "actionDeformer_le_maillage")->trigger();
        QVERIFY(!v->boucleDeform);
        QVERIFY(!v->cone);
    }

    void exportations_data()
    {
        QTest::addColumn<QString>("saisi");
        QTest::addColumn<QString>("filtre");
        QTest::addColumn<QString>("ecrit");
        QTest::addColumn<QByteArray>("debut");
        // The filter's ending is added only when the name lacks it.
        QTest::newRow("name with ending") << "scan.smm" << "SMM(*.smm)" << "scan.smm" << QByteArray("SMM");
        QTest::newRow("bare name") << "nu" << "SMM(*.smm)" << "nu.smm" << QByteArray("SMM");
        QTest::newRow("other ending") << "scan.smm" << "OFF(*.off)" << "scan.smm.off" << QByteArray("OFF");
        QTest::newRow("obj") << "tri.obj" << "OBJ(*.obj)" << "tri.obj" << QByteArray("#");
    }

    void exportations()
    {
        QFETCH(QString, saisi);
        QFETCH(QString, filtre);
        QFETCH(QString, ecrit);
        QFETCH(QByteArray, debut);
        QTemporaryDir sortie;
        MainWindow w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(grandNuage);
        QVERIFY(activer(w));
        Repondeur r;
        r.fichier(sortie.filePath(saisi), filtre);
        r.bouton(QMessageBox::Ok);
        QVERIFY(declencher(w, "actionExporter_le_maillage"));
        QCOMPARE(r.enAttente(), 0);
        QCOMPARE(r.boites.size(), 1);
        QCOMPARE(r.boites[0].titre, QString("Exportation"));
        QCOMPARE(r.boites[0].texte, QString::fromUtf8("L'exportation s'est terminée avec succès"));
        QCOMPARE(QDir(sortie.path()).entryList(QDir::Files), QStringList({ecrit}));
        QFile f(sortie.filePath(ecrit));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().startsWith(debut));
    }

    // A write that fails is reported as such, with the name and the reason.
    void exportationEchouee()
    {
        QTemporaryDir sortie;
        MainWindow w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(grandNuage);
        QVERIFY(activer(w));
        const QString impossible = sortie.filePath("absent/dossier/scan.smm");
        Repondeur r;
        // The non-native dialog refuses a missing folder, so the name is
        // handed over the way a native dialog would return it.
        QVERIFY(!getActive(w)->ExportMaillageWithLoading(impossible));
        r.fichier(sortie.filePath("c.pts"), "PTS(*.pts)");
        r.bouton(QMessageBox::Ok);
        QVERIFY(declencher(w, "actionExporter_le_nuage_de_point"));
        QCOMPARE(r.boites.size(), 1);
        QCOMPARE(r.boites[0].texte, QString::fromUtf8("L'exportation s'est terminée avec succès"));
        QFile f(sortie.filePath("c.pts"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readLine().startsWith("PTS"));
        QCOMPARE(f.readLine().trimmed(), QByteArray("2000"));
        f.close();

        // A file in the way of the name: the writer cannot create it.
        QVERIFY(QDir(sortie.path()).mkdir("occupe.smm"));
        r.fichier(sortie.filePath("occupe"), "SMM(*.smm)");
        r.bouton(QMessageBox::Ok);
        QVERIFY(declencher(w, "actionExporter_le_maillage"));
        QCOMPARE(r.enAttente(), 0);
        QCOMPARE(r.boites.size(), 2);
        QCOMPARE(r.boites[1].titre, QString("Exportation"));
        QCOMPARE(r.boites[1].icone, QMessageBox::Critical);
        QVERIFY2(r.boites[1].texte.contains(sortie.filePath("occupe.smm")), qPrintable(r.boites[1].texte));
        QVERIFY(!r.boites[1].texte.contains(QString::fromUtf8("succès")));
    }

    // "Creer un maillage simplex" on an OFF mesh: No is acknowledged and
    // changes nothing; Yes makes the dual (8 points for an octahedron) and
    // the view draws the wire frame while the check marks stay.
    void creerMaillageSimplex()
    {
        MainWindow w;
        QVERIFY(activer(w));
        Repondeur r;
        r.fichier(offFichier);
        action(w, "actionOuvrir")->trigger();
        QVERIFY2(r.imprevus == 0, qPrintable(r.boites.isEmpty() ? QString("a file dialog") : r.boites[0].texte));
        QCOMPARE(documents(w).size(), 1);
        GLWidget *v = getActive(w);
        QVERIFY(activer(w));
        QVERIFY(pret(w, action(w, "actionCreer_un_maillage_simplex")));

        r.bouton(QMessageBox::No);
        r.bouton(QMessageBox::Ok);
        QVERIFY(declencher(w, "actionCreer_un_maillage_simplex"));
        QCOMPARE(r.boites.size(), 2);
        QCOMPARE(r.boites[1].titre, QString("Attention"));
        QCOMPARE(r.boites[1].texte, QString::fromUtf8("la création d'un maillage simplex a été interompue !"));
        QCOMPARE(v->suffixeSimplex, QString("off"));

        r.bouton(QMessageBox::Yes);
        QVERIFY(declencher(w, "actionCreer_un_maillage_simplex"));
        QCOMPARE(r.boites.size(), 3);
        QCOMPARE(v->suffixeSimplex, QString("smm"));
        QCOMPARE(v->getNbPtSimplex(), 8);
        QCOMPARE(v->modeDisplayMaille, 1);
        QVERIFY(action(w, "actionTriangle")->isChecked());
        QVERIFY(!action(w, "actionFillaire")->isEnabled());
        QVERIFY(activer(w));
        w.checkMenu();
        QVERIFY(!action(w, "actionCreer_un_maillage_simplex")->isEnabled());
        QCOMPARE(r.imprevus, 0);
    }

    // "Créer un nuage de points": straight away without a cloud; with one,
    // only after Yes.
    void creerNuage()
    {
        MainWindow w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(QString(), "./SMM_/icosa.smm");
        QVERIFY(activer(w));
        GLWidget *v = getActive(w);
        Repondeur r;
        QVERIFY(pret(w, action(w, "actionCr_er_un_nuage_de_point")));
        QVERIFY(declencher(w, "actionCr_er_un_nuage_de_point"));
        QCOMPARE(r.boites.size(), 0);
        QCOMPARE(v->getNbPts(), 320);
        QCOMPARE(v->getCurentPtsName(), QString("./SMM_/icosa.smm(pts).pts"));

        r.bouton(QMessageBox::No);
        r.bouton(QMessageBox::Ok);
        QVERIFY(declencher(w, "actionCr_er_un_nuage_de_point"));
        QCOMPARE(r.boites.size(), 2);
        QCOMPARE(r.boites[1].texte, QString::fromUtf8("la création d'un nouveau nuage de point a été interompue !"));
        r.bouton(QMessageBox::Yes);
        QVERIFY(declencher(w, "actionCr_er_un_nuage_de_point"));
        QCOMPARE(r.boites.size(), 3);
        QCOMPARE(v->getNbPts(), 320);
        QCOMPARE(r.imprevus, 0);
    }

    // Point, Filaire and Triangle act as a group with exactly one checked.
    void modeAffichage()
    {
        MainWindow w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(grandNuage);
        QVERIFY(activer(w));
        GLWidget *v = getActive(w);
        QAction *point = action(w, "actionPoint");
        QAction *filaire = action(w, "actionFillaire");
        QAction *triangle = action(w, "actionTriangle");
        point->trigger();
        QVERIFY(point->isChecked());
        QVERIFY(!filaire->isChecked());
        QCOMPARE(v->modeDisplayMaille, 0);
        point->trigger(); // clicking the checked one keeps it
        QVERIFY(point->isChecked());
        QCOMPARE(v->modeDisplayMaille, 0);

        Repondeur r;
        r.bouton(QMessageBox::Ok);
        QVERIFY(declencher(w, "actionTrianguler"));
        QCOMPARE(r.boites.size(), 1);
        QCOMPARE(r.boites[0].titre, QString("Triangularisation des mailles"));
        QCOMPARE(r.boites[0].texte, QString::fromUtf8("Le maillage vient d'etre triangulé"));
        QVERIFY(triangle->isEnabled());
        QCOMPARE(v->modeDisplayMaille, 3);
        filaire->trigger();
        QVERIFY(filaire->isChecked());
        QVERIFY(!point->isChecked());
        QVERIFY(!triangle->isChecked());
        QCOMPARE(v->modeDisplayMaille, 1);
        triangle->trigger();
        QCOMPARE(v->modeDisplayMaille, 3);
        QVERIFY(!filaire->isChecked());
    }

    // An exception thrown inside an action ends in an error box naming the
    // operation and the reason; the documents stay open and usable.
    void exceptionDansUneAction()
    {
        FenetreEssai w;
        QVERIFY(activer(w));
        w.creerNewSubWindow(grandNuage);
        Repondeur r;
        r.bouton(QMessageBox::Ok);
        bool apres = false;
        w.proteger("Essai", [&]() {
            throw std::out_of_range("vector::_M_range_check");
            apres = true;
        });
        QVERIFY(!apres);
        QCOMPARE(r.boites.size(), 1);
        QCOMPARE(r.boites[0].titre, QString("Erreur"));
        QCOMPARE(r.boites[0].icone, QMessageBox::Critical);
        QVERIFY(r.boites[0].texte.contains("Essai"));
        QVERIFY(r.boites[0].texte.contains("vector::_M_range_check"));
        r.bouton(QMessageBox::Ok);
        w.proteger("Autre", []() { throw 42; });
        QCOMPARE(r.boites.size(), 2);

        // Still usable: the document answers and a new window opens.
        QCOMPARE(documents(w).size(), 1);
        QCOMPARE(getActive(w)->getNbPts(), 2000);
        action(w, "actionNouveau")->trigger();
        QCOMPARE(documents(w).size(), 2);
        QCOMPARE(r.imprevus, 0);
    }

private:
    static GLWidget *getActive(MainWindow &w) { return w.getActiveSubWin(); }
};

QTEST_MAIN(TestMainWindowActions)
#include "test_mainwindow_actions.moc"
