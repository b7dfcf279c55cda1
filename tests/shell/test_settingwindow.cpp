// The preferences window: its defaults, the bounds that follow each other
// once an edit is finished, the default buttons, the accessors and closing().

#include <QSignalSpy>
#include <QtTest>

#include "settingwindow.h"

class TestSettingWindow : public QObject
{
    Q_OBJECT

private:
    // Types a value into a spin box and presses Enter, as a user does; the box
    // emits editingFinished.
    static void saisir(QAbstractSpinBox *boite, const QString &valeur)
    {
        boite->setFocus();
        boite->selectAll();
        QTest::keyClicks(boite, valeur);
        QTest::keyClick(boite, Qt::Key_Return);
    }

    // The automatic-mode tab as a new window shows it.
    static void verifierAutomatismeParDefaut(SettingWindow &s)
    {
        QCOMPARE(s.getIterationT26Global(), 0);
        QCOMPARE(s.getIterationT22Surfaces(), 1);
        QCOMPARE(s.getIterationT26Angles(), 0);
        QCOMPARE(s.getIterationT22PointParMaille(), 0);
        QCOMPARE(s.getIterationDeformation(), 5);
        QCOMPARE(s.getIterationAutomatisme(), 10);
        QVERIFY(s.iterationAutomatismeSpinBox->isEnabled());
        QVERIFY(!s.isAffichageCoupe());
    }

private slots:
    void defauts()
    {
        SettingWindow s;
        QCOMPARE(s.getSeuilMinimum(), 150);
        QCOMPARE(s.getSeuilMaximum(), 255);
        QCOMPARE(s.getNombreDePointsMinimum(), 0);
        QCOMPARE(s.getNombreDePointsMaximum(), 1000);
        QCOMPARE(s.getForceInterne(), 1.0f);
        QCOMPARE(s.getForceExterne(), 0.05f);
        QCOMPARE(s.getForceDeRetenue(), 0.0f);
        QCOMPARE(s.getRigidite(), 2);
        QCOMPARE(s.getDemiAngleCone(), 22.5f);
        QCOMPARE(s.getTailleCone(), 2000.0f);
        QVERIFY(!s.isConeDeVision());
        verifierAutomatismeParDefaut(s);
        if (QTest::currentTestFailed())
            return;

        // The tool window of the preferences.
        QVERIFY(s.windowFlags() & Qt::Tool);
        QCOMPARE(s.minimumSize(), QSize(410, 600));
        QCOMPARE(s.maximumSize(), QSize(410, 600));
    }

    // "Seuil maximum" 200 caps "Seuil minimum" at 200 (220 comes down);
    // "Seuil minimum" 300 lifts the floor of "Seuil maximum" (255 goes up).
    void bornesQuiSeSuivent()
    {
        SettingWindow s;
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));

        s.seuilMinimumSpinBox->setValue(220);
        saisir(s.seuilMaximumSpinBox, "200");
        QCOMPARE(s.getSeuilMaximum(), 200);
        QCOMPARE(s.seuilMinimumSpinBox->maximum(), 200);
        QCOMPARE(s.getSeuilMinimum(), 200);

        SettingWindow t;
        t.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t));
        saisir(t.seuilMinimumSpinBox, "300");
        QCOMPARE(t.getSeuilMinimum(), 300);
        QCOMPARE(t.seuilMaximumSpinBox->minimum(), 300);
        QCOMPARE(t.getSeuilMaximum(), 300);

        // The window bounds may meet.
        saisir(t.nombreDePointsMaximumSpinBox, "500");
        saisir(t.nombreDePointsMinimumSpinBox, "500");
        QCOMPARE(t.getNombreDePointsMinimum(), 500);
        QCOMPARE(t.getNombreDePointsMaximum(), 500);
        QCOMPARE(t.nombreDePointsMinimumSpinBox->maximum(), 500);
        QCOMPARE(t.nombreDePointsMaximumSpinBox->minimum(), 500);
    }

    // The default buttons set values only: narrowed bounds stay, and clamp.
    void boutonsParDefaut()
    {
        SettingWindow s;
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        saisir(s.seuilMinimumSpinBox, "300");
        s.nombreDePointsMaximumSpinBox->setValue(7);
        QTest::mouseClick(s.pushButton_4, Qt::LeftButton);
        QCOMPARE(s.getSeuilMinimum(), 150);
        QCOMPARE(s.seuilMaximumSpinBox->minimum(), 300);
        QCOMPARE(s.getSeuilMaximum(), 300); // 255 clamped by the narrowed floor
        QCOMPARE(s.getNombreDePointsMinimum(), 0);
        QCOMPARE(s.getNombreDePointsMaximum(), 1000);

        s.forceInterneDoubleSpinBox->setValue(3.5);
        s.forceExterneDoubleSpinBox->setValue(9);
        s.forceDeRetenueDoubleSpinBox->setValue(0.25);
        s.rigiditDuMaillageSpinBox->setValue(40);
        QTest::mouseClick(s.pushButton_ParamDeform, Qt::LeftButton);
        QCOMPARE(s.getForceInterne(), 1.0f);
        QCOMPARE(s.getForceExterne(), 0.05f);
        QCOMPARE(s.getForceDeRetenue(), 0.0f);
        QCOMPARE(s.getRigidite(), 2);

        s.iterationDuRafinageT26GlobalSpinBox->setValue(3);
        s.iterationDuRafinageT22SurfacesSpinBox->setValue(0);
        s.iterationDuRaffinageT26AnglesSpinBox->setValue(4);
        s.iterationDuRaffinageT22PointParMailleSpinBox->setValue(5);
        s.iterationDeDeformationSpinBox->setValue(77);
        s.iterationAutomatismeSpinBox->setValue(123);
        QTest::mouseClick(s.radioButton_2, Qt::LeftButton);
        s.checkBoxAffichGraf->setChecked(true);
        QCOMPARE(s.getIterationAutomatisme(), 0);
        QTest::mouseClick(s.pushButton_5, Qt::LeftButton);
        verifierAutomatismeParDefaut(s);
        if (QTest::currentTestFailed())
            return;
    }

    // The cycle count reads 0 while its button is unchecked, and its spin box
    // follows the button.
    void cyclesAutomatiques()
    {
        SettingWindow s;
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        s.tabWidget->setCurrentIndex(1);
        s.iterationAutomatismeSpinBox->setValue(42);
        QCOMPARE(s.getIterationAutomatisme(), 42);
        QTest::mouseClick(s.radioButton_2, Qt::LeftButton);
        QVERIFY(!s.radioButton_2->isChecked());
        QVERIFY(!s.iterationAutomatismeSpinBox->isEnabled());
        QCOMPARE(s.getIterationAutomatisme(), 0);
        QTest::mouseClick(s.radioButton_2, Qt::LeftButton);
        QVERIFY(s.iterationAutomatismeSpinBox->isEnabled());
        QCOMPARE(s.getIterationAutomatisme(), 42);
    }

    void demiAngleEtCone()
    {
        SettingWindow s;
        s.angleDuCNeDoubleSpinBox->setValue(360);
        QCOMPARE(s.getDemiAngleCone(), 180.0f);
        s.angleDuCNeDoubleSpinBox->setValue(1);
        QCOMPARE(s.getDemiAngleCone(), 0.5f);
        s.angleDuCNeDoubleSpinBox->setValue(0); // below the range: clamped to 1
        QCOMPARE(s.getDemiAngleCone(), 0.5f);
        s.tailleDuCNeDoubleSpinBox->setValue(12.345);
        QCOMPARE(s.getTailleCone(), 12.35f);
        s.checkBoxConeDeVision->setChecked(true);
        QVERIFY(s.isConeDeVision());
        // Forces are read in single precision from a two-decimal box.
        s.forceExterneDoubleSpinBox->setValue(0.333);
        QCOMPARE(s.getForceExterne(), 0.33f);
    }

    // "Fermer" emits closing() while the window is still shown, then hides
    // it; the window's own close does not emit.
    void fermeture()
    {
        SettingWindow s;
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        bool visibleAuSignal = false;
        connect(&s, &SettingWindow::closing, this, [&]() { visibleAuSignal = s.isVisible(); });
        QSignalSpy spy(&s, &SettingWindow::closing);
        QCOMPARE(s.pushButton_3->text(), QString("Fermer"));
        QTest::mouseClick(s.pushButton_3, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QVERIFY(visibleAuSignal);
        QVERIFY(!s.isVisible());

        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        s.close();
        QCOMPARE(spy.count(), 1);
    }
};

QTEST_MAIN(TestSettingWindow)
#include "test_settingwindow.moc"
