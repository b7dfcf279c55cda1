#include "loadingdialog.h"

#include <QCloseEvent>
#include <QMovie>
#include <QPixmap>
#include <QScrollBar>

LoadingDialog::LoadingDialog() : QWidget(nullptr)
{
    ui.setupUi(this);
    setWindowFlags(windowFlags() | Qt::Tool);
    setWindowTitle(tr("Automatisation"));
    ui.ButtonClose->hide();
    ui.ButtonStop->hide();
    ui.listWidget->hide();
    movie = new QMovie(QStringLiteral("loading.gif"), QByteArray(), this);
    ui.labelLoading->setMovie(movie);
    movie->start();
}

LoadingDialog::~LoadingDialog() = default;

void LoadingDialog::setModeListe()
{
    ui.label->hide();
    ui.label_2->hide();
    ui.listWidget->show();
}

void LoadingDialog::setTitre(const QString &titre)
{
    ui.groupBox->setTitle(titre);
    setWindowTitle(titre);
}

void LoadingDialog::setBarreVisible(bool visible)
{
    ui.progressBar->setVisible(visible);
}

void LoadingDialog::setMaximum(int maximum)
{
    ui.progressBar->setMaximum(maximum);
}

void LoadingDialog::ajouterLigne(const QString &ligne)
{
    ui.listWidget->addItem(ligne);
    ui.listWidget->scrollToBottom();
}

void LoadingDialog::avancer(int n)
{
    if (ui.progressBar->maximum() >= n)
        ui.progressBar->setValue(ui.progressBar->value() + n);
}

void LoadingDialog::terminer(const QString &texte, bool interrompu)
{
    // A run that ended well has done all its work, whatever its reports said; a stopped or failed
    // one keeps the bar where it stood, in orange, with the stop sign.
    if (!interrompu)
        ui.progressBar->setValue(ui.progressBar->maximum());
    ui.labelTerminated->setText(QStringLiteral("<span style=\" color:%1; font-size:15px;\">")
                                    .arg(interrompu ? QStringLiteral("#ff8c00") : QStringLiteral("#55ff00")) +
                                texte + QStringLiteral("</span>"));
    ui.ButtonStop->hide();
    ui.ButtonClose->show();
    movie->stop();
    ui.labelLoading->setPixmap(QPixmap(interrompu ? QStringLiteral(":/Icons/Menu_Fichier/rsc/stop.png")
                                                  : QStringLiteral(":/Icons/Menu_Fichier/rsc/clean.png")));
}

void LoadingDialog::setArretPossible(bool possible)
{
    ui.ButtonStop->setVisible(possible);
    ui.ButtonStop->setEnabled(possible && !arret);
}

void LoadingDialog::setCompteurs(const QString &texte)
{
    ui.labelCompteurs->setText(texte);
}

void LoadingDialog::on_ButtonClose_clicked()
{
    ui.ButtonStop->hide();
    emit closing();
    close();
}

void LoadingDialog::on_ButtonStop_clicked()
{
    if (arret)
        return;
    arret = true;
    ui.ButtonStop->setEnabled(false);
    emit arretDemande();
}

void LoadingDialog::closeEvent(QCloseEvent *event)
{
    if (!ui.ButtonStop->isHidden()) {
        on_ButtonStop_clicked();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
