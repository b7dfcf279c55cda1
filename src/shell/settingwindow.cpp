#include "settingwindow.h"

#include "ressources.h"

SettingWindow::SettingWindow(QWidget *parent) : QWidget(parent)
{
    initialiserRessources();
    setupUi(this);
    setWindowFlags(windowFlags() | Qt::Tool);
    setFixedSize(410, 600);
}

int SettingWindow::getSeuilMinimum() const { return seuilMinimumSpinBox->value(); }
int SettingWindow::getSeuilMaximum() const { return seuilMaximumSpinBox->value(); }
int SettingWindow::getNombreDePointsMinimum() const { return nombreDePointsMinimumSpinBox->value(); }
int SettingWindow::getNombreDePointsMaximum() const { return nombreDePointsMaximumSpinBox->value(); }

float SettingWindow::getForceInterne() const { return static_cast<float>(forceInterneDoubleSpinBox->value()); }
float SettingWindow::getForceExterne() const { return static_cast<float>(forceExterneDoubleSpinBox->value()); }
float SettingWindow::getForceDeRetenue() const { return static_cast<float>(forceDeRetenueDoubleSpinBox->value()); }
int SettingWindow::getRigidite() const { return rigiditDuMaillageSpinBox->value(); }

float SettingWindow::getDemiAngleCone() const { return static_cast<float>(angleDuCNeDoubleSpinBox->value() / 2.0); }
float SettingWindow::getTailleCone() const { return static_cast<float>(tailleDuCNeDoubleSpinBox->value()); }
bool SettingWindow::isConeDeVision() const { return checkBoxConeDeVision->isChecked(); }

int SettingWindow::getIterationT26Global() const { return iterationDuRafinageT26GlobalSpinBox->value(); }
int SettingWindow::getIterationT22Surfaces() const { return iterationDuRafinageT22SurfacesSpinBox->value(); }
int SettingWindow::getIterationT26Angles() const { return iterationDuRaffinageT26AnglesSpinBox->value(); }
int SettingWindow::getIterationT22PointParMaille() const
{
    return iterationDuRaffinageT22PointParMailleSpinBox->value();
}
int SettingWindow::getIterationDeformation() const { return iterationDeDeformationSpinBox->value(); }

int SettingWindow::getIterationAutomatisme() const
{
    return radioButton_2->isChecked() ? iterationAutomatismeSpinBox->value() : 0;
}

bool SettingWindow::isAffichageCoupe() const { return checkBoxAffichGraf->isChecked(); }

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
    seuilMinimumSpinBox->setValue(150);
    seuilMaximumSpinBox->setValue(255);
    nombreDePointsMinimumSpinBox->setValue(0);
    nombreDePointsMaximumSpinBox->setValue(1000);
}

void SettingWindow::on_pushButton_ParamDeform_clicked()
{
    forceInterneDoubleSpinBox->setValue(1.0);
    forceExterneDoubleSpinBox->setValue(0.05);
    forceDeRetenueDoubleSpinBox->setValue(0.0);
    rigiditDuMaillageSpinBox->setValue(2);
}

void SettingWindow::on_pushButton_5_clicked()
{
    iterationDuRafinageT26GlobalSpinBox->setValue(0);
    iterationDuRafinageT22SurfacesSpinBox->setValue(1);
    iterationDuRaffinageT26AnglesSpinBox->setValue(0);
    iterationDuRaffinageT22PointParMailleSpinBox->setValue(0);
    iterationDeDeformationSpinBox->setValue(5);
    radioButton_2->setChecked(true);
    iterationAutomatismeSpinBox->setEnabled(true);
    iterationAutomatismeSpinBox->setValue(10);
    checkBoxAffichGraf->setChecked(false);
}

// The cycle count only means something while its button is checked.
void SettingWindow::on_radioButton_2_clicked()
{
    iterationAutomatismeSpinBox->setEnabled(radioButton_2->isChecked());
}

void SettingWindow::on_pushButton_3_clicked()
{
    emit closing();
    close();
}
