// The batch launcher, with a stand-in for the console tool placed at
// ./Pelvane/Pelvane.exe in a temporary working folder. The stand-in writes the
// arguments it received into appels/<its pid>.args, so each start recorded by
// the launcher can be matched with the process that really ran.

#include "automaticexec.h"
#include "repondeur.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char *const outilTemoin =
    "#!/bin/sh\n"
    "dossier=\"$(dirname \"$0\")/../appels\"\n"
    "mkdir -p \"$dossier\"\n"
    ": > \"$dossier/$$.tmp\"\n"
    "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$dossier/$$.tmp\"; done\n"
    "mv \"$dossier/$$.tmp\" \"$dossier/$$.args\"\n";

bool ecrire(const QString &chemin, const QByteArray &contenu)
{
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly) && f.write(contenu) == contenu.size();
}

QStringList argumentsRecus(const QString &dossierTravail, qint64 pid)
{
    QFile f(dossierTravail + QStringLiteral("/appels/%1.args").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lignes = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    if (!lignes.isEmpty() && lignes.last().isEmpty())
        lignes.removeLast();
    return lignes;
}

} // namespace

class TestLancement : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *travail = nullptr;
    QString ancienDossier;
    QString nuages[3];
    QString reference;
    QString sortie;

    void installerTemoin(bool executable = true)
    {
        QVERIFY(QDir(travail->path()).mkpath(QStringLiteral("Pelvane")));
        const QString outil = travail->filePath(QStringLiteral("Pelvane/Pelvane.exe"));
        QVERIFY(ecrire(outil, outilTemoin));
        QFile::Permissions droits = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            droits |= QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(outil, droits));
    }

    /// Every start of the latest launch reached a process that received exactly
    /// the arguments the launcher recorded.
    void verifierProcessus(const AutomaticExec &fenetre)
    {
        for (const AutomaticExec::Lancement &l : fenetre.derniersLancements()) {
            QVERIFY2(l.demarre, qPrintable(l.raison));
            QVERIFY(l.pid > 0);
            QTRY_COMPARE_WITH_TIMEOUT(argumentsRecus(travail->path(), l.pid), l.arguments, 10000);
        }
    }

    static QStringList defauts(const QString &ref, const QString &nuage, const QString &dossier)
    {
        return {QStringLiteral("1.00"), QStringLiteral("0.05"), QStringLiteral("0.00"), QStringLiteral("2"),
                QStringLiteral("2000"), QStringLiteral("20"), QStringLiteral("0"), ref, nuage, dossier};
    }

private slots:
    void init()
    {
        travail = new QTemporaryDir();
        QVERIFY(travail->isValid());
        ancienDossier = QDir::currentPath();
        QVERIFY(QDir::setCurrent(travail->path()));
        for (int i = 0; i < 3; ++i) {
            nuages[i] = travail->filePath(QStringLiteral("nuage%1.pts").arg(i));
            QVERIFY(ecrire(nuages[i], "PTS\n1\n0 0 0\n"));
        }
        reference = travail->filePath(QStringLiteral("reference.smm"));
        QVERIFY(ecrire(reference, "1\n"));
        sortie = travail->filePath(QStringLiteral("sortie"));
        QVERIFY(QDir().mkpath(sortie));
    }

    void cleanup()
    {
        QDir::setCurrent(ancienDossier);
        delete travail;
        travail = nullptr;
    }

    void formulaire()
    {
        AutomaticExec fenetre;
        QCOMPARE(fenetre.windowTitle(), QStringLiteral("Form"));
        QCOMPARE(fenetre.tabWidget->currentIndex(), 0);
        QCOMPARE(fenetre.tabWidget->tabText(0), QStringLiteral("General"));
        QCOMPARE(fenetre.tabWidget->tabText(1), QStringLiteral("Parametres"));

        fenetre.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fenetre));
        QTest::mouseClick(fenetre.pushButton_Cancel, Qt::LeftButton);
        QVERIFY(!fenetre.isVisible());
    }

    void argumentsAffiches_data()
    {
        QTest::addColumn<double>("interne");
        QTest::addColumn<double>("externe");
        QTest::addColumn<double>("retenue");
        QTest::addColumn<int>("rigidite");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("iterations");
        QTest::addColumn<bool>("sauvegarde");
        QTest::addColumn<bool>("radio");
        QTest::addColumn<QStringList>("attendus");

        QTest::newRow("valeurs choisies") << 2.5 << 0.1 << 0.333 << 3 << 500 << 7 << true << true
                                          << QStringList{"2.50", "0.10", "0.33", "3", "500", "7", "1"};
        QTest::newRow("bornes hautes") << 120.0 << 99.99 << 99.99 << 99 << 999999 << 999 << false << true
                                       << QStringList{"99.99", "99.99", "99.99", "99", "999999", "999", "0"};
        QTest::newRow("radio décochée") << 1.0 << 0.05 << 0.0 << 2 << 2000 << 20 << false << false
                                        << QStringList{"1.00", "0.05", "0.00", "2", "2000", "20", "0"};
    }

    void argumentsAffiches()
    {
        QFETCH(double, interne);
        QFETCH(double, externe);
        QFETCH(double, retenue);
        QFETCH(int, rigidite);
        QFETCH(int, minimum);
        QFETCH(int, iterations);
        QFETCH(bool, sauvegarde);
        QFETCH(bool, radio);
        QFETCH(QStringList, attendus);

        installerTemoin();
        AutomaticExec fenetre;
        fenetre.forceInterneDoubleSpinBox->setValue(interne);
        fenetre.forceExterneDoubleSpinBox->setValue(externe);
        fenetre.forceDeRetenueDoubleSpinBox->setValue(retenue);
        fenetre.rigiditDuMaillageSpinBox->setValue(rigidite);
        fenetre.iterationAutomatismeSpinBox->setValue(minimum);
        fenetre.iterationDeDeformationSpinBox->setValue(iterations);
        fenetre.checkBoxSaveAuto->setChecked(sauvegarde);
        fenetre.radioButton_2->setAutoExclusive(false);
        fenetre.radioButton_2->setChecked(radio);
        fenetre.listWidget->addItem(nuages[0]);
        fenetre.listWidget_2->addItem(reference);
        fenetre.listWidget_3->addItem(sortie);

        Repondeur repondeur;
        repondeur.accepterBoite();
        QTest::mouseClick(fenetre.pushButton_Launch, Qt::LeftButton);

        QCOMPARE(fenetre.derniersLancements().size(), 1);
        QCOMPARE(fenetre.derniersLancements()[0].arguments, (attendus + QStringList{reference, nuages[0], sortie}));
        verifierProcessus(fenetre);
        QCOMPARE(repondeur.imprevus, 0);
    }

    void troisFichiersDansLOrdre()
    {
        installerTemoin();
        AutomaticExec fenetre;
        for (const QString &n : nuages)
            fenetre.listWidget->addItem(n);
        fenetre.listWidget_2->addItem(reference);
        fenetre.listWidget_3->addItem(sortie);

        Repondeur repondeur;
        repondeur.accepterBoite();
        QTest::mouseClick(fenetre.pushButton_Launch, Qt::LeftButton);

        const auto &lancements = fenetre.derniersLancements();
        QCOMPARE(lancements.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(lancements[i].fichier, nuages[i]);
            QCOMPARE(lancements[i].arguments, defauts(reference, nuages[i], sortie));
        }
        verifierProcessus(fenetre);
        QCOMPARE(QSet<qint64>({lancements[0].pid, lancements[1].pid, lancements[2].pid}).size(), 3);

        // One report box, listing the three files.
        QCOMPARE(repondeur.boites.size(), std::size_t(1));
        QCOMPARE(repondeur.boites[0].icone, QMessageBox::Information);
        QCOMPARE(repondeur.boites[0].titre, QStringLiteral("Lancement des traitements"));
        const QString texte = repondeur.boites[0].texte;
        QVERIFY(texte.startsWith(QStringLiteral("Traitements lancés (3) :")));
        QVERIFY(texte.indexOf(nuages[0]) < texte.indexOf(nuages[1]));
        QVERIFY(texte.indexOf(nuages[1]) < texte.indexOf(nuages[2]));
        QVERIFY(!texte.contains(QStringLiteral("non lancés")));
    }

    void maillageDemandePuisChoisi()
    {
        installerTemoin();
        AutomaticExec fenetre;
        fenetre.listWidget->addItem(nuages[0]);
        fenetre.listWidget->addItem(nuages[1]);
        fenetre.listWidget_3->addItem(sortie);

        Repondeur repondeur;
        repondeur.accepterBoite();
        repondeur.choisir(reference);
        repondeur.accepterBoite();
        QTest::mouseClick(fenetre.pushButton_Launch, Qt::LeftButton);

        QCOMPARE(repondeur.reponsesRestantes(), std::size_t(0));
        QCOMPARE(repondeur.imprevus, 0);
        QCOMPARE(repondeur.boites[0].titre, QStringLiteral("Attention"));
        QCOMPARE(repondeur.boites[0].texte,
                 QStringLiteral("Vous devez sélectionner un maillage simplex de reference !"));
        QCOMPARE(repondeur.titresDialogues.at(0), QStringLiteral("selectionner un fichier"));
        QCOMPARE(fenetre.listWidget_2->count(), 1);
        QCOMPARE(fenetre.listWidget_2->item(0)->text(), reference);

        // Asked once: the second file finds the mesh chosen for the first.
        QCOMPARE(fenetre.derniersLancements().size(), 2);
        QCOMPARE(fenetre.derniersLancements()[0].arguments, defauts(reference, nuages[0], sortie));
        QCOMPARE(fenetre.derniersLancements()[1].arguments, defauts(reference, nuages[1], sortie));
        verifierProcessus(fenetre);
    }

    void dossierDemandePuisChoisi()
    {
        installerTemoin();
        AutomaticExec fenetre;
        fenetre.listWidget->addItem(nuages[0]);
        fenetre.listWidget_2->addItem(reference);

        Repondeur repondeur;
        repondeur.accepterBoite();
        repondeur.choisir(sortie);
        repondeur.accepterBoite();
        QTest::mouseClick(fenetre.pushButton_Launch, Qt::LeftButton);

        QCOMPARE(repondeur.imprevus, 0);
        QCOMPARE(repondeur.boites[0].texte,
                 QStringLiteral("Vous devez sélectionner un dossier de sortie des resultats !"));
        QCOMPARE(repondeur.titresDialogues.at(0), QStringLiteral("selectionner un dossier"));
        QCOMPARE(QFileInfo(fenetre.listWidget_3->item(0)->text()), QFileInfo(sortie));
        QCOMPARE(fenetre.derniersLancements().size(), 1);
        QCOMPARE(QFileInfo(fenetre.derniersLancements()[0].arguments.at(9)), QFileInfo(sortie));
        verifierProcessus(fenetre);
    }

    void choixAnnulesNeLancentRien_data()
    {
        QTest::addColumn<bool>("avecMaillage");
        QTest::newRow("dossier annulé") << true;
        QTest::newRow("maillage annulé") << false;
    }

    void choixAnnulesNeLancentRien()
    {
        QFETCH(bool, avecMaillage);
        installerTemoin();
        AutomaticExec fenetre;
        fenetre.listWidget->addItem(nuages[0]);
        fenetre.listWidget->addItem(nuages[1]);
        if (avecMaillage)
            fenetre.listWidget_2->addItem(reference);

        Repondeur repondeur;
        repondeur.accepterBoite();
        repondeur.annulerDialogue();
        QTest::mouseClick(fenetre.pushButton_Launch, Qt::LeftButton);

        QCOMPARE(repondeur.reponsesRestantes(), std::size_t(0));
        QCOMPARE(repondeur.imprevus, 0);
        // The prompt, and no report box: nothing was started.
        QCOMPARE(repondeur.boites.size(), std::size_t(1));
        QVERIFY(fenetre.derniersLancements().isEmpty());
        QCOMPARE(fenetre.listWidget_2->count(), avecMaillage ? 1 : 0);
        QCOMPARE(fenetre.listWidget_3->count(), 0);
        QVERIFY(!QDir(travail->filePath(QStringLiteral("appels"))).exists());
    }

    void sansFichierRienNeSePasse()
    {
        installerTemoin();
        AutomaticExec fenetre;
        Repondeur repondeur;
        QTest::mouseClick(fenetre.pushButton_Launch, Qt::LeftButton);
        QTest::qWait(50);
        QVERIFY(fenetre.derniersLancements().isEmpty());
        QVERIFY(repondeur.boites.empty());
        QCOMPARE(repondeur.imprevus, 0);
    }

    void fichierAjouteDeuxFoisLanceDeuxFois()
    {
        installerTemoin();
        AutomaticExec fenetre;
        fenetre.listWidget_2->addItem(reference);
        fenetre.listWidget_3->addItem(sortie);

        Repondeur repondeur;
        repondeur.choisir(nuages[2]);
        repondeur.choisir(nuages[2]);
        QTest::mouseClick(fenetre.commandLinkButton, Qt::LeftButton);
        QTest::mouseClick(fenetre.commandLinkButton, Qt::LeftButton);
        QCOMPARE(repondeur.titresDialogues.at(0), QStringLiteral("selectionner un ou plusieurs fichiers"));
        QCOMPARE(fenetre.listWidget->count(), 2);
        QCOMPARE(fenetre.listWidget->item(0)->text(), nuages[2]);
        QCOMPARE(fenetre.listWidget->item(1)->text(), nuages[2]);

        repondeur.accepterBoite();
        QTest::mouseClick(fenetre.pushButton_Launch, Qt::LeftButton);
        QCOMPARE(fenetre.derniersLancements().size(), 2);
        QVERIFY(fenetre.derniersLancements()[0].pid != fenetre.derniersLancements()[1].pid);
        verifierProcessus(fenetre);
        QCOMPARE(repondeur.imprevus, 0);
    }

    void supprimerLaLigneCourante()
    {
        AutomaticExec fenetre;
        for (const QString &n : nuages)
            fenetre.listWidget->addItem(n);
        fenetre.listWidget->setCurrentRow(-1);
        fenetre.on_commandLinkButton_2_clicked();
        QCOMPARE(fenetre.listWidget->count(), 3);
        fenetre.listWidget->setCurrentRow(1);
        fenetre.on_commandLinkButton_2_clicked();
        QCOMPARE(fenetre.listWidget->count(), 2);
        QCOMPARE(fenetre.listWidget->item(0)->text(), nuages[0]);
        QCOMPARE(fenetre.listWidget->item(1)->text(), nuages[2]);
    }

    void choixRemplacentOuGardent()
    {
        AutomaticExec fenetre;
        fenetre.listWidget_2->addItem(QStringLiteral("ancien.smm"));
        fenetre.listWidget_3->addItem(QStringLiteral("ancien"));
        Repondeur repondeur;
        repondeur.annulerDialogue();
        repondeur.annulerDialogue();
        repondeur.choisir(reference);
        fenetre.on_pushButton_clicked();
        fenetre.on_pushButton_2_clicked();
        QCOMPARE(fenetre.listWidget_2->item(0)->text(), QStringLiteral("ancien.smm"));
        QCOMPARE(fenetre.listWidget_3->item(0)->text(), QStringLiteral("ancien"));
        fenetre.on_pushButton_clicked();
        QCOMPARE(fenetre.listWidget_2->count(), 1);
        QCOMPARE(fenetre.listWidget_2->item(0)->text(), reference);
    }

    void echecsRapportes_data()
    {
        QTest::addColumn<bool>("outilPresent");
        QTest::addColumn<QString>("raison");
        QTest::newRow("outil absent") << false << QStringLiteral("introuvable");
        QTest::newRow("outil non exécutable") << true << QStringLiteral("n'est pas un programme exécutable");
    }

    void echecsRapportes()
    {
        QFETCH(bool, outilPresent);
        QFETCH(QString, raison);
        if (outilPresent)
            installerTemoin(false);
        AutomaticExec fenetre;
        fenetre.listWidget->addItem(nuages[0]);
        fenetre.listWidget->addItem(nuages[1]);
        fenetre.listWidget_2->addItem(reference);
        fenetre.listWidget_3->addItem(sortie);

        Repondeur repondeur;
        repondeur.accepterBoite();
        QTest::mouseClick(fenetre.pushButton_Launch, Qt::LeftButton);

        QCOMPARE(fenetre.derniersLancements().size(), 2);
        for (const auto &l : fenetre.derniersLancements()) {
            QVERIFY(!l.demarre);
            QVERIFY2(l.raison.contains(raison), qPrintable(l.raison));
        }
        QCOMPARE(repondeur.boites.size(), std::size_t(1));
        const Repondeur::Boite &boite = repondeur.boites[0];
        QCOMPARE(boite.icone, QMessageBox::Warning);
        QVERIFY(boite.texte.startsWith(QStringLiteral("Traitements non lancés (2) :")));
        QVERIFY(boite.texte.contains(nuages[0] + QStringLiteral(" : ")));
        QVERIFY(boite.texte.contains(nuages[1] + QStringLiteral(" : ")));
        QVERIFY(boite.texte.contains(raison));
        QVERIFY(!boite.texte.contains(QStringLiteral("Traitements lancés")));
    }
};

TARNIS_QTEST_MAIN(TestLancement)
#include "test_lancement.moc"
