// The document view through real events: the mouse turns the camera, the keys move the mesh, or
// the cloud with the tree the deformation searches; the engine's reasons in its boxes, in French
// as the engine gives them or in English, and Qt's own buttons in the interface's language.
#include "MaillageGL.h"
#include "Ouverture.h"
#include "SimplexGL.h"
#include "demarrage.h"
#include "glwidget.h"
#include "kdtree.h"
#include "raisons.h"
#include "automaticexec.h"
#include "fenabout.h"
#include "settingwindow.h"

#include "outils_qt.h"
#include "refine_fixtures.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QTabWidget>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

using namespace tarnis_test;

namespace {

std::vector<point3> deplaces(std::vector<point3> points, int axe, double pas)
{
    for (point3 &p : points)
        (axe == 0 ? p.x : axe == 1 ? p.y : p.z) += pas;
    return points;
}

} // namespace

class TestVue : public QObject
{
    Q_OBJECT

    TempDir dossier;

private slots:
    void annulerEtRetablirChaqueChangement()
    {
        QVERIFY(ecrireFichierPTS(dossier.file("a.pts"), nuageEllipsoide(400, 3, 2, 1.5)));
        QVERIFY(ecrireFichierPTS(dossier.file("b.pts"), nuageEllipsoide(50, 1, 1, 4)));
        QVERIFY(writeFile(dossier.file("o.off"),
                          "OFF\n6 8 0\n1 0 0\n-1 0 0\n0 1 0\n0 -1 0\n0 0 1\n0 0 -1\n"
                          "3 0 2 4\n3 2 1 4\n3 1 3 4\n3 3 0 4\n3 2 0 5\n3 1 2 5\n3 3 1 5\n3 0 3 5\n"));
        GLWidget v(QString::fromStdString(dossier.file("a.pts")), QString());
        v.resize(120, 120);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        const auto etat = [&v]() {
            return empreinte(*v.instanceSimplex) + empreinte(v.instanceSimplex->maillageOrigine) + "nuage\n" +
                   std::to_string(v.instanceMaillage->ListePointsInterets.size()) + " " +
                   std::to_string(kd_size(v.instanceMaillage->kd.get())) + v.getCurentPtsName().toStdString();
        };
        const QString b = QString::fromStdString(dossier.file("b.pts"));
        const QString off = QString::fromStdString(dossier.file("o.off"));
        const struct
        {
            const char *quoi;
            std::function<bool()> faire;
        } cas[] = {
            {"dilatation", [&] { return v.dilatation(1.3), true; }},
            {"centre", [&] { return v.CenterToZero(), true; }},
            {"deux touches", [&] { return QTest::keyClick(&v, Qt::Key_W), QTest::keyClick(&v, Qt::Key_B), true; }},
            {"deformation", [&] { return v.deformationMaillage(3); }},
            {"boucle", [&] { return v.setBoucleDeform(true), QTest::qWait(150), v.setBoucleDeform(false), true; }},
            {"T26", [&] { return v.RaffinageT26(1, 0); }},
            {"T26 angles", [&] { return v.RaffinageT26(1, 1); }},
            {"T22", [&] { return v.RaffinageT22Auto(1, 0); }},
            {"T22 points", [&] { return v.RaffinageT22Auto(1, 1); }},
            {"placement", [&] { return v.placerAutourDuNuage(); }},
            {"ajustement", [&] { return v.ajustementPrecis(); }},
            {"R", [&] { return v.resetMaillage(); }},
            {"import", [&] { return v.setPTS(b); }},
            {"nuage du maillage", [&] { return v.maillageToPts(); }},
            {"maillage OFF", [&] { return v.setMaillage(off); }},
            {"conversion", [&] { return v.triangleToSimplex(); }},
        };
        for (const auto &c : cas) {
            const std::string avant = etat();
            const int pas = v.historique.count();
            QVERIFY2(c.faire(), c.quoi);
            const std::string apres = etat();
            QVERIFY2(apres != avant, c.quoi);
            QCOMPARE(v.historique.count(), pas + 1);
            v.annuler();
            QVERIFY2(etat() == avant, c.quoi);
            v.retablir();
            QVERIFY2(etat() == apres, c.quoi);
        }
        // Undone to the start: the mesh and the cloud as opened, and the document unmodified.
        while (v.historique.canUndo())
            v.annuler();
        QCOMPARE(v.historique.index(), 0);
        QVERIFY(!v.estModifie());
        // A budget below one state keeps only the latest step: one undo, then none left.
        v.budgetHistorique = 1;
        const std::string debut = etat();
        v.dilatation(2);
        const std::string milieu = etat();
        v.dilatation(2);
        QVERIFY(v.tailleHistorique() > 0);
        v.annuler();
        QVERIFY(etat() == milieu && etat() != debut);
        QVERIFY(!v.historique.canUndo());
    }

    // The preferences' judgements reach the fit: a clean cloud is smoothed only when always asked;
    // stray points scattered in the air are set aside (keeping them makes a long fit: not tried).
    void jugementsDeLAjustement()
    {
        std::vector<point3> nuage = nuageEllipsoide(600, 3, 2, 1.5);
        QVERIFY(ecrireFichierPTS(dossier.file("propre.pts"), nuage));
        for (int i = 0; i < 12; ++i)
            nuage.emplace_back(9 * std::sin(1.7 * i), 8 * std::cos(2.3 * i), 7 * std::sin(0.9 * i + 1) + (i % 2 ? 9 : -9));
        QVERIFY(ecrireFichierPTS(dossier.file("isoles.pts"), nuage));
        const auto ajuster = [this](const char *fichier, Jugement bruit) {
            GLWidget v(QString::fromStdString(dossier.file(fichier)), QString());
            v.jugementBruit = bruit;
            const bool fait = v.placerAutourDuNuage() && v.ajustementPrecis();
            return std::pair{fait ? int(v.figuresAjustement.ecartes) : -1, v.figuresAjustement.bruitLisse};
        };
        QCOMPARE(ajuster("propre.pts", Jugement::Auto), std::pair(0, false));
        QCOMPARE(ajuster("propre.pts", Jugement::Oui), std::pair(0, true));
        QVERIFY(ajuster("isoles.pts", Jugement::Auto).first >= 12);
    }

    void cameraALaSourisEtTouches()
    {
        const std::vector<point3> nuage = {{5, 0, 0}, {-5, 1, 1}, {4.5, 2, 2}, {-2, 5, -4}, {3, -4.5, 0.5}};
        QVERIFY(ecrireFichierPTS(dossier.file("test.pts"), nuage));
        GLWidget v(QString::fromStdString(dossier.file("test.pts")), QString());
        v.resize(200, 200);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        // Left button, 10 pixels to the right: 80 sixteenths about y; 3 up: x wraps below zero.
        QTest::mousePress(&v, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QTest::mouseMove(&v, QPoint(60, 50));
        QCOMPARE(v.yRot, 80);
        QCOMPARE(v.xRot, 0);
        QTest::mouseMove(&v, QPoint(60, 47));
        QCOMPARE(v.xRot, 5760 - 24);
        QTest::mouseRelease(&v, Qt::LeftButton, Qt::NoModifier, QPoint(60, 47));
        // Right button: about z.
        QTest::mousePress(&v, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
        QTest::mouseMove(&v, QPoint(30, 22));
        QCOMPARE(v.zRot, 80);
        QCOMPARE(v.xRot, 5760 - 24 + 16);
        QTest::mouseRelease(&v, Qt::RightButton, Qt::NoModifier, QPoint(30, 22));

        const struct
        {
            Qt::Key touche;
            int axe;
            double signe;
        } touches[] = {{Qt::Key_W, 0, 1},  {Qt::Key_X, 0, -1}, {Qt::Key_C, 1, 1},
                       {Qt::Key_V, 1, -1}, {Qt::Key_B, 2, 1},  {Qt::Key_N, 2, -1}};
        std::vector<point3> attendu = positions(v.instanceSimplex->ListePointsSimplex);
        for (const auto &t : touches) {
            QTest::keyClick(&v, t.touche);
            attendu = deplaces(attendu, t.axe, t.signe * 1.25);
            QVERIFY(positions(v.instanceSimplex->ListePointsSimplex) == attendu);
        }
        for (Qt::Key k : {Qt::Key_A, Qt::Key_Left, Qt::Key_Space})
            QTest::keyClick(&v, k);
        QVERIFY(positions(v.instanceSimplex->ListePointsSimplex) == attendu);
        QVERIFY(v.instanceMaillage->ListePointsInterets == nuage);

        // The cloud moves with its tree.
        v.setDeplaceSimplex(false);
        QTest::keyClick(&v, Qt::Key_B);
        const std::vector<point3> bouge = deplaces(nuage, 2, 1.25);
        QVERIFY(v.instanceMaillage->ListePointsInterets == bouge);
        QCOMPARE(kd_size(v.instanceMaillage->kd.get()), bouge.size());
        for (const point3 &p : bouge) {
            kd_result *r = kd_closest3(v.instanceMaillage->kd.get(), p.x, p.y, p.z);
            double pos[3] = {0, 0, 0};
            kd_result_point(r, pos);
            kd_result_release(r);
            QVERIFY(point3(pos[0], pos[1], pos[2]) == p);
        }
    }

    void couleursDesEcartsAuxDeuxBoutsDeLEchelle()
    {
        // A point on the surface, one three times as far from the centre (the scale's end: the
        // 95th percentile of two), one set aside: blue, red, grey; the legend only while shown.
        QVERIFY(ecrireFichierPTS(dossier.file("e.pts"), {{5, 0, 0}, {-5, 1, 1}, {4.5, 2, 2}, {-2, 5, -4}}));
        GLWidget v(QString::fromStdString(dossier.file("e.pts")), QString());
        QVERIFY(v.instanceSimplex->trianguler().reussi());
        const point3 p = v.instanceSimplex->maillageTriangule.listeSommets[0];
        v.instanceMaillage->ListePointsInterets = {p, point3(3 * p.x, 3 * p.y, 3 * p.z), point3(0, 0, 0)};
        v.calculerEcarts({2});
        QCOMPARE(v.ecartsNuage.couleurs, std::vector<float>({0, 0, 1, 1, 0, 0, 0.55f, 0.55f, 0.55f}));
        QCOMPARE(GLWidget::couleurEcart(0.5), (std::array<float, 3>{0, 1, 0}));
        QVERIFY(v.findChild<QLabel *>() == nullptr || !v.findChild<QLabel *>()->isVisibleTo(&v));
        v.setCouleursEcarts(true);
        QVERIFY(v.findChild<QLabel *>() && v.findChild<QLabel *>()->isVisibleTo(&v));
    }

    void raisonsDuMoteurTraduites()
    {
        // Real failures: a cloud cut short (its name holds "%2", kept as it is), a mesh file of no
        // known kind, an SMM file with a neighbour out of range, an open triangle mesh refused by
        // the conversion, a volume without its image.
        const std::string pts = dossier.file("court%2.pts"), smm = dossier.file("faux.smm"),
                          voisin = dossier.file("voisin.smm"), off = dossier.file("ouvert.off"),
                          hdr = dossier.file("absent.hdr");
        QVERIFY(writeFile(pts, "PTS\n5\n0 0 0\n1 1 1\n") && writeFile(smm, "OFX\n") &&
                writeFile(voisin, "SMM\n4 0\n0 0 0 1 2 9\n1 0 0 0 2 3\n0 1 0 0 1 3\n0 0 1 0 1 2\n") &&
                writeFile(off, "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"));
        auto boites = [&]() {
            GLWidget nuage(QString::fromStdString(pts), QString()), maillage(QString(), QString::fromStdString(smm)),
                voisins(QString(), QString::fromStdString(voisin)), triangles(QString(), QString::fromStdString(off));
            triangles.triangleToSimplex();
            return QStringList{nuage.derniereErreur(), maillage.derniereErreur(), voisins.derniereErreur(),
                               triangles.derniereErreur(),
                               SettingWindow().fenetreDepuisVolume(QString::fromStdString(hdr))};
        };
        Maillage m;
        Simplex s, u, t;
        int bas = 0, haut = 0;
        const Resultat r[] = {ouvrirNuage(pts, m, ReglagesVolume()), ouvrirMaillage(smm, s), ouvrirMaillage(voisin, u),
                              ouvrirMaillage(off, t).reussi() ? t.convertirTriangles() : Resultat(),
                              plageVolume(hdr, bas, haut)};
        QStringList francais;
        for (const Resultat &x : r)
            francais << QString::fromStdString(x.texte());
        francais[0] += QStringLiteral(" ; les 2 points lus sont ouverts");
        QCOMPARE(boites(), francais);

        QTranslator anglais;
        QVERIFY(anglais.load(QStringLiteral(TARNIS_QM_FILE)));
        QCoreApplication::installTranslator(&anglais);
        const auto q = [](const std::string &nom) { return QString::fromStdString(nom); };
        QCOMPARE(boites(),
                 (QStringList{"“" + q(pts) +
                                  "” incomplete: 5 points announced, 2 read; reading stopped at line "
                                  "5 (point 3): the file ends there; the 2 points read are open",
                              q(smm) + ", line 1: wrong format (the first line must start with OFF, SM or SMM)",
                              q(voisin) + ", line 3: point 0: neighbour index 9 outside 0..3",
                              "triangleToSimplex: the mesh is open: edge 0-1 belongs to one face only",
                              "volume “" + q(hdr).chopped(4) + "” (.hdr, .img): image: “" + q(hdr).chopped(4) +
                                  ".img” cannot be opened (file not found)"}));
        QCoreApplication::removeTranslator(&anglais);
    }

    // Every label and check box of the preferences (on every tab) and of the automatic mode's
    // and the about dialogs shows its whole text at the dialog's own size, in French and English.
    void dialoguesSansTexteCoupe()
    {
        QTranslator anglais;
        QVERIFY(anglais.load(QStringLiteral(TARNIS_QM_FILE)));
        for (const bool en : {false, true}) {
            if (en)
                QCoreApplication::installTranslator(&anglais);
            SettingWindow preferences;
            AutomaticExec automatique;
            FenAbout apropos;
            for (QWidget *w : {static_cast<QWidget *>(&preferences), static_cast<QWidget *>(&automatique),
                               static_cast<QWidget *>(&apropos)}) {
                w->show();
                QVERIFY(QTest::qWaitForWindowExposed(w));
                QList<QTabWidget *> onglets = w->findChildren<QTabWidget *>();
                for (int i = 0; i < (onglets.isEmpty() ? 1 : onglets[0]->count()); ++i) {
                    if (!onglets.isEmpty())
                        onglets[0]->setCurrentIndex(i);
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                    for (QWidget *t : w->findChildren<QWidget *>()) {
                        const auto *l = qobject_cast<QLabel *>(t);
                        if ((l && !l->wordWrap() && l->pixmap().isNull()) || qobject_cast<QCheckBox *>(t))
                            QVERIFY2(!t->isVisible() || t->width() >= t->sizeHint().width(),
                                     qPrintable(QString::number(en) + t->objectName()));
                    }
                }
            }
        }
        QCoreApplication::removeTranslator(&anglais);
    }

    // Qt's own buttons speak the interface's language: French without our English file in the
    // working folder, English with it, whatever the system's locale.
    void boutonsDuToolkitDansLaLangue()
    {
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_fr.qm"))
            QSKIP("Qt's French translation is not installed (qt6-translations-l10n)");
        const QString ici = QDir::currentPath();
        QStringList textes;
        for (const QString &d : {QString::fromStdString(dossier.path()), QFileInfo(TARNIS_QM_FILE).path()}) {
            QDir::setCurrent(d);
            QTranslator nous, qt;
            const bool anglais = installerTraductions(nous, qt);
            textes << QString::number(anglais) + QDialogButtonBox(QDialogButtonBox::Cancel).buttons().value(0)->text();
        }
        QDir::setCurrent(ici);
        QCOMPARE(textes, (QStringList{"0Annuler", "1Cancel"}));
    }

    // Every code of the catalogue has its French pattern and a finished English translation that
    // keeps the pattern's arguments: a code added without its English cannot pass. The codes are
    // listed with both texts.
    void chaqueCodeASonAnglais()
    {
        QFile ts(QStringLiteral(TARNIS_SOURCE_DIR "/src/shell/quolvex_en.ts"));
        QVERIFY(ts.open(QIODevice::ReadOnly));
        QSet<QString> inacheves; // sources of the "Moteur" context whose translation is unfinished
        QXmlStreamReader xml(&ts);
        QString contexte, source;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("name"))
                contexte = xml.readElementText();
            else if (xml.name() == QLatin1String("source"))
                source = xml.readElementText();
            else if (xml.name() == QLatin1String("translation") && contexte == QLatin1String("Moteur") &&
                     xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished"))
                inacheves.insert(source);
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));

        QTranslator anglais;
        QVERIFY(anglais.load(QStringLiteral(TARNIS_QM_FILE)));
        const QRegularExpression argument(QStringLiteral("%\\d+"));
        auto arguments = [&](const QString &texte) {
            QStringList liste;
            for (const QRegularExpressionMatch &a : argument.globalMatch(texte))
                liste << a.captured();
            liste.sort();
            return liste;
        };
        QSet<QString> vus;
        for (std::size_t i = 1; i < nombreDeCodes; ++i) {
            const QString motif = QString::fromUtf8(motifRaison(static_cast<CodeRaison>(i)));
            QVERIFY2(!motif.isEmpty(), qPrintable(QString::number(i)));
            QVERIFY2(!vus.contains(motif), qPrintable(motif)); // one code per pattern
            vus.insert(motif);
            const QString traduit = anglais.translate("Moteur", motif.toUtf8().constData());
            QVERIFY2(!traduit.isEmpty() && traduit != motif && !inacheves.contains(motif), qPrintable(motif));
            QCOMPARE(arguments(traduit), arguments(motif));
            qInfo("%zu\t%s\t%s", i, qPrintable(motif), qPrintable(traduit));
        }
    }
};

TARNIS_QTEST_MAIN(TestVue)
#include "test_vue.moc"
