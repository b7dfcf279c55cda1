#include "automaticexec.h"

#include "Lot.h"
#include "Ouverture.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QApplication>
#include <QProcess>

#include <cerrno>
#include <string>
#include <vector>

#include <signal.h>

namespace {

/// Whether a process started detached still runs. It is not this process's child: it is asked
/// by its id (an ended one the system has not reaped yet counts as ended).
bool enCours(qint64 pid)
{
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH))
        return false;
    QFile etat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!etat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray ligne = etat.readAll();
    const qsizetype fin = ligne.lastIndexOf(')');
    return fin < 0 || fin + 2 >= ligne.size() || ligne[fin + 2] != 'Z';
}

} // namespace

AutomaticExec::AutomaticExec(QWidget *parent) : QWidget(parent)
{
    setupUi(this);
    setWindowFlags(windowFlags() | Qt::Tool);
    setFixedSize(540, 500);
    tabWidget->setCurrentIndex(0);
    suivi.setInterval(500);
    connect(&suivi, &QTimer::timeout, this, &AutomaticExec::suivre);
}

AutomaticExec::~AutomaticExec() = default;

QString AutomaticExec::cheminOutil()
{
    return QStringLiteral("./Pelvane/Pelvane.exe");
}

QString AutomaticExec::premiereLigne(const QListWidget *liste)
{
    const QListWidgetItem *item = liste->item(0);
    return item ? item->text() : QString();
}

void AutomaticExec::on_commandLinkButton_clicked()
{
    // Every cloud the opener, and so the console tool, accepts.
    const QString filtre = QStringLiteral("*") + QString::fromStdString(listeSuffixes(true)).replace(", .", " *.");
    const QStringList fichiers =
        QFileDialog::getOpenFileNames(this, tr("selectionner un ou plusieurs fichiers"), QString(), filtre);
    for (const QString &fichier : fichiers)
        listWidget->addItem(fichier);
}

void AutomaticExec::on_commandLinkButton_2_clicked()
{
    const int ligne = listWidget->currentRow();
    if (ligne >= 0)
        delete listWidget->takeItem(ligne);
}

void AutomaticExec::on_pushButton_clicked()
{
    const QString fichier =
        QFileDialog::getOpenFileName(this, tr("selectionner un fichier"), QString(), QStringLiteral("*.smm"));
    if (fichier.isEmpty())
        return;
    listWidget_2->clear();
    listWidget_2->addItem(fichier);
}

void AutomaticExec::on_pushButton_2_clicked()
{
    const QString dossier =
        QFileDialog::getExistingDirectory(this, tr("selectionner un dossier"), QString(), QFileDialog::ShowDirsOnly);
    if (dossier.isEmpty())
        return;
    listWidget_3->clear();
    listWidget_3->addItem(dossier);
}

QStringList AutomaticExec::argumentsPour(const QString &maillageReference, const QString &fichier,
                                         const QString &dossierSortie) const
{
    return {forceInterneDoubleSpinBox->text(),
            forceExterneDoubleSpinBox->text(),
            forceDeRetenueDoubleSpinBox->text(),
            rigiditDuMaillageSpinBox->text(),
            iterationAutomatismeSpinBox->text(),
            iterationDeDeformationSpinBox->text(),
            checkBoxSaveAuto->isChecked() ? QStringLiteral("1") : QStringLiteral("0"),
            maillageReference,
            fichier,
            dossierSortie};
}

AutomaticExec::Lancement AutomaticExec::demarrer(const QString &fichier, const QStringList &arguments) const
{
    Lancement lancement;
    lancement.fichier = fichier;
    lancement.arguments = arguments;

    QProcess processus;
    processus.setProgram(cheminOutil());
    processus.setArguments(arguments);
    lancement.demarre = processus.startDetached(&lancement.pid);
    if (lancement.demarre)
        return lancement;

    const QFileInfo outil(cheminOutil());
    if (!outil.exists())
        lancement.raison =
            tr("l'outil %1 est introuvable dans le dossier de travail %2").arg(cheminOutil(), QDir::currentPath());
    else if (!outil.isExecutable() || outil.isDir())
        lancement.raison = tr("l'outil %1 n'est pas un programme exécutable").arg(outil.absoluteFilePath());
    else
        lancement.raison = processus.errorString();
    return lancement;
}

QString AutomaticExec::dossierPour(const QStringList &fichiers, const QString &fichier, const QString &dossierSortie)
{
    std::vector<std::string> noms;
    noms.reserve(static_cast<std::size_t>(fichiers.size()));
    for (const QString &f : fichiers)
        noms.push_back(QFile::encodeName(f).toStdString());
    const std::string racine = lot::racineCommune(noms);
    return QFile::decodeName(QByteArray::fromStdString(lot::dossierResultats(
        racine, QFile::encodeName(fichier).toStdString(), QFile::encodeName(dossierSortie).toStdString())));
}

void AutomaticExec::on_pushButton_Launch_clicked()
{
    if (listWidget->count() == 0) {
        QMessageBox::information(this, tr("Attention"),
                                 tr("Ajoutez d'abord les fichiers à traiter (« Ajouter »), puis choisissez le "
                                    "maillage simplex de référence et le dossier de sortie des résultats."),
                                 QMessageBox::Ok);
        return;
    }
    lancements.clear();
    QStringList fichiers;
    for (int i = 0; i < listWidget->count(); ++i)
        fichiers << listWidget->item(i)->text();
    for (int i = 0; i < listWidget->count(); ++i) {
        QString maillage = premiereLigne(listWidget_2);
        if (maillage.isEmpty()) {
            QMessageBox::information(this, tr("Attention"),
                                     tr("Vous devez sélectionner un maillage simplex de reference !"), QMessageBox::Ok);
            on_pushButton_clicked();
            maillage = premiereLigne(listWidget_2);
            if (maillage.isEmpty())
                break;
        }
        const QString fichier = listWidget->item(i)->text();

        QString dossier = premiereLigne(listWidget_3);
        if (dossier.isEmpty()) {
            QMessageBox::information(this, tr("Attention"),
                                     tr("Vous devez sélectionner un dossier de sortie des resultats !"),
                                     QMessageBox::Ok);
            on_pushButton_2_clicked();
            dossier = premiereLigne(listWidget_3);
            if (dossier.isEmpty())
                break;
        }

        lancements.append(demarrer(fichier, argumentsPour(maillage, fichier, dossierPour(fichiers, fichier, dossier))));
    }
    if (!lancements.isEmpty())
        rapporter();
    suivre();
}

void AutomaticExec::on_pushButton_Cancel_clicked()
{
    hide();
}

void AutomaticExec::suivre()
{
    int demarres = 0, actifs = 0;
    for (const Lancement &l : lancements)
        if (l.demarre) {
            ++demarres;
            actifs += enCours(l.pid) ? 1 : 0;
        }
    if (demarres == 0) {
        suivi.stop();
        labelEtat->setText(lancements.isEmpty() ? QString() : tr("Aucun traitement n'a été lancé."));
        return;
    }
    if (actifs > 0) {
        labelEtat->setText(tr("Traitements en cours : %1 sur %2").arg(actifs).arg(demarres));
        if (!suivi.isActive())
            suivi.start();
        return;
    }
    const bool annonce = suivi.isActive();
    suivi.stop();
    labelEtat->setText(tr("Traitements terminés (%1) : les résultats sont dans %2")
                           .arg(demarres)
                           .arg(premiereLigne(listWidget_3)));
    if (annonce)
        QApplication::alert(this);
}

void AutomaticExec::rapporter()
{
    QStringList demarres;
    QStringList echecs;
    for (const Lancement &lancement : lancements) {
        if (lancement.demarre)
            demarres << QStringLiteral("  ") + lancement.fichier;
        else
            echecs << QStringLiteral("  %1 : %2").arg(lancement.fichier, lancement.raison);
    }

    QStringList texte;
    if (!demarres.isEmpty())
        texte << tr("Traitements lancés (%1) :").arg(demarres.size()) << demarres;
    if (!echecs.isEmpty()) {
        if (!texte.isEmpty())
            texte << QString();
        texte << tr("Traitements non lancés (%1) :").arg(echecs.size()) << echecs;
    }

    const QString titre = tr("Lancement des traitements");
    if (echecs.isEmpty())
        QMessageBox::information(this, titre, texte.join(QLatin1Char('\n')), QMessageBox::Ok);
    else
        QMessageBox::warning(this, titre, texte.join(QLatin1Char('\n')), QMessageBox::Ok);
}
