// The automatic run of the main window on a document opened from a generated
// cloud with the template mesh. The list, the bar and the flags are checked
// against the sequence the preferences describe, and the mesh against the
// same operations replayed by hand on a second view of the same files.

#include "glwidget.h"
#include "loadingdialog.h"
#include "mainwindow.h"
#include "repondeur.h"
#include "settingwindow.h"
#include "SimplexGL.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPointer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int etapesAvantArret = 3;

struct Reglage
{
    int cycles = 0; ///< 0: the cycles radio button is unchecked
    int D = 0;
    int t26g = 0;
    int t26a = 0;
    int t22s = 0;
    int t22p = 0;
    bool coupe = false;
    bool cone = false;
};

void appliquer(SettingWindow *s, const Reglage &r)
{
    s->radioButton_2->setAutoExclusive(false);
    s->radioButton_2->setChecked(r.cycles > 0);
    if (r.cycles > 0)
        s->iterationAutomatismeSpinBox->setValue(r.cycles);
    s->iterationDeDeformationSpinBox->setValue(r.D);
    s->iterationDuRafinageT26GlobalSpinBox->setValue(r.t26g);
    s->iterationDuRaffinageT26AnglesSpinBox->setValue(r.t26a);
    s->iterationDuRafinageT22SurfacesSpinBox->setValue(r.t22s);
    s->iterationDuRaffinageT22PointParMailleSpinBox->setValue(r.t22p);
    s->checkBoxAffichGraf->setChecked(r.coupe);
    s->checkBoxConeDeVision->setChecked(r.cone);
}

/// The operations a run should make, in order, replayed on a view.
void rejouer(GLWidget &vue, const Reglage &r, int pasMaximum = -1)
{
    int pas = 0;
    bool phaseT26 = true;
    for (int c = 0; c < r.cycles; ++c) {
        for (int i = 0; i < r.D; ++i) {
            if (pas++ == pasMaximum)
                return;
            vue.deformationMaillage(1);
        }
        if (phaseT26 && (r.t26g > 0 || r.t26a > 0)) {
            if (r.t26g > 0)
                vue.RaffinageT26(r.t26g, 0);
            if (r.t26a > 0)
                vue.RaffinageT26(r.t26a, 1);
            phaseT26 = false;
        } else {
            if (r.t22s > 0)
                vue.RaffinageT22Auto(r.t22s, 0);
            if (r.t22p > 0)
                vue.RaffinageT22Auto(r.t22p, 1);
            phaseT26 = true;
        }
    }
    if (pasMaximum < 0)
        vue.deformationMaillage(r.D);
}

std::vector<point3> positions(const GLWidget &vue)
{
    std::vector<point3> p;
    for (const PointSimplex *s : vue.instanceSimplex->ListePointsSimplex)
        p.push_back(s->Position);
    return p;
}

bool memesPositions(const std::vector<point3> &a, const std::vector<point3> &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z)
            return false;
    return true;
}

QImage image(const QIcon &icone)
{
    return icone.pixmap(QSize(32, 32)).toImage();
}

QStringList lignes(const LoadingDialog *d)
{
    QStringList l;
    for (int i = 0; i < d->ui.listWidget->count(); ++i)
        l << d->ui.listWidget->item(i)->text();
    return l;
}

QStringList diagnostics;

void recueillir(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        diagnostics << message;
}

} // namespace

Q_DECLARE_METATYPE(Reglage)

class TestAutomatique : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dossier;
    QString nuage;
    std::unique_ptr<MainWindow> fenetre;

    QAction *action(const char *nom) { return fenetre->findChild<QAction *>(QLatin1String(nom)); }

    GLWidget *vue() { return fenetre->getActiveSubWin(); }

    /// Triggers the action and waits for the run to finish. pendant is given
    /// the new dialog before the run starts.
    LoadingDialog *executer(const Reglage &r, const std::function<void(LoadingDialog *)> &pendant = {})
    {
        appliquer(fenetre->getSettingWindow(), r);
        QAction *auto_ = action("actionDeformation_automatis");
        auto_->trigger();
        LoadingDialog *d = fenetre->getLoadingDialog();
        if (!d)
            return nullptr;
        if (pendant)
            pendant(d);
        if (!QTest::qWaitFor([d]() { return !d->ui.ButtonClose->isHidden(); }, 120000))
            return nullptr;
        return d;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir::setCurrent(QStringLiteral(TARNIS_RUN_DIR)));
        if (!QFile::exists(QStringLiteral("SMM_/icosa.smm")))
            QSKIP("SMM_/icosa.smm is missing from the build folder");
        QVERIFY(dossier.isValid());
        // A noisy ellipsoid around the template's place, fixed seed.
        nuage = dossier.filePath(QStringLiteral("ellipsoide.pts"));
        QFile f(nuage);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Text));
        QRandomGenerator alea(12345);
        const int n = 800;
        QByteArray texte = "PTS\n" + QByteArray::number(n) + "\n";
        for (int i = 0; i < n; ++i) {
            const double u = alea.generateDouble() * 2 - 1;
            const double t = alea.generateDouble() * 2 * M_PI;
            const double s = std::sqrt(1 - u * u);
            texte += QByteArray::number(40 * s * std::cos(t)) + ' ' + QByteArray::number(30 * s * std::sin(t))
                     + ' ' + QByteArray::number(25 * u) + '\n';
        }
        f.write(texte);
    }

    void init()
    {
        fenetre = std::make_unique<MainWindow>(nullptr, nuage);
        fenetre->show();
        QVERIFY(QTest::qWaitForWindowExposed(fenetre.get()));
        QVERIFY(vue() != nullptr);
        QVERIFY(vue()->getNbPts() > 0);
        QVERIFY(vue()->getNbPtSimplex() > 0);
        QTRY_VERIFY(action("actionDeformation_automatis")->isEnabled());
    }

    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<LoadingDialog *>(w))
                w->close();
        // As the application does: the window is closed before it goes.
        if (fenetre)
            fenetre->close();
        fenetre.reset();
    }

    void sequences_data()
    {
        QTest::addColumn<Reglage>("reglage");
        QTest::addColumn<QStringList>("attendu");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("valeur");

        Reglage sansCycle;
        sansCycle.D = 4;
        sansCycle.t22s = 1;
        QTest::newRow("sans cycle") << sansCycle << QStringList{} << 0 << 0;

        Reglage t22;
        t22.cycles = 3;
        t22.D = 5;
        t22.t22s = 1;
        const QString x5 = QStringLiteral("Deformation du maillage (x5)");
        const QString surf = QStringLiteral("Raffinage T22 par surfaces");
        QTest::newRow("3 cycles T22 par surfaces") << t22 << QStringList{x5, surf, x5, surf, x5, surf} << 18 << 18;

        Reglage alterne;
        alterne.cycles = 2;
        alterne.D = 2;
        alterne.t26g = 1;
        alterne.t22s = 1;
        const QString x2 = QStringLiteral("Deformation du maillage (x2)");
        QTest::newRow("2 cycles T26 global puis T22")
            << alterne << QStringList{x2, QStringLiteral("Raffinage T26 Global"), x2, surf} << 8 << 6;

        // Back to T26 on the third cycle; each phase runs only its non-zero kinds.
        Reglage angles;
        angles.cycles = 3;
        angles.D = 1;
        angles.t26a = 1;
        angles.t22p = 1;
        const QString x1 = QStringLiteral("Deformation du maillage (x1)");
        const QString ang = QStringLiteral("Raffinage T26 par angles");
        QTest::newRow("3 cycles T26 par angles et T22 point par maille")
            << angles << QStringList{x1, ang, x1, QStringLiteral("Raffinage T22 Point par maille"), x1, ang} << 9 << 6;

        Reglage sansDeformation;
        sansDeformation.cycles = 2;
        sansDeformation.t22s = 2;
        QTest::newRow("D = 0, deux passes T22 par cycle")
            << sansDeformation << QStringList{QStringLiteral("Deformation du maillage (x0)"), surf,
                                              QStringLiteral("Deformation du maillage (x0)"), surf}
            << 4 << 4;
    }

    void sequences()
    {
        QFETCH(Reglage, reglage);
        QFETCH(QStringList, attendu);
        QFETCH(int, maximum);
        QFETCH(int, valeur);

        GLWidget temoin(nuage, QString());
        rejouer(temoin, reglage);

        diagnostics.clear();
        const QtMessageHandler ancien = qInstallMessageHandler(recueillir);
        LoadingDialog *d = executer(reglage);
        qInstallMessageHandler(ancien);
        QVERIFY(d != nullptr);

        QCOMPARE(lignes(d), attendu);
        QCOMPARE(d->ui.progressBar->maximum(), maximum);
        QCOMPARE(d->ui.progressBar->value(), valeur);
        QVERIFY(d->ui.labelTerminated->text().contains(QStringLiteral(">Operations terminées</span>")));
        QVERIFY(d->ui.ButtonStop->isHidden());

        // The mesh went through exactly the operations replayed on the witness.
        QCOMPARE(vue()->getNbPtSimplex(), temoin.getNbPtSimplex());
        QVERIFY(memesPositions(positions(*vue()), positions(temoin)));
        QCOMPARE(vue()->dejaDeforme, temoin.dejaDeforme);
        QCOMPARE(fenetre->findChild<QLabel *>(QStringLiteral("label_NbPtSimplex"))->text(),
                 QString::number(temoin.getNbPtSimplex()));

        QVERIFY(vue()->operationEnabled);
        QVERIFY(vue()->affichGraf);
        QVERIFY(diagnostics.size() >= 2);
        QCOMPARE(diagnostics.mid(diagnostics.size() - 2), (QStringList{"endif", "end"}));
    }

    void actionEtIcones()
    {
        QAction *auto_ = action("actionDeformation_automatis");
        QAction *boucle = action("actionDeformer_le_maillage");
        boucle->setChecked(true);
        vue()->setBoucleDeform(true, false);
        fenetre->getSettingWindow()->checkBoxConeDeVision->setChecked(true);

        Reglage r;
        r.cycles = 1;
        r.D = 2;
        r.t22s = 1;
        r.cone = true;
        r.coupe = true;
        appliquer(fenetre->getSettingWindow(), r);
        auto_->trigger();

        // Starting: checked, stop icon, dialog shown with its list, no close button.
        LoadingDialog *d = fenetre->getLoadingDialog();
        QVERIFY(d != nullptr);
        QVERIFY(auto_->isChecked());
        QCOMPARE(image(auto_->icon()), image(QIcon(QStringLiteral(":/Icons/Menu_Fichier/rsc/stop.png"))));
        QVERIFY(d->isVisible());
        QCOMPARE(d->ui.groupBox->title(), QStringLiteral("Automatisation"));
        QVERIFY(d->ui.listWidget->isVisible());
        QVERIFY(d->ui.label->isHidden());
        QVERIFY(d->ui.ButtonClose->isHidden());
        // With drawing cut, the view draws nothing at any step of the run.
        int etapes = 0;
        bool toujoursCoupe = true;
        const QMetaObject::Connection espion =
            connect(d->ui.progressBar, &QProgressBar::valueChanged, this, [&]() {
                ++etapes;
                toujoursCoupe = toujoursCoupe && !vue()->affichGraf;
            });

        QTRY_VERIFY_WITH_TIMEOUT(!d->ui.ButtonClose->isHidden(), 60000);
        disconnect(espion);
        QCOMPARE(etapes, 3);
        QVERIFY(toujoursCoupe);
        QVERIFY(vue()->affichGraf);
        QVERIFY(!auto_->isChecked());
        QCOMPARE(image(auto_->icon()), image(QIcon(QStringLiteral(":/Icons/Menu_Fichier/rsc/play.png"))));
        QVERIFY(!boucle->isChecked());
        QVERIFY(!vue()->boucleDeform);
        QVERIFY(vue()->cone);

        // A second run makes a new dialog and leaves the first as it was.
        LoadingDialog *premier = d;
        d = executer(r);
        QVERIFY(d != nullptr && d != premier);
        QCOMPARE(lignes(premier).size(), 2);
        QCOMPARE(lignes(d).size(), 2);
        QVERIFY(!auto_->isChecked());
    }

    void arretALEtapeSuivante()
    {
        Reglage r;
        r.cycles = 5;
        r.D = 200;
        r.t22s = 1;

        GLWidget temoin(nuage, QString());
        rejouer(temoin, r, etapesAvantArret);

        // Presses "Arrêter" when the bar reaches three steps.
        LoadingDialog *d = executer(r, [&](LoadingDialog *dialogue) {
            connect(dialogue->ui.progressBar, &QProgressBar::valueChanged, this, [dialogue](int valeur) {
                if (valeur == etapesAvantArret)
                    QTest::mouseClick(dialogue->ui.ButtonStop, Qt::LeftButton);
            });
        });
        QVERIFY(d != nullptr);

        QCOMPARE(d->ui.progressBar->value(), etapesAvantArret);
        QCOMPARE(lignes(d), QStringList{QStringLiteral("Deformation du maillage (x200)")});
        QVERIFY(d->ui.labelTerminated->text().contains(QStringLiteral(">Operations interrompues</span>")));
        QVERIFY(d->ui.labelCompteurs->text().contains(QStringLiteral("déformation 3 / 200")));
        QVERIFY(!action("actionDeformation_automatis")->isChecked());
        // No further step, no refinement, no final series.
        QVERIFY(memesPositions(positions(*vue()), positions(temoin)));
        QCOMPARE(vue()->getNbPtSimplex(), temoin.getNbPtSimplex());
        // The view is ready for the next operation.
        QVERIFY(vue()->operationEnabled);
        QVERIFY(vue()->affichGraf);
    }

    void sansDocumentRienNeDemarre()
    {
        fenetre->close();
        fenetre.reset(new MainWindow(nullptr, QString()));
        fenetre->show();
        QVERIFY(QTest::qWaitForWindowExposed(fenetre.get()));
        QVERIFY(fenetre->getActiveSubWin() == nullptr);
        action("actionDeformation_automatis")->setEnabled(true);
        LoadingDialog *d = executer(Reglage{2, 2, 0, 0, 1, 0, false, false});
        QVERIFY(d != nullptr);
        QVERIFY(lignes(d).isEmpty());
        QVERIFY(!action("actionDeformation_automatis")->isChecked());
    }
};

TARNIS_QTEST_MAIN(TestAutomatique)
#include "test_automatique.moc"
