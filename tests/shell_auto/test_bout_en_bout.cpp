// The launcher with the real console tool: a batch of two generated clouds of
// different shapes gives, in the output folder, a fitted mesh for each, whose
// extent is that of its own cloud.

#include "automaticexec.h"
#include "repondeur.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <array>
#include <cmath>

namespace {

const QString dossierExecution = QStringLiteral(TARNIS_RUN_DIR);

/// Writes n points of the ellipsoid of half-axes a, b, c as a PTS file.
bool ecrireEllipsoide(const QString &chemin, int n, double a, double b, double c, quint32 graine)
{
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&f);
    out << "PTS\n" << n << "\n";
    QRandomGenerator alea(graine);
    for (int i = 0; i < n; ++i) {
        const double u = alea.generateDouble() * 2 - 1;
        const double t = alea.generateDouble() * 2 * M_PI;
        const double s = std::sqrt(1 - u * u);
        out << a * s * std::cos(t) << ' ' << b * s * std::sin(t) << ' ' << c * u << '\n';
    }
    return true;
}

/// Half-extent of the vertices of an OFF file of triangles along x, y and z;
/// complet is false when the file is missing or malformed.
std::array<double, 3> demiEtendue(const QString &chemin, bool &complet)
{
    complet = false;
    std::array<double, 3> mini{1e300, 1e300, 1e300}, maxi{-1e300, -1e300, -1e300};
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&f);
    QString entete;
    in >> entete;
    long sommets = 0, faces = 0, aretes = 0;
    in >> sommets >> faces >> aretes;
    if (entete != QStringLiteral("OFF") || sommets <= 0 || faces <= 0)
        return {};
    for (long i = 0; i < sommets; ++i) {
        std::array<double, 3> p{};
        in >> p[0] >> p[1] >> p[2];
        if (in.status() != QTextStream::Ok)
            return {};
        for (int k = 0; k < 3; ++k) {
            mini[k] = std::min(mini[k], p[k]);
            maxi[k] = std::max(maxi[k], p[k]);
        }
    }
    for (long i = 0; i < faces; ++i) {
        int m = 0, a = 0, b = 0, c = 0;
        in >> m >> a >> b >> c;
        if (in.status() != QTextStream::Ok || m != 3)
            return {};
    }
    complet = true;
    return {(maxi[0] - mini[0]) / 2, (maxi[1] - mini[1]) / 2, (maxi[2] - mini[2]) / 2};
}

} // namespace

class TestBoutEnBout : public QObject
{
    Q_OBJECT

private slots:
    void deuxNuagesDeuxResultats()
    {
        const QString outil = dossierExecution + QStringLiteral("/Pelvane/Pelvane.exe");
        if (!QFileInfo(outil).isExecutable())
            QSKIP("the console tool Pelvane/Pelvane.exe is not built in the build folder");
        const QString reference = dossierExecution + QStringLiteral("/SMM_/icosa.smm");
        if (!QFileInfo::exists(reference))
            QSKIP("SMM_/icosa.smm is missing from the build folder");

        QTemporaryDir travail;
        QVERIFY(travail.isValid());
        QVERIFY(QFile::link(dossierExecution + QStringLiteral("/Pelvane"), travail.filePath(QStringLiteral("Pelvane"))));
        const QString ancien = QDir::currentPath();
        QVERIFY(QDir::setCurrent(travail.path()));

        struct Nuage
        {
            QString nom;
            std::array<double, 3> demiAxes;
        };
        const std::array<Nuage, 2> nuages{{{QStringLiteral("boule"), {12, 12, 12}},
                                           {QStringLiteral("ellipsoide"), {60, 35, 20}}}};
        const QString sortie = travail.filePath(QStringLiteral("resultats"));
        QVERIFY(QDir().mkpath(sortie));

        AutomaticExec fenetre;
        for (std::size_t i = 0; i < nuages.size(); ++i) {
            const QString chemin = travail.filePath(nuages[i].nom + QStringLiteral(".pts"));
            QVERIFY(ecrireEllipsoide(chemin, 3000, nuages[i].demiAxes[0], nuages[i].demiAxes[1],
                                     nuages[i].demiAxes[2], 77 + quint32(i)));
            fenetre.listWidget->addItem(chemin);
        }
        fenetre.listWidget_2->addItem(reference);
        fenetre.listWidget_3->addItem(sortie);
        fenetre.iterationAutomatismeSpinBox->setValue(400);
        fenetre.iterationDeDeformationSpinBox->setValue(10);

        Repondeur repondeur;
        repondeur.accepterBoite();
        QTest::mouseClick(fenetre.pushButton_Launch, Qt::LeftButton);
        QDir::setCurrent(ancien);

        QCOMPARE(repondeur.imprevus, 0);
        QCOMPARE(fenetre.derniersLancements().size(), 2);
        for (const auto &l : fenetre.derniersLancements())
            QVERIFY2(l.demarre, qPrintable(l.raison));

        for (const Nuage &n : nuages) {
            const QString off = sortie + QLatin1Char('/') + n.nom + QStringLiteral(".off");
            const QString smm = sortie + QLatin1Char('/') + n.nom + QStringLiteral(".smm");
            const QString rapport = sortie + QLatin1Char('/') + n.nom + QStringLiteral(".rapport.txt");
            // The report is written last.
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(rapport), 180000);
            bool complet = false;
            const std::array<double, 3> demi = demiEtendue(off, complet);
            QVERIFY(complet);
            QVERIFY(QFileInfo(smm).size() > 0);
            // The mesh fitted to this cloud spans this cloud, not the other.
            for (int k = 0; k < 3; ++k)
                QVERIFY2(std::abs(demi[k] - n.demiAxes[k]) < 0.15 * n.demiAxes[k],
                         qPrintable(QStringLiteral("%1 axis %2: %3 for %4")
                                        .arg(n.nom)
                                        .arg(k)
                                        .arg(demi[k])
                                        .arg(n.demiAxes[k])));
        }
    }
};

TARNIS_QTEST_MAIN(TestBoutEnBout)
#include "test_bout_en_bout.moc"
