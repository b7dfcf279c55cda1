// The batch launcher. With a stand-in for the console tool at ./Pelvane/Pelvane.exe that writes the
// arguments it received into appels/<its pid>.args, each start the launcher records is matched with
// the process that really ran. (The tool's own runs into such folders are tested with the tool.)
#include "automaticexec.h"

#include "outils_qt.h"
#include "support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>


using tarnis_test::Repondeur;

namespace {

const char *const outilTemoin = "#!/bin/sh\n"
                                "dossier=\"$(dirname \"$0\")/../appels\"\n"
                                "mkdir -p \"$dossier\"\n"
                                ": > \"$dossier/$$.tmp\"\n"
                                "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$dossier/$$.tmp\"; done\n"
                                "mv \"$dossier/$$.tmp\" \"$dossier/$$.args\"\n";

bool ecrire(const QString &chemin, const char *contenu)
{
    return tarnis_test::writeFile(chemin.toStdString(), contenu);
}

QStringList argumentsRecus(const QString &dossierTravail, qint64 pid)
{
    QStringList l =
        QString::fromStdString(
            tarnis_test::readFile(QStringLiteral("%1/appels/%2.args").arg(dossierTravail).arg(pid).toStdString()))
            .split(QLatin1Char('\n'));
    if (!l.isEmpty() && l.last().isEmpty())
        l.removeLast();
    return l;
}

} // namespace

class TestLancement : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> travail;
    QString ancienDossier, reference, sortie, nuages[3];

    void installerTemoin(const std::string &suite = std::string())
    {
        QVERIFY(QDir(travail->path()).mkpath(QStringLiteral("Pelvane")));
        const QString outil = travail->filePath(QStringLiteral("Pelvane/Pelvane.exe"));
        QVERIFY(ecrire(outil, (outilTemoin + suite).c_str()));
        QVERIFY(QFile::setPermissions(outil, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    /// Every start of the latest launch reached a process that received exactly the recorded arguments.
    void verifierProcessus(const AutomaticExec &fenetre)
    {
        for (const AutomaticExec::Lancement &l : fenetre.derniersLancements()) {
            QVERIFY2(l.demarre, qPrintable(l.raison));
            QTRY_COMPARE_WITH_TIMEOUT(argumentsRecus(travail->path(), l.pid), l.arguments, 10000);
        }
    }

    void remplir(AutomaticExec &fenetre, int n)
    {
        for (int i = 0; i < n; ++i)
            fenetre.listWidget->addItem(nuages[i]);
        fenetre.listWidget_2->addItem(reference);
        fenetre.listWidget_3->addItem(sortie);
    }

private slots:
    void init()
    {
        travail = std::make_unique<QTemporaryDir>();
        QVERIFY(travail->isValid());
        ancienDossier = QDir::currentPath();
        QVERIFY(QDir::setCurrent(travail->path()));
        // Three clouds of the same name, each in a folder of its own.
        for (int i = 0; i < 3; ++i) {
            QVERIFY(QDir(travail->path()).mkpath(QStringLiteral("d%1").arg(i)));
            nuages[i] = travail->filePath(QStringLiteral("d%1/nuage.pts").arg(i));
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
        travail.reset();
    }

    // The form's values reach every start, one process per file, in the list's order; each
    // cloud's results go to its path under the output folder, so same names do not collide.
    void argumentsDuFormulaireDansLOrdre()
    {
        installerTemoin();
        AutomaticExec fenetre;
        fenetre.forceInterneDoubleSpinBox->setValue(2.5);
        fenetre.forceExterneDoubleSpinBox->setValue(0.1);
        fenetre.forceDeRetenueDoubleSpinBox->setValue(0.333);
        fenetre.rigiditDuMaillageSpinBox->setValue(3);
        fenetre.iterationAutomatismeSpinBox->setValue(500);
        fenetre.iterationDeDeformationSpinBox->setValue(7);
        fenetre.checkBoxSaveAuto->setChecked(true);
        fenetre.radioButton_2->setAutoExclusive(false);
        fenetre.radioButton_2->setChecked(true);
        remplir(fenetre, 3);
        Repondeur repondeur;
        repondeur.bouton();
        QTest::mouseClick(fenetre.pushButton_Launch, Qt::LeftButton);
        const auto &lancements = fenetre.derniersLancements();
        QCOMPARE(lancements.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(lancements[i].fichier, nuages[i]);
            QCOMPARE(lancements[i].arguments,
                     (QStringList{"2.50", "0.10", "0.33", "3", "500", "7", "1", reference, nuages[i],
                                  sortie + QStringLiteral("/d%1/nuage.pts").arg(i)}));
        }
        verifierProcessus(fenetre);
        QCOMPARE(QSet<qint64>({lancements[0].pid, lancements[1].pid, lancements[2].pid}).size(), 3);
        QCOMPARE(repondeur.imprevus, 0);
    }

    // "Lancer" with no file says what to do first and starts nothing; a launch's processes are
    // followed under the form until the last one has ended.
    void listeVideEtFinAnnoncee()
    {
        installerTemoin("sleep 1\n");
        AutomaticExec fenetre;
        Repondeur repondeur;
        repondeur.bouton();
        QTest::mouseClick(fenetre.pushButton_Launch, Qt::LeftButton);
        QVERIFY(repondeur.boites.size() == 1 && repondeur.boites[0].texte.startsWith(QString::fromUtf8("Ajoutez d'abord")));
        QVERIFY(fenetre.derniersLancements().isEmpty() && fenetre.labelEtat->text().isEmpty());

        remplir(fenetre, 2);
        repondeur.bouton();
        QTest::mouseClick(fenetre.pushButton_Launch, Qt::LeftButton);
        QCOMPARE(fenetre.labelEtat->text(), QString::fromUtf8("Traitements en cours : 2 sur 2"));
        verifierProcessus(fenetre);
        QTRY_VERIFY_WITH_TIMEOUT(!fenetre.traitementsEnCours(), 10000);
        QCOMPARE(fenetre.labelEtat->text(),
                 QString::fromUtf8("Traitements terminés (2) : les résultats sont dans %1").arg(sortie));
        QCOMPARE(repondeur.imprevus, 0);
    }
};

TARNIS_QTEST_MAIN(TestLancement)
#include "test_lancement.moc"
