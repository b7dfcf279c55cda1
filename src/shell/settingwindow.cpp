#include "settingwindow.h"

#include "glwidget.h"
#include "ressources.h"

#include "Defauts.h"
#include "Ouverture.h"
#include "raisons.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>

#include <algorithm>

SettingWindow::SettingWindow(QWidget *parent) : QWidget(parent)
{
    initialiserRessources();
    setupUi(this);
    setWindowFlags(windowFlags() | Qt::Tool);
    // Wide enough for every text of the form in the interface's language, none of them cut.
    setFixedSize(QSize(410, 680).expandedTo(sizeHint()));
    // Every value starts from the built-in defaults, whatever the form says.
    on_pushButton_4_clicked();
    on_pushButton_ParamDeform_clicked();
    on_pushButton_5_clicked();
    angleDuCNeDoubleSpinBox->setValue(defauts::angleCone);
    tailleDuCNeDoubleSpinBox->setValue(defauts::rayonCone);
    defautsFormulaire = etatFormulaire();
    connect(pushButtonValeursParDefaut, &QPushButton::clicked, this, &SettingWindow::valeursParDefaut);
    relire();
}

QVariantMap SettingWindow::etatFormulaire() const
{
    QVariantMap etat;
    for (const QSpinBox *b : findChildren<QSpinBox *>())
        etat[b->objectName()] = b->value();
    for (const QDoubleSpinBox *b : findChildren<QDoubleSpinBox *>())
        etat[b->objectName()] = b->value();
    for (const QComboBox *b : findChildren<QComboBox *>())
        etat[b->objectName()] = b->currentIndex();
    for (const QAbstractButton *b : findChildren<QAbstractButton *>())
        if (b->isCheckable())
            etat[b->objectName()] = b->isChecked();
    for (const QGroupBox *b : findChildren<QGroupBox *>())
        if (b->isCheckable())
            etat[b->objectName()] = b->isChecked();
    etat.remove(QString());
    return etat;
}

void SettingWindow::appliquerEtat(const QVariantMap &etat)
{
    // A window taken from a volume may lie beyond the form's ranges: open them first.
    for (QSpinBox *b : {nombreDePointsMinimumSpinBox, nombreDePointsMaximumSpinBox}) {
        const int v = etat.value(b->objectName(), b->value()).toInt();
        b->setRange(std::min(v, b->minimum()), std::max(v, b->maximum()));
    }
    for (QSpinBox *b : findChildren<QSpinBox *>())
        b->setValue(etat.value(b->objectName(), b->value()).toInt());
    for (QDoubleSpinBox *b : findChildren<QDoubleSpinBox *>())
        b->setValue(etat.value(b->objectName(), b->value()).toDouble());
    for (QComboBox *b : findChildren<QComboBox *>())
        b->setCurrentIndex(etat.value(b->objectName(), b->currentIndex()).toInt());
    for (QAbstractButton *b : findChildren<QAbstractButton *>()) {
        if (!b->isCheckable())
            continue;
        // A lone radio button can only be unchecked outside its exclusive mode.
        const bool exclusif = b->autoExclusive();
        b->setAutoExclusive(false);
        b->setChecked(etat.value(b->objectName(), b->isChecked()).toBool());
        b->setAutoExclusive(exclusif);
    }
    for (QGroupBox *b : findChildren<QGroupBox *>())
        if (b->isCheckable())
            b->setChecked(etat.value(b->objectName(), b->isChecked()).toBool());
    on_radioButton_2_clicked();
}

void SettingWindow::enregistrer() const
{
    QSettings reglages;
    reglages.beginGroup(QStringLiteral("Preferences"));
    const QVariantMap etat = etatFormulaire();
    for (auto i = etat.cbegin(); i != etat.cend(); ++i)
        reglages.setValue(i.key(), i.value());
}

void SettingWindow::relire()
{
    QSettings reglages;
    reglages.beginGroup(QStringLiteral("Preferences"));
    QVariantMap etat;
    for (const QString &cle : reglages.childKeys())
        etat[cle] = reglages.value(cle);
    appliquerEtat(etat);
}

void SettingWindow::valeursParDefaut()
{
    appliquerEtat(defautsFormulaire);
}

ReglagesVue SettingWindow::reglages() const
{
    ReglagesVue r;
    r.deform = DeformSetting{getForceInterne(), getForceExterne(), getForceDeRetenue(), getRigidite()};
    r.hdr = HdrSetting{getSeuilMinimum(), getSeuilMaximum(), getNombreDePointsMinimum(), getNombreDePointsMaximum()};
    r.cone = ConeDeVisionSetting{getDemiAngleCone(), getTailleCone()};
    r.ombrage = isOmbrage();
    r.millimetres = isVolumeEnMillimetres();
    r.niveauAutomatique = isNiveauAutomatique();
    r.niveau = getNiveauFrontiere();
    r.isoles = getJugementIsoles();
    r.bruit = getJugementBruit();
    return r;
}

Jugement SettingWindow::getJugementIsoles() const
{
    return pointsIsolesComboBox->currentIndex() == 1 ? Jugement::Non : Jugement::Auto;
}

Jugement SettingWindow::getJugementBruit() const
{
    switch (bruitComboBox->currentIndex()) {
    case 1:
        return Jugement::Oui;
    case 2:
        return Jugement::Non;
    default:
        return Jugement::Auto;
    }
}

int SettingWindow::getSeuilMinimum() const
{
    return seuilMinimumSpinBox->value();
}
int SettingWindow::getSeuilMaximum() const
{
    return seuilMaximumSpinBox->value();
}
int SettingWindow::getNombreDePointsMinimum() const
{
    return nombreDePointsMinimumSpinBox->value();
}
int SettingWindow::getNombreDePointsMaximum() const
{
    return nombreDePointsMaximumSpinBox->value();
}

float SettingWindow::getForceInterne() const
{
    return static_cast<float>(forceInterneDoubleSpinBox->value());
}
float SettingWindow::getForceExterne() const
{
    return static_cast<float>(forceExterneDoubleSpinBox->value());
}
float SettingWindow::getForceDeRetenue() const
{
    return static_cast<float>(forceDeRetenueDoubleSpinBox->value());
}
int SettingWindow::getRigidite() const
{
    return rigiditDuMaillageSpinBox->value();
}

float SettingWindow::getDemiAngleCone() const
{
    return static_cast<float>(angleDuCNeDoubleSpinBox->value() / 2.0);
}
float SettingWindow::getTailleCone() const
{
    return static_cast<float>(tailleDuCNeDoubleSpinBox->value());
}
bool SettingWindow::isOmbrage() const
{
    return checkBoxOmbrage->isChecked();
}

bool SettingWindow::isVolumeEnMillimetres() const
{
    return repereVolumeComboBox->currentIndex() == 1;
}
bool SettingWindow::isNiveauAutomatique() const
{
    return niveauAutomatiqueCheckBox->isChecked();
}
double SettingWindow::getNiveauFrontiere() const
{
    return niveauFrontiereDoubleSpinBox->value();
}

// The level only means something while it is not automatic.
void SettingWindow::on_niveauAutomatiqueCheckBox_toggled(bool automatique)
{
    niveauFrontiereDoubleSpinBox->setEnabled(!automatique);
}

bool SettingWindow::isConeDeVision() const
{
    return checkBoxConeDeVision->isChecked();
}

int SettingWindow::getIterationT26Global() const
{
    return iterationDuRafinageT26GlobalSpinBox->value();
}
int SettingWindow::getIterationT22Surfaces() const
{
    return iterationDuRafinageT22SurfacesSpinBox->value();
}
int SettingWindow::getIterationT26Angles() const
{
    return iterationDuRaffinageT26AnglesSpinBox->value();
}
int SettingWindow::getIterationT22PointParMaille() const
{
    return iterationDuRaffinageT22PointParMailleSpinBox->value();
}
int SettingWindow::getIterationDeformation() const
{
    return iterationDeDeformationSpinBox->value();
}

int SettingWindow::getIterationAutomatisme() const
{
    return radioButton_2->isChecked() ? iterationAutomatismeSpinBox->value() : 0;
}

bool SettingWindow::isAffichageCoupe() const
{
    return checkBoxAffichGraf->isChecked();
}

// Each bound follows the other once its edit is finished, so the minimum can
// never be set above the maximum. The spin box clamps its own value.
void SettingWindow::on_seuilMinimumSpinBox_editingFinished()
{
    seuilMaximumSpinBox->setMinimum(seuilMinimumSpinBox->value());
}

void SettingWindow::on_seuilMaximumSpinBox_editingFinished()
{
    seuilMinimumSpinBox->setMaximum(seuilMaximumSpinBox->value());
}

void SettingWindow::on_nombreDePointsMinimumSpinBox_editingFinished()
{
    nombreDePointsMaximumSpinBox->setMinimum(nombreDePointsMinimumSpinBox->value());
}

void SettingWindow::on_nombreDePointsMaximumSpinBox_editingFinished()
{
    nombreDePointsMinimumSpinBox->setMaximum(nombreDePointsMaximumSpinBox->value());
}

void SettingWindow::on_pushButton_4_clicked()
{
    seuilMinimumSpinBox->setValue(defauts::seuilMin);
    seuilMaximumSpinBox->setValue(defauts::seuilMax);
    nombreDePointsMinimumSpinBox->setValue(defauts::fenetreMin);
    nombreDePointsMaximumSpinBox->setValue(defauts::fenetreMax);
    repereVolumeComboBox->setCurrentIndex(0);
    niveauAutomatiqueCheckBox->setChecked(true);
}

QString SettingWindow::fenetreDepuisVolume(const QString &nom)
{
    int minimum = 0, maximum = 0;
    const Resultat r = plageVolume(nom.toStdString(), minimum, maximum);
    if (!r)
        return traduireRaison(r.raison);
    // Both bounds may move either way: open the ranges before setting the values.
    nombreDePointsMinimumSpinBox->setRange(std::min(minimum, nombreDePointsMinimumSpinBox->minimum()), maximum);
    nombreDePointsMaximumSpinBox->setRange(minimum, std::max(maximum, nombreDePointsMaximumSpinBox->maximum()));
    nombreDePointsMinimumSpinBox->setValue(minimum);
    nombreDePointsMaximumSpinBox->setValue(maximum);
    return QString();
}

void SettingWindow::on_pushButton_FenetreVolume_clicked()
{
    const QString nom =
        QFileDialog::getOpenFileName(this, tr("Fenêtre du volume"), QString(), tr("Volumes (*.hdr *.img *.nii *.nii.gz)"));
    if (nom.isEmpty())
        return;
    const QString raison = fenetreDepuisVolume(nom);
    if (!raison.isEmpty())
        QMessageBox::warning(this, tr("Fenêtre du volume"), tr("La lecture du volume a échoué : %1").arg(raison));
}

void SettingWindow::on_pushButton_ParamDeform_clicked()
{
    forceInterneDoubleSpinBox->setValue(defauts::alpha);
    forceExterneDoubleSpinBox->setValue(defauts::beta);
    forceDeRetenueDoubleSpinBox->setValue(defauts::gamma);
    rigiditDuMaillageSpinBox->setValue(defauts::rigidite);
}

void SettingWindow::on_pushButton_5_clicked()
{
    iterationDuRafinageT26GlobalSpinBox->setValue(defauts::toursT26Global);
    iterationDuRafinageT22SurfacesSpinBox->setValue(defauts::toursT22Surfaces);
    iterationDuRaffinageT26AnglesSpinBox->setValue(defauts::toursT26Angles);
    iterationDuRaffinageT22PointParMailleSpinBox->setValue(defauts::toursT22PointsParMaille);
    iterationDeDeformationSpinBox->setValue(defauts::pasDeformation);
    radioButton_2->setChecked(true);
    iterationAutomatismeSpinBox->setEnabled(true);
    iterationAutomatismeSpinBox->setValue(defauts::tours);
    checkBoxAffichGraf->setChecked(false);
}

// The cycle count only means something while its button is checked.
void SettingWindow::on_radioButton_2_clicked()
{
    iterationAutomatismeSpinBox->setEnabled(radioButton_2->isChecked());
}

void SettingWindow::on_pushButton_3_clicked()
{
    enregistrer();
    emit closing();
    close();
}
