#ifndef TARNIS_GLWIDGET_H
#define TARNIS_GLWIDGET_H

#ifdef TARNIS_MOTEUR
#error "le moteur ne dessine pas : cet en-tête appartient au dessin ou à la vue"
#endif

#include "Ajustement.h"
#include "Defauts.h"
#include "Progression.h"
#include "Resultat.h"

#include <functional>
#include <QOpenGLWidget>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QUndoStack>

#include <cstdint>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "point3.h"

class Simplex;
class Maillage;
struct kd_tree;
class SimplexGL;
class MaillageGL;
class QLabel;
class QKeyEvent;
class QOpenGLFramebufferObject;
class QMouseEvent;
class QShowEvent;
class QWheelEvent;

/// Weights of the deformation: internal, external and retention forces, and the rigidity depth.
struct DeformSetting
{
    float alpha;
    float beta;
    float gamma;
    int rigid;
};

/// Grey-level thresholds and voxel-value window of the volume import.
struct HdrSetting
{
    int seuilMin;
    int seuilMax;
    int min;
    int max;
};

/// Vision cone of the deformation: half-angle in degrees and radius.
struct ConeDeVisionSetting
{
    float angle;
    float rayon;
};

struct EtatMaillage;
struct EtatNuage;

/// The mesh and the cloud as one step of a document's history keeps them. Steps whose content
/// is the same share one state, so a step that did not touch the cloud costs nothing for it.
struct EtatDocument
{
    std::shared_ptr<const EtatMaillage> maillage;
    std::shared_ptr<const EtatNuage> nuage;
};

/// What the preferences hand to a document, set before its files are read: the settings above,
/// the shading and the volume frame and boundary level (the defaults of a view opened alone).
struct ReglagesVue
{
    DeformSetting deform{defauts::alpha, defauts::beta, defauts::gamma, defauts::rigidite};
    HdrSetting hdr{defauts::seuilMin, defauts::seuilMax, defauts::fenetreMin, defauts::fenetreMax};
    ConeDeVisionSetting cone{static_cast<float>(defauts::angleCone), static_cast<float>(defauts::rayonCone)};
    bool ombrage = true;
    bool millimetres = false;
    bool niveauAutomatique = true;
    double niveau = 0;
    /// The precise fit's judgements on the data (see GLWidget::jugementIsoles).
    Jugement isoles = Jugement::Auto;
    Jugement bruit = Jugement::Auto;
};

/// Where the reads that run off the window's thread report: their share done and a stop for
/// all of them. One for the application, made before any document, so that a window may follow
/// the read of a document still being made.
class SuiviLectures : public QObject
{
    Q_OBJECT

public:
    static SuiviLectures &instance();
    /// Whether a stop was asked since the read that started at generation `depuis` began.
    bool arretDemande(std::uint64_t depuis) const { return arret >= depuis; }

signals:
    /// A read of that file has done that share (0..1); fin when it has ended.
    void avance(const QString &fichier, double fraction, bool fin);

public slots:
    /// Stops the reads running now, at their next report.
    void arreter() { arret = generation; }

private:
    friend class GLWidget;
    std::uint64_t generation = 0;
    std::uint64_t arret = 0;
};

/// One document and its view: a simplex mesh, a point cloud with its kd-tree, the three slabs of the
/// cloud, the settings of the deformation and of the volume import, an orthographic camera.
///
/// Every operation that loads, converts or writes returns true on success; on failure it returns false,
/// keeps the reason in derniereErreur() and emits operationEchouee(). No exception from the engines
/// leaves the view. The moves (dilatation, CenterToZero, the keys) return nothing and report a
/// failure through operationEchouee() only.
class GLWidget : public QOpenGLWidget
{
    Q_OBJECT

public:
    /// Cloud file and mesh file, either may be empty. A cloud without a mesh gets the template
    /// "./SMM_/icosa.smm" (read relative to the working directory). No parent: the document area
    /// adopts the view. Whether the files could be read is in derniereErreur() (empty when all went well).
    explicit GLWidget(QString PTSAOuvrir = QString(), QString MaillageAOuvrir = QString(),
                      const ReglagesVue &reglages = ReglagesVue());
    ~GLWidget() override;

    GLWidget(const GLWidget &) = delete;
    GLWidget &operator=(const GLWidget &) = delete;

    /// 100 x 100.
    QSize sizeHint() const override;
    /// Samples a pixel of the views made from now on (4; none where OpenGL draws in software,
    /// where multisampling doubles the time of a picture).
    static inline int echantillonsVoulus = 4;

    // Queries.
    /// The stored mesh name, or an empty (not null) string.
    QString getCurentSimplexName() const;
    /// The stored cloud name, or an empty (not null) string.
    QString getCurentPtsName() const;
    /// 0 when there is no mesh name, otherwise the number of simplex points (while a fit runs,
    /// those of the level drawn).
    int getNbPtSimplex() const;
    /// 0 when there is no cloud name, otherwise the number of cloud points.
    int getNbPts() const;
    /// Reason of the last failed operation; empty after an operation that succeeded.
    QString derniereErreur() const { return erreur; }
    /// After a mesh export written with six significant digits: what the rounding moves, when it
    /// is more than a tenth of the last fit's mean distance (naming PLY); empty otherwise.
    QString dernierAvertissement() const { return avertissement; }
    /// Whether a file given at construction was refused: the view then holds nothing of it (a
    /// file accepted with a warning, such as a cloud cut short, is not refused).
    bool fichierRefuse() const { return refuse; }
    /// Viewport set by the last setupViewport, in device pixels (x, y, width, height).
    QRect viewportCourant() const { return viewport; }
    /// The viewport for a drawable of width x height: a centred square when proportions are kept.
    static QRect calculViewport(int width, int height, bool conservProp);
    /// Brings an angle in sixteenths of a degree into 0..5760 (5760 itself is kept).
    static int normaliserAngle(int angle);

    // Document state. Plain data, read by the main window and the tests; change it through the slots.
    QString suffixeSimplex;
    QString suffixePts;
    std::unique_ptr<MaillageGL> coupeX;
    std::unique_ptr<MaillageGL> coupeY;
    std::unique_ptr<MaillageGL> coupeZ;
    QString nomSimplex;
    QString nomPts;
    QString nomSortieMaillage;
    std::string nomSortiePts;
    int xRot = 0; ///< sixteenths of a degree
    int yRot = 0;
    int zRot = 0;
    float zoom = 100.0f; ///< half-width of the orthographic view volume
    double pasDeplacement = 1.25;
    QPoint lastPos{0, 0};
    QTimer timer;
    std::unique_ptr<SimplexGL> instanceSimplex;
    /// The cloud. It is never changed in place: a change makes a new one, so that the history's
    /// steps can share it.
    std::shared_ptr<MaillageGL> instanceMaillage;
    std::vector<point3> pointsVolume;
    int dejaDeforme = 0;
    int coupe = 0;             ///< 0 none, 1 x, 2 y, 3 z
    int modeDisplayMaille = 1; ///< 0 points, 1 wire frame, 2 cells, 3 triangles
    int tailleTrancheCoupe = 5;
    int coordCoupe = 0;
    bool boucleDeform = false;
    bool affichePT = true;
    bool afficheEcarts = false;
    QLabel *legendeEcarts = nullptr;
    void dessinerPointsDuNuage(); // in their distance colours when those are shown and current
    void mettreAJourLegende();
    bool conservProp = true;
    bool deplaceSimplex = true;
    bool affichGraf = true;
    bool operationEnabled = true;
    bool cone = false;
    bool estTriangule = false;
    /// The judgements of the fit on the data: stray points set aside (Auto or Non) and the noisy
    /// cloud smoothed (Auto, Oui or Non), as the console tool's --strays and --noise.
    Jugement jugementIsoles = Jugement::Auto;
    Jugement jugementBruit = Jugement::Auto;
    DeformSetting deformSetting{defauts::alpha, defauts::beta, defauts::gamma, defauts::rigidite};
    HdrSetting hdrSetting{defauts::seuilMin, defauts::seuilMax, defauts::fenetreMin, defauts::fenetreMax};
    /// Volumes: the frame a volume is opened in (voxel indices, the default, or world millimetres),
    /// and the level of the boundary the precise fit works on (Otsu's unless given).
    struct VolumeSetting
    {
        bool millimetres = false;
        bool automatique = true;
        double niveau = 0;
    } volumeSetting;
    /// The document's volume file, its frame as shown ("" for a point cloud) and the level of the
    /// boundary of the last precise fit ("" before any).
    std::string fichierVolume;
    bool volumeEnMillimetres = false;
    QString repereVolume;
    QString niveauVolume;
    /// A whole cloud of at least this many points is drawn once into a kept layer, which the
    /// repaints copy back as long as the camera, the size and the cloud stay the same (the
    /// picture is the same; only the cost changes). 0 keeps a layer for every cloud.
    std::size_t seuilCoucheNuage = 100000;
    /// A still cloud of at least this many points is drawn into that layer a few parts a
    /// picture, each an even share of it, so that no picture takes long: it fills in over the
    /// next pictures (a few seconds for millions of points drawn in software).
    std::size_t seuilNuageParParts = 1000000;
    /// Points of a part, about, and the time the parts of one picture may take (one part at least).
    std::size_t pointsParPart = 50000;
    int msParImage = 40;
    /// Whether the still cloud's layer is still filling in.
    bool nuageEnCours() const { return coucheIncomplete; }
    /// The point the camera looks at: it is the centre of the picture. (0, 0, 0) at start.
    point3 centreVue;
    /// Radius of the scene about centreVue when it was last framed (0: never framed); it sets the
    /// depth of the view volume and the depth shading of the cloud.
    double rayonVue = 0.0;
    /// Triangles shaded by a light that follows the camera, cloud points darkened with depth.
    bool ombrage = true;
    /// While the camera moves, a cloud of at least this many points is drawn as an evenly spread
    /// subset sized to keep the frame rate (all of it where the pictures are fast enough); the
    /// whole cloud is drawn once the camera is still.
    std::size_t seuilNuageReduit = 20000;
    /// Points of that subset (adjusted after each reduced picture from the time it took).
    std::size_t budgetNuageReduit = 150000;
    /// Distances after the last completed precise fit, in % of the cloud's bounding-box diagonal:
    /// cloud to surface, then surface to cloud (the surface's samples to their nearest cloud
    /// point: a surface astray where there are no points shows there). valide false before any.
    struct FiguresVue
    {
        bool valide = false;
        double moyenne = 0, centile95 = 0, maximum = 0;
        double moyenneSurface = 0, centile95Surface = 0, maximumSurface = 0;
        std::uint64_t maillage = 0; ///< fingerprint of the mesh they were measured on
        std::size_t ecartes = 0;    ///< cloud points the fit set aside (not measured)
        int parties = 0, genre = 0; ///< of the fitted surface (its triangulation)
        std::size_t croisements = 0; ///< pairs of its triangles that cross (it passes through itself), decided exactly
        double volume = 0, aire = 0; ///< the volume it encloses and its area, in the cloud's units
        bool bruitLisse = false;    ///< the cloud was found noisy and smoothed for the fit
        std::uint64_t nuage = 0;    ///< fingerprint of the cloud they were measured against
        /// Cloud to surface over every point, those set aside included, and the cloud's size.
        double moyenneTous = 0, centile95Tous = 0, maximumTous = 0;
        std::size_t points = 0;
    } figuresAjustement;
    /// The cloud coloured by each point's distance to the triangulated mesh (calculerEcarts, after
    /// each precise fit): blue on the surface through green and yellow to red at the end of the
    /// scale and beyond, grey for the points the fit set aside.
    struct EcartsNuage
    {
        std::vector<float> couleurs; ///< r, g, b of each cloud point
        double fin = 0;              ///< end of the scale, in the cloud's units
        double diagonale = 0;        ///< of the cloud's bounding box
        std::size_t ecartes = 0;     ///< points set aside
        std::uint64_t nuage = 0;     ///< fingerprint of the cloud they colour
    } ecartsNuage;
    /// Computes ecartsNuage for the cloud shown: `ecartes` are the indices (increasing) of the
    /// points set aside. The scale ends at the 95th percentile of the other points' distances
    /// (at least 0.05 % of the diagonal), so that a few far points do not wash the rest out.
    void calculerEcarts(const std::vector<std::size_t> &ecartes);
    /// Shows the cloud in those colours, with their legend, or in its own colour.
    void setCouleursEcarts(bool actif);
    bool couleursEcarts() const { return afficheEcarts; }
    /// Colour of the share t of the scale (0: on the surface, 1: its end or beyond).
    static std::array<float, 3> couleurEcart(double t);
    /// While a precise fit runs, its mesh is in a frame of its own or halfway through a
    /// refinement: the view then draws, and frames on, the wire frame of the last completed level
    /// in the cloud's frame (the mesh as it was at the start before the first), as segment ends.
    /// Empty outside a fit.
    const std::vector<point3> &maillageDessine() const { return maillageFige; }
    /// Whether figuresAjustement describe the document as it is now: the mesh not moved, deformed
    /// or replaced since, and the cloud not moved or replaced (by an import, say) either.
    bool figuresAJour() const;
    /// Whether the cloud is no longer the one the figures were measured against.
    bool nuageChangeDepuisFigures() const;
    /// Pictures drawn since the view was made (the idle timer draws none while nothing changes).
    int peintures = 0;
    /// Whether the mesh or the cloud changed since the document was opened or its mesh last
    /// written (by content: a change undone by hand counts as none).
    bool estModifie() const;
    /// The document as it is now is the one kept on disk.
    void marquerEnregistre();
    /// Whether the last picture showed the cloud reduced.
    bool imageReduite() const { return derniereImageReduite; }
    /// The document's history: each change to the mesh or the cloud is one step (a deformation
    /// loop, an automatic run or a fit is one step whatever its length).
    QUndoStack historique;
    /// Bytes the states of the history may take together; past it the oldest steps are dropped
    /// (the latest step always stays).
    std::size_t budgetHistorique = std::size_t{256} << 20;
    /// Bytes taken now by the states the history's steps hold (a shared state counts once).
    std::size_t tailleHistorique() const;
    /// Whether the history may move now: not while a fit, a deformation loop or a step runs.
    bool historiqueDisponible() const
    {
        return !ajustementEnCours && profondeurEtape == 0 && !boucleDeform && !lectureEnCours;
    }
    /// Whether a file is being read into the document (lireEnFond): nothing else may touch it.
    bool litEnFond() const { return lectureEnCours; }
    /// Whether a precise fit is running on the document (off the window's thread).
    bool ajuste() const { return ajustementEnCours; }
    /// Whether the document is busy with a read or a fit: it takes no change until it is done;
    /// the camera still moves.
    bool occupe() const { return lectureEnCours || ajustementEnCours; }
    /// The fits whose window stopped waiting for them end alone; this waits for them (at quit).
    static void attendreTravauxAbandonnes();
    /// Opens a step of the history: the changes until the matching terminerEtape are one step.
    /// Steps nest; only the outermost is recorded.
    void commencerEtape();
    /// Closes it; it is recorded under that name when the mesh or the cloud changed. Steps of
    /// the same non-negative fusion number that follow each other become one.
    void terminerEtape(const QString &nom, int fusion = -1);
    /// Factor of the view's half-width per notch of the mouse wheel (towards the scene: smaller).
    static constexpr double facteurMolette = 1.2;

signals:
    /// Emitted with the reason whenever an operation fails (also for a failure inside a repaint,
    /// where nobody receives a return value).
    void operationEchouee(const QString &raison);
    /// Emitted when estModifie() turns true or false (checked with the idle timer).
    void modificationChangee(bool modifie);
    /// Emitted after an undo or a redo put the mesh and the cloud of another step back.
    void documentRestaure();

public slots:
    // Loading.
    /// Replaces the cloud by the file's (PTS, or an Analyze volume by its .hdr or .img name).
    bool setPTS(QString FileInPTS);
    /// Reads a mesh file (SMM, OFF, OBJ) into the simplex object.
    bool setMaillage(QString FileInMaillage);
    /// Reloads the mesh from its file, or the template when there is none.
    bool resetMaillage();

    // Operations.
    /// Runs that many deformation steps (stops early when operationEnabled is cleared).
    bool deformationMaillage(int iteration);
    /// Runs an engine operation on the document's mesh, cloud index and retention flag, then
    /// brings the view in line (triangles no longer shown as current, slices recomputed). The
    /// operation's progression may run the event loop and the document may close meanwhile:
    /// the progression must then answer stop, and nothing of the view is touched afterwards.
    /// A failure is reported as any operation's (derniereErreur, operationEchouee).
    Resultat operationMoteur(const std::function<Resultat(Simplex &, kd_tree *, int &retention)> &travail);
    /// critere 0: T26 global; otherwise T26 by angles.
    bool RaffinageT26(int iteration, int critere = 0);
    /// critere 0: T22 by surfaces; otherwise T22 by points per cell.
    bool RaffinageT22Auto(int iteration, int critere = 0);
    void dilatation(double coef);
    /// Moves the simplex mesh onto the centre of the cloud's bounding box.
    void CenterToZero();
    /// Triangulates the simplex mesh and shows the triangles.
    bool Triangularisation();
    /// Converts a triangle mesh read from an OFF file into a simplex mesh.
    bool triangleToSimplex();
    /// Makes the cloud from the mesh's points (or from the triangle mesh's vertices).
    bool maillageToPts();
    /// Rebuilds the kd-tree over exactly the current cloud.
    bool remplisKDTree();
    /// Writes the mesh; the format follows the ending: .sm, .smm, .off, .obj.
    bool ExportMaillageWithLoading(QString FileOUT);
    bool ExportMaillage();
    /// Writes the cloud as PTS (the extracted points for a volume).
    bool ExportPTSWithLoading(std::string fileName);
    bool ExportPTS();
    /// Undoes or redoes one step of the history (nothing while historiqueDisponible() is false).
    void annuler();
    void retablir();
    /// Waits msec milliseconds without processing events.
    void Sleep(int msec);

    // Settings and flags.
    /// All the settings at once; they act on what is read, deformed or drawn next.
    void appliquerReglages(const ReglagesVue &r);
    void setDeformSetting(float alpha, float beta, float gamma, int rigid);
    void setHdrSetting(int seuilMin, int seuilMax, int min, int max);
    /// The frame applies to the volumes opened afterwards, the level to the next precise fit.
    void setVolumeSetting(bool millimetres, bool automatique, double niveau);
    /// Stores both values, as doubles, in the simplex mesh's AngleCone and RayonCone.
    void setConeDeVisionSetting(float angle, float rayon);
    void setBoucleDeform(bool is_ = false, bool cone = false);
    void setConservProp(bool a);
    void setAffichePT(bool a);
    void setDeplaceSimplex(bool i);
    void setAffichGraf(bool a);
    void setOperationEnabled(bool a);
    /// Values 4 and above change nothing.
    void setModeDisplayMaille(int i);

    // Slices.
    /// 0 none, 1 x, 2 y, 3 z; 4 and above change nothing. Choosing an axis computes the slabs.
    void setCoupe(unsigned short axe);
    void setTailleTrancheCoupe(int taille);
    void setCoordCoupe(int coord);
    /// Recomputes the three slabs from the cloud (strict bounds).
    void calculCoupes();

    // Camera.
    void setXRotation(int angle);
    void setYRotation(int angle);
    void setZRotation(int angle);
    /// Widens (increment > 0) or narrows the view; alternates between 0 and |increment| at zero.
    void Zoom(float increment);
    /// Centres the camera on the cloud and the mesh and sets the zoom so that they show whole,
    /// seen with the current rotations. Nothing to show changes nothing.
    void cadrer();
    /// Whether the cloud and the mesh have left the view, even in part, or are a dot in it.
    bool cadrageNecessaire() const;
    /// Frames the scene when cadrageNecessaire(): after a placement, an import or a fit.
    void cadrerSiBesoin();
    /// The same for the given points only (the first object of a new document).
    void cadrerSur(const std::vector<const std::vector<point3> *> &listes);
    /// Zooms about the centre of the view by facteurMolette per notch (positive: closer); the
    /// half-width stays positive, so the picture is never mirrored.
    void zoomMolette(double crans);
    /// Shading and depth cue on or off.
    void setOmbrage(bool actif);
    /// Fits the mesh onto the cloud with the engine's fit (placement, then refinement where the
    /// cloud stays far), with the view's deformation weights and judgements, then measures it
    /// (ajusterEtMesurer). The work runs on a thread of its own, on copies of the mesh and the
    /// cloud; this thread keeps processing events meanwhile (the view repaints and turns) and
    /// calls the progression, on this thread, with the share done and the phase about every
    /// 50 ms. When the progression answers stop, the fit ends with Interrompu within half a second
    /// and the document is as before it (a fit that does not hear the stop soon enough is left to
    /// end alone). On success the mesh is the fitted one and the figures are in figuresAjustement.
    bool ajustementPrecis(const Progression &progression = {});
    /// Places the mesh around the cloud as the console tool does (box centre on the cloud's,
    /// scaled to enclose it, plus 5 %).
    bool placerAutourDuNuage();

private slots:
    void animate();

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    friend class CommandeDocument;
    /// The mesh and the cloud as they are now, sharing what did not change since etatConnu.
    EtatDocument photographier();
    /// Puts the mesh and the cloud of a state back, bit for bit.
    void restaurer(const EtatDocument &etat);
    /// The mesh part of a state, and the mesh rebuilt from it (false, s untouched, when it cannot be).
    static std::shared_ptr<EtatMaillage> etatDuSimplex(const Simplex &s);
    static bool rebatirSimplex(Simplex &s, const EtatMaillage &m);
    /// Whether every neighbour and cell corner of the state is in its point list.
    static bool etatComplet(const EtatMaillage &m);
    /// Drops the oldest steps while the history takes more than budgetHistorique.
    void limiterHistorique();
    /// A step for the length of a scope (nothing once the view is gone).
    class Etape
    {
    public:
        Etape(GLWidget *v, QString n) : vue(v), nom(std::move(n)) { v->commencerEtape(); }
        ~Etape()
        {
            if (vue)
                vue->terminerEtape(nom);
        }
        Etape(const Etape &) = delete;
        Etape &operator=(const Etape &) = delete;

    private:
        QPointer<GLWidget> vue;
        QString nom;
    };
    int profondeurEtape = 0;
    EtatDocument etatAvant;
    /// The state after the last step recorded or put back.
    EtatDocument etatConnu;
    void setupViewport(int width, int height);
    void drawScene();
    void dessinerNuage(bool reduit);
    void dessinerNuageReduit();
    void preparerNuageReduit();
    /// The Morton order of a cloud for the reduced pictures (see nuageOrdonne).
    static void ordonnerNuage(const std::vector<point3> &nuage, std::vector<float> &ordonne,
                              std::vector<std::uint32_t> &ordre);
    /// The whole cloud drawn into the kept layer a few parts a picture, until it is complete.
    void dessinerNuageParParts(std::uint64_t cle, const QSize &taille, int echantillons);
    std::size_t partsDessinees = 0;
    bool coucheIncomplete = false;
    void dessinerTrianglesOmbres();
    void appliquerCamera();
    /// What the picture depends on (camera, flags, size, objects), to skip unchanged repaints.
    std::uint64_t signatureScene() const;
    std::uint64_t signatureCamera() const;
    std::uint64_t signatureNuage() const;
    std::uint64_t signatureMaillage() const;
    /// The mesh and the cloud, what a save keeps.
    std::uint64_t signatureDocument() const;
    void libererGL();
    bool echec(const QString &raison);
    bool reussite();
    /// Refuses a change while the document is busy (occupe()).
    bool refuserOccupe();
    /// Reads a mesh file into the simplex object; a refused file leaves it as it was.
    bool chargerMaillage(const QString &nom);
    /// What became of a cloud file: refused (the document unchanged), accepted with a warning
    /// (the reason holds it) or read whole.
    enum class Lecture { Refusee, Avertie, Reussie };
    /// Reads a cloud file into a new cloud and, unless refused, makes it the document's. The file
    /// is read, and its tree built, off the window's thread: see lireEnFond.
    Lecture chargerNuage(const QString &nom);
    /// Runs travail on a thread of its own. When it takes more than a moment this thread keeps
    /// processing events meanwhile (the windows repaint and turn, "Arrêter" is heard), reporting to
    /// SuiviLectures; the progression handed to travail answers stop once it was asked. The view
    /// takes no input and its window does not close until travail has ended.
    Resultat lireEnFond(const QString &fichier, const std::function<Resultat(const Progression &)> &travail);
    /// The frame of a volume's thresholded cloud (moved into millimetres when asked, with its
    /// tree and the volume's points) and its name as shown.
    static Resultat repereDuVolume(const std::string &fichier, bool millimetres, Maillage &nuage,
                                   std::vector<point3> &volume, QString &repere);
    /// The document holds no volume any more (a cloud replaced it, or a mesh's vertices).
    void oublierVolume();
    bool raffiner(int iteration, Resultat (Simplex::*pas)(const Progression &), const char *nom);
    /// Takes the wire frame of s as what the view draws until the fit ends.
    void figer(const Simplex &s);

    QString erreur;
    QString avertissement;
    void avertirPrecision(const QString &nom);
    /// A precise fit is running: its mesh is not to be read by the drawing nor moved by the keys.
    bool ajustementEnCours = false;
    bool lectureEnCours = false;
    std::vector<point3> maillageFige;
    /// Points of the level maillageFige shows (while a fit runs).
    int pointsFiges = 0;
    bool refuse = false;
    QRect viewport;
    /// maillageTriangule holds the triangles of the mesh as it is now (false once the mesh moved).
    bool triangulationAJour = false;
    /// The cleared framebuffer with the whole cloud drawn on it, and what it was drawn from.
    std::unique_ptr<QOpenGLFramebufferObject> coucheNuage;
    std::uint64_t cleCoucheNuage = 0;
    std::uint64_t signatureDessinee = 0;
    std::uint64_t cameraDessinee = 0;
    bool derniereImageReduite = false;
    std::uint64_t signatureEnregistree = 0;
    bool modifieAnnonce = false;
    /// The cloud in single precision, ordered along a space-filling curve, for the reduced
    /// pictures (a fixed stride through it takes points evenly over the whole cloud).
    std::vector<float> nuageOrdonne;
    std::vector<std::uint32_t> ordreNuageReduit; // index in the cloud of each point of nuageOrdonne
    std::vector<float> couleursOrdonnees;        // ecartsNuage's colours in that order, once asked
    std::uint64_t cleNuageOrdonne = 0;
};

#endif
