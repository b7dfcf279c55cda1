#include "repondeur.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QWidget>

Repondeur::Repondeur()
{
    connect(&minuterie, &QTimer::timeout, this, &Repondeur::examiner);
    minuterie.start(20);
}

Repondeur::~Repondeur() = default;

void Repondeur::bouton(QMessageBox::StandardButton b)
{
    reponses.enqueue({true, [this, b](QWidget *w) {
        auto *boite = qobject_cast<QMessageBox *>(w);
        if (boite == nullptr)
            return false;
        boites.append({boite->windowTitle(), boite->text(), boite->icon()});
        QAbstractButton *bouton = boite->button(b);
        if (bouton == nullptr)
            bouton = boite->escapeButton();
        if (bouton)
            bouton->click();
        else
            boite->done(b);
        return true;
    }});
}

void Repondeur::fichier(const QString &chemin, const QString &filtre)
{
    reponses.enqueue({false, [chemin, filtre](QWidget *w) {
        auto *dialogue = qobject_cast<QFileDialog *>(w);
        if (dialogue == nullptr)
            return false;
        if (chemin.isEmpty()) {
            dialogue->reject();
            return true;
        }
        if (!filtre.isEmpty())
            dialogue->selectNameFilter(filtre);
        // Typed as a user would type it: the whole path in the name field.
        auto *nom = dialogue->findChild<QLineEdit *>("fileNameEdit");
        if (nom != nullptr)
            nom->setText(QFileInfo(chemin).absoluteFilePath());
        else
            dialogue->selectFile(QFileInfo(chemin).absoluteFilePath());
        QMetaObject::invokeMethod(dialogue, "accept");
        // When the dialog refused the name this time, try again at the next look.
        return !dialogue->isVisible();
    }});
}

void Repondeur::examiner()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible())
        return;
    auto *boite = qobject_cast<QMessageBox *>(modal);
    auto *dialogue = qobject_cast<QFileDialog *>(modal);
    if (boite == nullptr && dialogue == nullptr)
        return;
    const bool attendu = !reponses.isEmpty() && (boite ? reponses.head().boite : !reponses.head().boite);
    if (!attendu) {
        // Nobody expected this one: note it and close it, so the test fails
        // instead of waiting for ever.
        ++imprevus;
        if (boite)
            boites.append({boite->windowTitle(), boite->text(), boite->icon()});
        qobject_cast<QDialog *>(modal)->reject();
        return;
    }
    if (reponses.head().agir(modal)) {
        reponses.dequeue();
        essais = 0;
    } else if (++essais > 250) {
        ++imprevus;
        qobject_cast<QDialog *>(modal)->reject();
        reponses.dequeue();
        essais = 0;
    }
}

#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <cmath>

#include "glwidget.h"
#include "mainwindow.h"

namespace donnees {

bool ecrireTexte(const QString &chemin, const QByteArray &contenu)
{
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly) && f.write(contenu) == contenu.size();
}

bool ecrirePTS(const QString &chemin, int n, double r)
{
    QByteArray t = "PTS\n" + QByteArray::number(n) + "\n";
    const double orId = M_PI * (3.0 - std::sqrt(5.0));
    for (int i = 0; i < n; ++i) {
        const double y = 1.0 - 2.0 * (i + 0.5) / n;
        const double rayon = std::sqrt(1.0 - y * y);
        const double a = orId * i;
        t += QByteArray::number(r * rayon * std::cos(a)) + " " + QByteArray::number(r * y) + " " +
             QByteArray::number(r * rayon * std::sin(a)) + "\n";
    }
    return ecrireTexte(chemin, t);
}

namespace {
const char *const sommets[] = {"10 0 0", "-10 0 0", "0 10 0", "0 -10 0", "0 0 10", "0 0 -10"};
// Faces of the octahedron, counter-clockwise seen from outside.
const int faces[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
} // namespace

bool ecrireOctaedreOFF(const QString &chemin)
{
    QByteArray t = "OFF\n6 8 12\n";
    for (const char *s : sommets)
        t += QByteArray(s) + "\n";
    for (const auto &f : faces)
        t += "3 " + QByteArray::number(f[0]) + " " + QByteArray::number(f[1]) + " " + QByteArray::number(f[2]) + "\n";
    return ecrireTexte(chemin, t);
}

bool ecrireOctaedreOBJ(const QString &chemin)
{
    QByteArray t = "#\n";
    for (const char *s : sommets)
        t += "v " + QByteArray(s) + "\n";
    for (const auto &f : faces)
        t += "f " + QByteArray::number(f[0] + 1) + " " + QByteArray::number(f[1] + 1) + " " +
             QByteArray::number(f[2] + 1) + " \n";
    return ecrireTexte(chemin, t);
}

QString dossierDonneesPartagees()
{
    const QString d = QStringLiteral(TARNIS_TEST_DATA_DIR);
    return QDir(d).exists() ? d : QString();
}

} // namespace donnees

namespace fenetre {

bool activer(MainWindow &w)
{
    w.show();
    w.raise();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

QList<QMdiSubWindow *> documents(MainWindow &w)
{
    return w.findChild<QMdiArea *>("mdiArea")->subWindowList(QMdiArea::CreationOrder);
}

GLWidget *vue(QMdiSubWindow *f)
{
    return f ? qobject_cast<GLWidget *>(f->widget()) : nullptr;
}

bool pret(MainWindow &w, QAction *a)
{
    return QTest::qWaitFor(
        [&]() {
            if (!w.isActiveWindow())
                w.activateWindow();
            w.checkMenu();
            return a->isEnabled();
        },
        10000);
}

QStringList objets(MainWindow &w)
{
    QStringList l;
    auto *liste = w.findChild<QListWidget *>("listWidget");
    for (int i = 0; i < liste->count(); ++i)
        l << liste->item(i)->text();
    return l;
}

} // namespace fenetre
