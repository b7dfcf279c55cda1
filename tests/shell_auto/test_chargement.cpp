// The progress dialog: its start state, the list, the bar's bound, the end
// line and the two buttons.

#include "loadingdialog.h"
#include "repondeur.h"

#include <QMovie>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

class TestChargement : public QObject
{
    Q_OBJECT

private slots:
    void etatInitial()
    {
        LoadingDialog d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Automatisation"));
        QCOMPARE(d.ui.groupBox->title(), QStringLiteral("Export/import"));
        QCOMPARE(d.ui.label->text(), QStringLiteral("Entrée : "));
        QCOMPARE(d.ui.label_2->text(), QStringLiteral("Sortie  : "));
        QCOMPARE(d.ui.ButtonClose->text(), QStringLiteral("Fermer"));
        QCOMPARE(d.ui.ButtonStop->text(), QStringLiteral("Arrêter"));

        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(d.ui.ButtonClose->isHidden());
        QVERIFY(d.ui.ButtonStop->isHidden());
        QVERIFY(d.ui.listWidget->isHidden());
        QVERIFY(d.ui.label->isVisible());
        QVERIFY(d.ui.labelLoading->movie() != nullptr);

        d.setModeListe();
        QVERIFY(d.ui.label->isHidden());
        QVERIFY(d.ui.label_2->isHidden());
        QVERIFY(d.ui.listWidget->isVisible());

        d.setTitre(QStringLiteral("Automatisation"));
        QCOMPARE(d.ui.groupBox->title(), QStringLiteral("Automatisation"));
        d.setBarreVisible(false);
        QVERIFY(d.ui.progressBar->isHidden());
        d.setBarreVisible(true);
        QVERIFY(d.ui.progressBar->isVisible());
    }

    void listeDansLOrdre()
    {
        LoadingDialog d;
        d.setModeListe();
        d.resize(300, 200);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        for (int i = 0; i < 40; ++i)
            d.ajouterLigne(QStringLiteral("ligne %1").arg(i));
        QCOMPARE(d.ui.listWidget->count(), 40);
        QCOMPARE(d.ui.listWidget->item(0)->text(), QStringLiteral("ligne 0"));
        QCOMPARE(d.ui.listWidget->item(39)->text(), QStringLiteral("ligne 39"));
        // The list follows its last line.
        QScrollBar *barre = d.ui.listWidget->verticalScrollBar();
        QVERIFY(barre->maximum() > 0);
        QTRY_COMPARE(barre->value(), barre->maximum());
    }

    void avancerResteSousLeMaximum_data()
    {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QList<int>>("pas");
        QTest::addColumn<int>("attendu");

        QTest::newRow("trois pas de 3 sous 10") << 10 << QList<int>{3, 3, 3} << 9;
        QTest::newRow("le pas qui dépasserait est ignoré") << 10 << QList<int>{3, 3, 3, 3} << 9;
        QTest::newRow("jusqu'au maximum exactement") << 10 << QList<int>{4, 6} << 10;
        QTest::newRow("pas plus grand que le maximum") << 10 << QList<int>{11, 2} << 2;
        QTest::newRow("maximum 0") << 0 << QList<int>{1, 1} << 0;
    }

    void avancerResteSousLeMaximum()
    {
        QFETCH(int, maximum);
        QFETCH(QList<int>, pas);
        QFETCH(int, attendu);
        LoadingDialog d;
        d.setMaximum(maximum);
        QCOMPARE(d.ui.progressBar->maximum(), maximum);
        for (int n : pas) {
            d.avancer(n);
            QVERIFY(d.ui.progressBar->value() <= maximum);
        }
        QCOMPARE(d.ui.progressBar->value(), attendu);
    }

    void terminerPuisFermer()
    {
        LoadingDialog d;
        d.setModeListe();
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.setArretPossible(true);
        QVERIFY(d.ui.ButtonStop->isVisible());

        d.terminer(QStringLiteral("Operations terminées"));
        QCOMPARE(d.ui.labelTerminated->text(),
                 QStringLiteral("<span style=\" color:#55ff00; font-size:15px;\">Operations terminées</span>"));
        QVERIFY(d.ui.ButtonClose->isVisible());
        QVERIFY(d.ui.ButtonStop->isHidden());
        // The animation gives way to the still picture.
        QVERIFY(d.ui.labelLoading->movie() == nullptr);
        QVERIFY(!d.ui.labelLoading->pixmap().isNull());

        QSignalSpy fermeture(&d, &LoadingDialog::closing);
        QTest::mouseClick(d.ui.ButtonClose, Qt::LeftButton);
        QCOMPARE(fermeture.count(), 1);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.ui.labelTerminated->text(),
                 QStringLiteral("<span style=\" color:#55ff00; font-size:15px;\"></span>"));
    }

    void arreterUneSeuleFois()
    {
        LoadingDialog d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.setArretPossible(true);
        QVERIFY(!d.isArretDemande());
        QSignalSpy arret(&d, &LoadingDialog::arretDemande);
        QTest::mouseClick(d.ui.ButtonStop, Qt::LeftButton);
        QVERIFY(d.isArretDemande());
        QCOMPARE(arret.count(), 1);
        QVERIFY(!d.ui.ButtonStop->isEnabled());
        d.on_ButtonStop_clicked();
        QCOMPARE(arret.count(), 1);
    }

    void fermerPendantUnRunDemandeLArret()
    {
        LoadingDialog d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.setArretPossible(true);
        QSignalSpy arret(&d, &LoadingDialog::arretDemande);
        QSignalSpy fermeture(&d, &LoadingDialog::closing);
        QVERIFY(!d.close());
        QVERIFY(d.isVisible());
        QCOMPARE(arret.count(), 1);
        QCOMPARE(fermeture.count(), 0);

        d.terminer(QStringLiteral("Operations interrompues"));
        QVERIFY(d.close());
        QVERIFY(!d.isVisible());
    }
};

TARNIS_QTEST_MAIN(TestChargement)
#include "test_chargement.moc"
