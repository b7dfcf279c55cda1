#ifndef SETTINGWINDOW_H
#define SETTINGWINDOW_H

#include <QVariantMap>
#include <QWidget>

#include "Ajustement.h"
#include "ui_settingwindow.h"

struct ReglagesVue;

/// The preferences window: volume import, deformation, vision cone and the
/// automatic refine-and-deform loop. The form is read back from the user's settings
/// (QSettings, group "Preferences") when it is made and written there when "Fermer"
/// is pressed; the values then reach the open documents (closing()), and the documents
/// opened next are made with them. "Valeurs par défaut" brings the whole form back to
/// the built-in defaults.
class SettingWindow : public QWidget, public Ui_SettingWindow
{
    Q_OBJECT

public:
    explicit SettingWindow(QWidget *parent = nullptr);

    int getSeuilMinimum() const;
    int getSeuilMaximum() const;
    int getNombreDePointsMinimum() const;
    int getNombreDePointsMaximum() const;

    float getForceInterne() const;
    float getForceExterne() const;
    float getForceDeRetenue() const;
    int getRigidite() const;

    /// Half of the cone angle, in degrees.
    float getDemiAngleCone() const;
    float getTailleCone() const;
    bool isConeDeVision() const;
    /// Shaded triangles and the cloud darkened with depth.
    bool isOmbrage() const;

    int getIterationT26Global() const;
    int getIterationT22Surfaces() const;
    int getIterationT26Angles() const;
    int getIterationT22PointParMaille() const;
    int getIterationDeformation() const;
    /// Number of automatic cycles; 0 when its radio button is not checked.
    int getIterationAutomatisme() const;
    /// Whether drawing is to be cut during the automatic run.
    bool isAffichageCoupe() const;

    /// Sets the window (the two "numbers of points") to the smallest and largest voxel values
    /// of the volume named (Analyze or NIfTI). Empty on success, otherwise the engine's reason
    /// (the window then stays as it was).
    QString fenetreDepuisVolume(const QString &nom);
    /// Volumes: the frame of the volumes opened next (millimetres or voxel indices) and the level
    /// of the boundary the precise fit works on (automatic: Otsu's).
    bool isVolumeEnMillimetres() const;
    bool isNiveauAutomatique() const;
    double getNiveauFrontiere() const;

    /// The judgements of the precise fit, as the console tool's --strays auto|off and
    /// --noise auto|on|off.
    Jugement getJugementIsoles() const;
    Jugement getJugementBruit() const;

    /// Everything a document takes from the form.
    ReglagesVue reglages() const;
    /// Writes the form to the user's settings / reads it back (keys absent keep their values).
    void enregistrer() const;
    void relire();

signals:
    void closing();

private slots:
    void on_seuilMinimumSpinBox_editingFinished();
    void on_seuilMaximumSpinBox_editingFinished();
    void on_nombreDePointsMinimumSpinBox_editingFinished();
    void on_nombreDePointsMaximumSpinBox_editingFinished();
    void on_pushButton_4_clicked();
    void on_pushButton_FenetreVolume_clicked();
    void on_niveauAutomatiqueCheckBox_toggled(bool automatique);
    void on_pushButton_ParamDeform_clicked();
    void on_pushButton_5_clicked();
    void on_radioButton_2_clicked();
    void on_pushButton_3_clicked();
    void valeursParDefaut();

private:
    /// Every value of the form by the name of its field.
    QVariantMap etatFormulaire() const;
    void appliquerEtat(const QVariantMap &etat);

    /// The form as built, before the user's settings were read.
    QVariantMap defautsFormulaire;
};

#endif
