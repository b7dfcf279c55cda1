#ifndef TARNIS_TEST_REPONDEUR_H
#define TARNIS_TEST_REPONDEUR_H

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

#include "ressources.h"

/// Answers the modal message boxes and file dialogs that a test provokes, in
/// the order they appear, and records what each box said. A box or dialog that
/// nobody expected is cancelled and counted, so a test never hangs on it.
class Repondeur : public QObject
{
public:
    struct Boite
    {
        QString titre;
        QString texte;
        QMessageBox::Icon icone;
    };

    Repondeur()
    {
        minuterie.setInterval(10);
        connect(&minuterie, &QTimer::timeout, this, [this]() { verifier(); });
        minuterie.start();
    }

    /// The next message box is answered with its OK button.
    void accepterBoite()
    {
        reponses.push_back([this](QWidget *w) {
            auto *boite = qobject_cast<QMessageBox *>(w);
            if (!boite)
                return false;
            boites.push_back({boite->windowTitle(), boite->text(), boite->icon()});
            boite->button(QMessageBox::Ok) ? boite->button(QMessageBox::Ok)->click() : boite->accept();
            return true;
        });
    }

    /// The next file dialog chooses this path (a file or a folder).
    void choisir(const QString &chemin)
    {
        reponses.push_back([this, chemin](QWidget *w) {
            auto *dialogue = qobject_cast<QFileDialog *>(w);
            if (!dialogue)
                return false;
            titresDialogues.push_back(dialogue->windowTitle());
            dialogue->selectFile(chemin);
            static_cast<QDialog *>(dialogue)->accept();
            return true;
        });
    }

    /// The next file dialog is cancelled.
    void annulerDialogue()
    {
        reponses.push_back([this](QWidget *w) {
            auto *dialogue = qobject_cast<QFileDialog *>(w);
            if (!dialogue)
                return false;
            titresDialogues.push_back(dialogue->windowTitle());
            dialogue->reject();
            return true;
        });
    }

    std::size_t reponsesRestantes() const { return reponses.size(); }

    std::vector<Boite> boites;
    std::vector<QString> titresDialogues;
    int imprevus = 0;

private:
    void verifier()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || w == dernier || !w->isVisible())
            return;
        if (!qobject_cast<QMessageBox *>(w) && !qobject_cast<QFileDialog *>(w))
            return;
        dernier = w;
        if (!reponses.empty() && reponses.front()(w)) {
            reponses.pop_front();
            return;
        }
        ++imprevus;
        if (auto *boite = qobject_cast<QMessageBox *>(w))
            boites.push_back({boite->windowTitle(), boite->text(), boite->icon()});
        static_cast<QDialog *>(w)->reject();
    }

    QTimer minuterie;
    QPointer<QWidget> dernier;
    std::deque<std::function<bool(QWidget *)>> reponses;
};

/// main() of a widget test: the dialogs are the toolkit's own (answerable by
/// the test), numbers are shown in the C locale and the compiled-in pictures
/// are registered.
#define TARNIS_QTEST_MAIN(Classe)                                      \
    int main(int argc, char **argv)                                    \
    {                                                                  \
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);       \
        QLocale::setDefault(QLocale::c());                             \
        QApplication app(argc, argv);                                  \
        initialiserRessources();                                       \
        Classe test;                                                   \
        return QTest::qExec(&test, argc, argv);                        \
    }

#endif
