// Document side of the view: construction, loading, operations and exports.
#include "glwidget.h"

#include "MaillageGL.h"
#include "AjusterEtMesurer.h"
#include "Croisements.h"
#include "PointsIsoles.h"
#include "Frontiere.h"
#include "NuageDeSurface.h"
#include "Ouverture.h"
#include "Topologie.h"
#include "SimplexGL.h"
#include "VolumeAnalyze.h"
#include "kdtree.h"
#include "raisons.h"
#include "Boite.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QPointer>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>
#include <QTime>

#include <atomic>
#include <mutex>
#include <thread>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <future>
#include <limits>
#include <iostream>

namespace {

const char *const modeleSimplex = defauts::gabarit;

/// File names go to the engines in the local 8-bit encoding, so that names with accents open.
std::string versFichier(const QString &nom)
{
    return QFile::encodeName(nom).toStdString();
}

/// A mesh file that holds triangles (OFF, OBJ, STL, PLY): it is shown as its triangles.
bool estFichierTriangles(const QString &nom)
{
    const QString suffixe = QFileInfo(nom).suffix().toLower();
    return suffixe == QLatin1String("off") || suffixe == QLatin1String("obj") || suffixe == QLatin1String("stl") ||
           suffixe == QLatin1String("ply");
}

/// The engine's reason, in the interface's language.
QString raisonMoteur(const Resultat &r)
{
    return traduireRaison(r.raison);
}

} // namespace

GLWidget::GLWidget(QString PTSAOuvrir, QString MaillageAOuvrir, const ReglagesVue &reglages)
    : QOpenGLWidget(nullptr), coupeX(new MaillageGL), coupeY(new MaillageGL), coupeZ(new MaillageGL),
      instanceSimplex(new SimplexGL), instanceMaillage(new MaillageGL)
{
    QSurfaceFormat f = format();
    f.setSamples(echantillonsVoulus);
    setFormat(f);
    // The picture is kept between repaints, so a repaint that draws nothing shows the last one.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    setFocusPolicy(Qt::ClickFocus);

    std::srand(static_cast<unsigned>(QTime(0, 0).secsTo(QTime::currentTime())));

    nomPts = PTSAOuvrir.isNull() ? QString("") : PTSAOuvrir;
    nomSimplex = MaillageAOuvrir.isNull() ? QString("") : MaillageAOuvrir;
    if (nomSimplex.isEmpty() && !nomPts.isEmpty())
        nomSimplex = modeleSimplex;
    suffixeSimplex = QFileInfo(nomSimplex).suffix();
    suffixePts = QFileInfo(nomPts).suffix();

    appliquerReglages(reglages);

    QString raisons;
    const bool maillageLu = nomSimplex.isEmpty() || chargerMaillage(nomSimplex);
    if (!maillageLu) {
        raisons = erreur;
        // The template is ours; a mesh the user named and that was refused leaves nothing to show.
        refuse = !MaillageAOuvrir.isEmpty();
    }
    if (maillageLu && estFichierTriangles(nomSimplex)) {
        estTriangule = true;
        modeDisplayMaille = 3;
        triangulationAJour = true;
    }
    if (!nomPts.isEmpty()) {
        const QString nuage = nomPts;
        nomPts.clear();
        const Lecture lu = chargerNuage(nuage);
        if (lu != Lecture::Reussie)
            raisons = raisons.isEmpty() ? erreur : raisons + "\n" + erreur;
        if (lu == Lecture::Refusee) {
            suffixePts.clear();
            refuse = true;
        }
    }
    erreur = raisons;

    // A new document shows its first object whole, whatever its unit and place.
    if (!nomPts.isEmpty() && !instanceMaillage->ListePointsInterets.empty())
        cadrerSur({&instanceMaillage->ListePointsInterets});
    else
        cadrer();

    signatureEnregistree = signatureDocument();
    etatConnu = photographier();
    connect(&timer, &QTimer::timeout, this, &GLWidget::animate);
    timer.start(25);
}

GLWidget::~GLWidget()
{
    timer.stop();
    // The history empties itself as it goes: nobody is to hear of it any more.
    historique.blockSignals(true);
    // The base class destroys the context later, when this object is no longer a GLWidget.
    if (QOpenGLContext *c = context())
        disconnect(c, nullptr, this, nullptr);
    libererGL();
}

QSize GLWidget::sizeHint() const
{
    return QSize(100, 100);
}

bool GLWidget::echec(const QString &raison)
{
    erreur = raison;
    emit operationEchouee(raison);
    return false;
}

bool GLWidget::refuserOccupe()
{
    return echec(tr("Le document est occupé : attendez la fin de l'opération en cours."));
}

bool GLWidget::reussite()
{
    erreur.clear();
    return true;
}

// ----------------------------------------------------------------------------------------------
// Queries

QString GLWidget::getCurentSimplexName() const
{
    return nomSimplex.isNull() ? QString("") : nomSimplex;
}

QString GLWidget::getCurentPtsName() const
{
    return nomPts.isNull() ? QString("") : nomPts;
}

int GLWidget::getNbPtSimplex() const
{
    if (nomSimplex.isEmpty())
        return 0;
    return ajustementEnCours ? pointsFiges : instanceSimplex->getNbPointsSimplex();
}

int GLWidget::getNbPts() const
{
    if (nomPts.isEmpty())
        return 0;
    return static_cast<int>(instanceMaillage->ListePointsInterets.size());
}

// ----------------------------------------------------------------------------------------------
// Loading

bool GLWidget::chargerMaillage(const QString &nom)
{
    const std::string fichier = versFichier(nom);
    if (genreOuverture(fichier) == GenreFichier::Triangles) {
        // Such a file gives the two triangle meshes only: they are read off the window's thread
        // into a mesh of their own, and replace the document's when the file is accepted.
        Simplex lu;
        const Resultat r = lireEnFond(nom, [&](const Progression &p) { return ouvrirMaillage(fichier, lu, p); });
        if (!r)
            return echec(raisonMoteur(r));
        instanceSimplex->maillageOrigine = std::move(lu.maillageOrigine);
        instanceSimplex->maillageTriangule = std::move(lu.maillageTriangule);
        return true;
    }
    // A refused SMM file leaves the simplex mesh as it was; the triangle readers write into the
    // two triangle meshes as they go, so those are put back when the file is refused.
    const Maillage origine = instanceSimplex->maillageOrigine;
    const Maillage triangule = instanceSimplex->maillageTriangule;
    const Resultat r = ouvrirMaillage(fichier, *instanceSimplex);
    if (r)
        return true;
    instanceSimplex->maillageOrigine = origine;
    instanceSimplex->maillageTriangule = triangule;
    return echec(raisonMoteur(r));
}

GLWidget::Lecture GLWidget::chargerNuage(const QString &nom)
{
    // The file is read into a cloud of its own. The document's cloud, its tree and its volume
    // are replaced only when the file is accepted: a refused file leaves the document as it was.
    const ReglagesVolume reglages{hdrSetting.seuilMin, hdrSetting.seuilMax, hdrSetting.min, hdrSetting.max};
    const std::string fichier = versFichier(nom);
    const GenreFichier genre = genreFichier(fichier);
    auto nouveau = std::make_unique<MaillageGL>();
    std::vector<point3> volume;
    QString repere;
    // Taken now: the preferences may change while the file is read.
    const bool millimetres = volumeSetting.millimetres;
    // The order of the reduced pictures is made there too, not at the first picture.
    const std::size_t seuilOrdre = seuilNuageReduit;
    std::vector<float> ordonne;
    std::vector<std::uint32_t> ordre;
    const Resultat r = lireEnFond(nom, [&](const Progression &progression) {
        const Resultat lu = ouvrirNuage(fichier, *nouveau, reglages, progression, &volume);
        const Resultat fait =
            lu && genre == GenreFichier::Volume ? repereDuVolume(fichier, millimetres, *nouveau, volume, repere) : lu;
        const std::size_t n = nouveau->ListePointsInterets.size();
        // Not once a stop was asked: the read ends at once.
        if (n > 0 && n >= seuilOrdre && progression(1.0, Raison(CodeRaison::LectureDuNuage)))
            ordonnerNuage(nouveau->ListePointsInterets, ordonne, ordre);
        return fait;
    });
    // A PTS file cut short is accepted with the points read, as the reader keeps them.
    const bool garde = r.reussi() || (r.statut == Statut::NuageIllisible && genre == GenreFichier::Nuage &&
                                      !nouveau->ListePointsInterets.empty());
    if (!garde) {
        echec(raisonMoteur(r));
        return Lecture::Refusee;
    }

    instanceMaillage = std::move(nouveau);
    if (!ordonne.empty()) {
        nuageOrdonne = std::move(ordonne);
        ordreNuageReduit = std::move(ordre);
        couleursOrdonnees.clear();
        cleNuageOrdonne = signatureNuage();
    }
    pointsVolume = std::move(volume);
    oublierVolume();
    if (genre == GenreFichier::Volume) {
        fichierVolume = fichier;
        volumeEnMillimetres = millimetres;
        repereVolume = repere;
    }
    nomPts = nom;
    suffixePts = QFileInfo(nom).suffix();
    if (suffixePts == "hdr" || suffixePts == "img" || suffixePts == "nii")
        nomPts.chop(4);
    else if (nomPts.endsWith(".nii.gz"))
        nomPts.chop(7);
    // Points beyond the count are not read, as the format says: the box says how many.
    const long long auDela = instanceMaillage->pointsAuDela;
    if (r && auDela > 0) {
        echec(tr("%1 annonce %2 points, qui sont ouverts ; le fichier en contient %3 de plus, non lus")
                  .arg(citer(nomPts), QString::number(instanceMaillage->nbPointsInterets), QString::number(auDela)));
        return Lecture::Avertie;
    }
    if (r)
        return Lecture::Reussie;
    // A cloud cut short is open with the points read: the box says so after the reason.
    echec(tr("%1 ; les %2 points lus sont ouverts")
              .arg(raisonMoteur(r), QString::number(instanceMaillage->ListePointsInterets.size())));
    return Lecture::Avertie;
}

SuiviLectures &SuiviLectures::instance()
{
    static SuiviLectures suivi;
    return suivi;
}

Resultat GLWidget::lireEnFond(const QString &fichier, const std::function<Resultat(const Progression &)> &travail)
{
    SuiviLectures &suivi = SuiviLectures::instance();
    const std::uint64_t generation = ++suivi.generation;
    // Shared with the reading thread: it writes the share done, this thread the stop.
    struct Partage
    {
        std::atomic<double> fraction{0.0};
        std::atomic<bool> arret{false};
    };
    auto partage = std::make_shared<Partage>();
    const Progression progression = [partage](double f, const Raison &) {
        partage->fraction = f;
        return !partage->arret;
    };
    std::future<Resultat> lu = std::async(std::launch::async, [&travail, progression]() {
        try {
            return travail(progression);
        } catch (const std::exception &e) {
            return Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterne, {litteral(e.what())}));
        }
    });
    // A small file is read before anything could be shown of its progress.
    if (lu.wait_for(std::chrono::milliseconds(30)) != std::future_status::ready) {
        lectureEnCours = true;
        const bool entrees = isEnabled();
        setEnabled(false);
        QEventLoop boucle;
        QTimer releve;
        QObject::connect(&releve, &QTimer::timeout, &boucle, [&]() {
            emit suivi.avance(fichier, partage->fraction, false);
            // A stop asked meanwhile, or by a receiver of that report, reaches the read now.
            if (suivi.arretDemande(generation))
                partage->arret = true;
            if (lu.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
                boucle.quit();
        });
        releve.start(50);
        boucle.exec();
        setEnabled(entrees);
        lectureEnCours = false;
    }
    Resultat r = lu.get();
    // A stop asked while the read ran is kept, even when the read ended before it heard it.
    if (r && suivi.arretDemande(generation))
        r = Resultat::interrompu(Raison(CodeRaison::LectureDuNuage));
    emit suivi.avance(fichier, 1.0, true);
    return r;
}

Resultat GLWidget::repereDuVolume(const std::string &fichier, bool millimetres, Maillage &nuage,
                                  std::vector<point3> &volume, QString &repere)
{
    // The thresholded cloud is in voxel indices; in millimetres it moves into the volume's frame,
    // where the boundary of the precise fit will be taken too.
    repere = traduireRaison(CodeRaison::RepereIndices);
    if (!millimetres)
        return Resultat::succes();
    // The volume's cloud and the document's are the same points: the file is read once more, not twice.
    Raison origine;
    Resultat r = versMillimetres(fichier, nuage.ListePointsInterets, origine);
    if (r)
        r = nuage.construireKd();
    if (!r)
        return r;
    volume = nuage.ListePointsInterets;
    nuage.calculerCentrePointsInterets();
    repere = traduireRaison(origine);
    return r;
}

void GLWidget::oublierVolume()
{
    fichierVolume.clear();
    volumeEnMillimetres = false;
    repereVolume.clear();
    niveauVolume.clear();
}

bool GLWidget::setPTS(QString FileInPTS)
{
    if (occupe())
        return refuserOccupe();
    const QString nom = FileInPTS.isNull() ? QString("") : FileInPTS;
    const Etape etape(this, tr("Importation du nuage de points"));
    if (nom.isEmpty()) {
        nomPts = nom;
        instanceMaillage = std::make_shared<MaillageGL>();
        pointsVolume.clear();
        oublierVolume();
        const bool ok = remplisKDTree();
        if (coupe != 0)
            calculCoupes();
        return ok ? reussite() : false;
    }
    const Lecture lu = chargerNuage(nom);
    if (lu == Lecture::Refusee)
        return false;
    if (coupe != 0)
        calculCoupes();
    cadrerSiBesoin();
    return lu == Lecture::Reussie ? reussite() : false;
}

bool GLWidget::setMaillage(QString FileInMaillage)
{
    if (occupe())
        return refuserOccupe();
    const QString nom = FileInMaillage.isNull() ? QString("") : FileInMaillage;
    const Etape etape(this, tr("Importation du maillage"));
    // A refused file leaves the document's mesh and its name as they were.
    const bool ok = chargerMaillage(nom);
    if (ok) {
        nomSimplex = nom;
        // The new file decides how the object is shown, as at construction.
        suffixeSimplex = QFileInfo(nomSimplex).suffix();
        if (estFichierTriangles(nomSimplex)) {
            estTriangule = true;
            modeDisplayMaille = 3;
            triangulationAJour = true;
        } else {
            if (modeDisplayMaille == 3)
                modeDisplayMaille = 1;
            estTriangule = false;
            triangulationAJour = false;
        }
        dejaDeforme = 0;
        cadrerSiBesoin();
    }
    if (coupe != 0)
        calculCoupes();
    return ok ? reussite() : false;
}

bool GLWidget::resetMaillage()
{
    if (occupe())
        return refuserOccupe();
    const Etape etape(this, tr("Remise à zéro du maillage"));
    bool ok = true;
    try {
        instanceSimplex->reinitialiser();
    } catch (const std::exception &e) {
        ok = echec(tr("La remise à zéro a échoué : %1").arg(QString::fromLocal8Bit(e.what())));
    }
    if (ok)
        ok = chargerMaillage(nomSimplex.isEmpty() ? QString(modeleSimplex) : nomSimplex);
    triangulationAJour = false;
    if (modeDisplayMaille == 3) {
        setModeDisplayMaille(1);
        estTriangule = false;
    }
    return ok ? reussite() : false;
}

// ----------------------------------------------------------------------------------------------
// Operations

bool GLWidget::deformationMaillage(int iteration)
{
    if (occupe())
        return refuserOccupe();
    const Etape etape(this, tr("Déformation"));
    if (modeDisplayMaille == 3) {
        setModeDisplayMaille(1);
        estTriangule = false;
    }
    for (int i = 0; i < iteration; ++i) {
        if (!operationEnabled)
            return reussite();
        try {
            instanceSimplex->deformer(instanceMaillage->kd.get(), dejaDeforme, deformSetting.alpha, deformSetting.beta,
                                      deformSetting.gamma, deformSetting.rigid, cone);
        } catch (const std::exception &e) {
            return echec(tr("La déformation a échoué : %1").arg(QString::fromLocal8Bit(e.what())));
        }
        triangulationAJour = false;
        if (dejaDeforme == 0)
            dejaDeforme = 1;
    }
    if (coupe != 0)
        calculCoupes();
    return reussite();
}

Resultat GLWidget::operationMoteur(const std::function<Resultat(Simplex &, kd_tree *, int &)> &travail)
{
    if (occupe()) {
        refuserOccupe();
        return Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterne, {litteral("document occupé")}));
    }
    const QPointer<GLWidget> vivant(this);
    if (modeDisplayMaille == 3) {
        setModeDisplayMaille(1);
        estTriangule = false;
    }
    // The index stays alive whatever the operation's progression lets happen to the document.
    const std::shared_ptr<kd_tree> kd = instanceMaillage->kd;
    int retention = dejaDeforme;
    Resultat r;
    try {
        r = travail(*instanceSimplex, kd.get(), retention);
    } catch (const std::exception &e) {
        r = Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterne, {litteral(e.what())}));
    }
    if (!vivant)
        return r;
    dejaDeforme = retention;
    triangulationAJour = false;
    if (coupe != 0)
        calculCoupes();
    if (r.reussi() || r.statut == Statut::Interrompu)
        reussite();
    else
        echec(raisonMoteur(r));
    return r;
}

bool GLWidget::raffiner(int iteration, Resultat (Simplex::*pas)(const Progression &), const char *nom)
{
    if (occupe())
        return refuserOccupe();
    const Etape etape(this, tr("Raffinage %1").arg(QString::fromLatin1(nom)));
    if (modeDisplayMaille == 3) {
        setModeDisplayMaille(1);
        estTriangule = false;
    }
    for (int i = 0; i < iteration; ++i) {
        if (!operationEnabled)
            return reussite();
        Resultat r;
        try {
            r = (instanceSimplex.get()->*pas)(Progression());
        } catch (const std::exception &e) {
            dejaDeforme = 0;
            triangulationAJour = false;
            return echec(tr("Le raffinage %1 a échoué : %2")
                             .arg(QString::fromLatin1(nom), QString::fromLocal8Bit(e.what())));
        }
        triangulationAJour = false;
        dejaDeforme = 0;
        if (!r)
            return echec(
                tr("Le raffinage %1 a échoué : %2").arg(QString::fromLatin1(nom), raisonMoteur(r)));
    }
    if (coupe != 0)
        calculCoupes();
    return reussite();
}

bool GLWidget::RaffinageT26(int iteration, int critere)
{
    if (critere == 0)
        return raffiner(iteration, &Simplex::raffinerT26Global, "T26");
    return raffiner(iteration, &Simplex::raffinerT26Angles, "T26");
}

bool GLWidget::RaffinageT22Auto(int iteration, int critere)
{
    if (critere == 0)
        return raffiner(iteration, &Simplex::raffinerT22Surfaces, "T22");
    return raffiner(iteration, &Simplex::raffinerT22PointsParMaille, "T22");
}

void GLWidget::dilatation(double coef)
{
    if (occupe()) {
        refuserOccupe();
        return;
    }
    const Etape etape(this, tr("Dilatation"));
    try {
        instanceSimplex->dilatation(coef);
        triangulationAJour = false;
    } catch (const std::exception &e) {
        echec(tr("La dilatation a échoué : %1").arg(QString::fromLocal8Bit(e.what())));
    }
    if (coupe != 0)
        calculCoupes();
}

void GLWidget::CenterToZero()
{
    if (occupe()) {
        refuserOccupe();
        return;
    }
    const Etape etape(this, tr("Centrage"));
    try {
        instanceMaillage->calculerCentrePointsInterets();
        instanceSimplex->centrer(*instanceMaillage->centrePointsInterets);
        triangulationAJour = false;
    } catch (const std::exception &e) {
        echec(tr("Le centrage a échoué : %1").arg(QString::fromLocal8Bit(e.what())));
    }
    if (coupe != 0)
        calculCoupes();
}

namespace {

/// The wire frame of s as segment ends, what the view draws of a fit's level.
std::vector<point3> filDe(const Simplex &s)
{
    std::vector<point3> fil;
    fil.reserve(6 * s.ListePointsSimplex.size());
    for (const PointSimplex *p : s.ListePointsSimplex) {
        if (!p)
            continue;
        for (const PointSimplex *v : {p->Voisin1, p->Voisin2, p->Voisin3})
            if (v && v != p) {
                fil.push_back(p->Position);
                fil.push_back(v->Position);
            }
    }
    return fil;
}

/// A fit on a thread of its own and what it tells the window. The thread holds it too, so that a
/// window that stops waiting may leave the thread to end alone with everything it works on.
struct AjustementEnFond
{
    // Given by the window before the thread starts.
    std::unique_ptr<SimplexGL> simplex;
    std::vector<point3> nuage;
    std::string fichierVolume;
    ReglagesFrontiere frontiere;
    ReglagesAjustement reglages;

    // Written by the thread; read by the window once fini.
    MesureAjustement mesure;
    BilanFrontiere bilanFrontiere;
    std::shared_ptr<MaillageGL> nuageFrontiere; ///< a volume's: the boundary voxels fitted to, with its tree
    Resultat resultat;
    std::atomic<bool> fini{false};

    // Shared while it runs.
    std::atomic<double> fraction{0.0};
    std::atomic<bool> arret{false};
    std::mutex verrou;
    Raison phase{CodeRaison::Ajustement};
    std::size_t points = 0; ///< of the cloud fitted to (a volume's: its boundary)
    std::vector<point3> fil; ///< the last completed level's wire frame, until the window takes it
    int pointsFil = 0;
    bool filNouveau = false;

    void executer()
    {
        const Progression suivi = [this](double f, const Raison &etape) {
            fraction = f;
            {
                const std::lock_guard<std::mutex> garde(verrou);
                phase = etape;
            }
            return !arret;
        };
        const auto apresNiveau = [this](const Simplex &niveau, int) {
            std::vector<point3> f = filDe(niveau);
            const std::lock_guard<std::mutex> garde(verrou);
            fil = std::move(f);
            pointsFil = niveau.getNbPointsSimplex();
            filNouveau = true;
        };
        try {
            Resultat r = Resultat::succes();
            if (!fichierVolume.empty()) {
                static_cast<void>(suivi(0, Raison(CodeRaison::LectureDuVolume)));
                r = frontiereVolume(fichierVolume, frontiere, nuage, bilanFrontiere);
                if (r && !nuage.empty()) {
                    // What the view then draws: the points the fit follows, not the thresholded voxels.
                    nuageFrontiere = std::make_shared<MaillageGL>();
                    nuageFrontiere->ListePointsInterets = nuage;
                    r = nuageFrontiere->construireKd();
                    nuageFrontiere->calculerCentrePointsInterets();
                }
            }
            if (r && arret)
                r = Resultat::interrompu(Raison(CodeRaison::Ajustement));
            if (r && nuage.empty())
                r = Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::NuageVide));
            points = nuage.size();
            if (r)
                r = ajusterEtMesurer(*simplex, std::move(nuage), reglages, {}, mesure, suivi, apresNiveau);
            resultat = r;
        } catch (const std::exception &e) {
            resultat = Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterne, {litteral(e.what())}));
        } catch (...) {
            resultat = Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterne, {litteral("?")}));
        }
        fini = true;
    }
};

/// The threads of the fits left to end alone: joined at quit.
struct TravauxAbandonnes
{
    std::mutex verrou;
    std::vector<std::thread> fils;
    void attendre()
    {
        std::vector<std::thread> tous;
        {
            const std::lock_guard<std::mutex> garde(verrou);
            tous.swap(fils);
        }
        for (std::thread &t : tous)
            if (t.joinable())
                t.join();
    }
    ~TravauxAbandonnes() { attendre(); }
};

TravauxAbandonnes &travauxAbandonnes()
{
    static TravauxAbandonnes travaux;
    return travaux;
}

} // namespace

void GLWidget::attendreTravauxAbandonnes()
{
    travauxAbandonnes().attendre();
}

bool GLWidget::ajustementPrecis(const Progression &progression)
{
    if (occupe())
        return refuserOccupe();
    if (instanceMaillage->ListePointsInterets.empty() && fichierVolume.empty())
        return echec(tr("Il n'y a pas de nuage de points sur lequel ajuster le maillage."));
    // The fit works on copies: the document stays as it is, and is drawn and turned, until it ends.
    const std::shared_ptr<const EtatMaillage> depart = etatDuSimplex(*instanceSimplex);
    if (!etatComplet(*depart))
        return echec(tr("Le maillage a des voisins hors de sa liste : il ne peut pas être ajusté."));
    auto travail = std::make_shared<AjustementEnFond>();
    travail->simplex = std::make_unique<SimplexGL>();
    if (!rebatirSimplex(*travail->simplex, *depart))
        return echec(tr("Le maillage n'a pas pu être copié pour l'ajustement."));
    travail->simplex->setConeDeVision(instanceSimplex->AngleCone, instanceSimplex->RayonCone);
    travail->simplex->recherche = instanceSimplex->recherche;
    travail->simplex->fils = instanceSimplex->fils;
    // A volume's cloud is its boundary, read by the fit's thread.
    if (fichierVolume.empty())
        travail->nuage = instanceMaillage->ListePointsInterets;
    travail->fichierVolume = fichierVolume;
    if (!fichierVolume.empty()) {
        // A volume: the fit works on the boundary of the region, in the cloud's frame.
        travail->frontiere.millimetres = volumeEnMillimetres;
        travail->frontiere.regionDonnee = !volumeSetting.automatique;
        travail->frontiere.region = Region{volumeSetting.niveau, std::numeric_limits<double>::infinity()};
    }
    ReglagesAjustement &reglages = travail->reglages;
    reglages.interne = deformSetting.alpha;
    reglages.externe = deformSetting.beta;
    reglages.retenue = deformSetting.gamma;
    reglages.rigidite = deformSetting.rigid;
    reglages.isoles = jugementIsoles;
    reglages.bruit = jugementBruit;

    const Etape etape(this, tr("Ajustement précis"));
    const QPointer<GLWidget> vivant(this);
    // Until the fit ends the view draws the wire frame of its last completed level.
    figer(*instanceSimplex);
    ajustementEnCours = true;
    std::thread fil([travail]() { travail->executer(); });

    bool abandonne = false;
    {
        QEventLoop boucle;
        QTimer releve;
        QElapsedTimer depuisArret;
        const auto relever = [&]() {
            if (vivant) {
                const std::lock_guard<std::mutex> garde(travail->verrou);
                if (travail->filNouveau) {
                    maillageFige.swap(travail->fil);
                    pointsFiges = travail->pointsFil;
                    travail->filNouveau = false;
                    update();
                }
            }
            if (travail->fini) {
                boucle.quit();
                return;
            }
            if (!travail->arret) {
                Raison phase;
                {
                    const std::lock_guard<std::mutex> garde(travail->verrou);
                    phase = travail->phase;
                }
                // The caller's progression may process events; a stop it answers reaches the fit now.
                const bool continuer = !vivant || !progression || progression(travail->fraction, phase);
                if (!continuer || !vivant) {
                    travail->arret = true;
                    depuisArret.start();
                }
            }
            if (travail->arret && !travail->fini && depuisArret.isValid() && depuisArret.elapsed() > 400) {
                // The fit did not hear the stop yet: it ends alone, on its copies.
                abandonne = true;
                boucle.quit();
            }
        };
        QObject::connect(&releve, &QTimer::timeout, &boucle, relever);
        releve.start(50);
        if (!travail->fini)
            boucle.exec();
    }
    if (abandonne) {
        const std::lock_guard<std::mutex> garde(travauxAbandonnes().verrou);
        travauxAbandonnes().fils.push_back(std::move(fil));
    } else {
        fil.join();
    }
    if (!vivant)
        return false;
    ajustementEnCours = false;
    maillageFige.clear();
    maillageFige.shrink_to_fit();
    pointsFiges = 0;
    const Resultat r = abandonne || (travail->arret && travail->resultat)
                           ? Resultat::interrompu(Raison(CodeRaison::Ajustement))
                           : travail->resultat;
    if (!r.reussi()) {
        // Stopped or failed: the document stays as it was before the fit.
        update();
        if (r.statut == Statut::Interrompu) {
            erreur = raisonMoteur(r);
            return false;
        }
        return echec(raisonMoteur(r));
    }

    // The fitted mesh becomes the document's.
    instanceSimplex = std::move(travail->simplex);
    if (modeDisplayMaille == 3) {
        setModeDisplayMaille(1);
        estTriangule = false;
    }
    dejaDeforme = 0;
    triangulationAJour = false;
    if (coupe != 0)
        calculCoupes();
    if (!fichierVolume.empty()) {
        // The volume's cloud becomes the boundary fitted to (the volume and its file stay).
        if (travail->nuageFrontiere)
            instanceMaillage = travail->nuageFrontiere;
        if (coupe != 0)
            calculCoupes();
        const BilanFrontiere &bf = travail->bilanFrontiere;
        niveauVolume = (bf.automatique ? tr("frontière au niveau %1 (automatique)") : tr("frontière au niveau %1"))
                           .arg(bf.region.bas, 0, 'g', 6);
    }
    cadrerSiBesoin();
    update();
    reussite();
    const MesureAjustement &mesure = travail->mesure;
    const BilanAjustement &bilan = mesure.ajustement;
    const FiguresAjustement &figures = mesure.surface.figures;
    const double d = bilan.diagonale > 0 ? bilan.diagonale / 100.0 : 1.0;
    figuresAjustement = {true,
                         figures.nuageVersSurface.moyenne / d,
                         figures.nuageVersSurface.centile95 / d,
                         figures.nuageVersSurface.maximum / d,
                         figures.surfaceVersNuage.moyenne / d,
                         figures.surfaceVersNuage.centile95 / d,
                         figures.surfaceVersNuage.maximum / d,
                         signatureMaillage(),
                         bilan.ecartes.size()};
    figuresAjustement.nuage = signatureNuage();
    figuresAjustement.parties = mesure.surface.topologie.parties;
    figuresAjustement.genre = mesure.surface.topologie.genre;
    figuresAjustement.croisements = mesure.surface.croisements;
    figuresAjustement.volume = mesure.surface.solide.volume;
    figuresAjustement.aire = mesure.surface.solide.aire;
    figuresAjustement.bruitLisse = bilan.lisse;
    figuresAjustement.moyenneTous = figures.nuageEntierVersSurface.moyenne / d;
    figuresAjustement.centile95Tous = figures.nuageEntierVersSurface.centile95 / d;
    figuresAjustement.maximumTous = figures.nuageEntierVersSurface.maximum / d;
    figuresAjustement.points = travail->points;
    // A volume's cloud is now the boundary the fit ran on: its points set aside are those shown.
    calculerEcarts(bilan.ecartes);
    return true;
}

void GLWidget::figer(const Simplex &s)
{
    maillageFige = filDe(s);
    pointsFiges = s.getNbPointsSimplex();
    update();
}

bool GLWidget::placerAutourDuNuage()
{
    if (occupe())
        return refuserOccupe();
    const std::vector<point3> &nuage = instanceMaillage->ListePointsInterets;
    if (nuage.empty())
        return echec(tr("Il n'y a pas de nuage de points autour duquel placer le maillage."));
    const Etape etape(this, tr("Placement autour du nuage"));
    const ReglagesAjustement reglages;
    const Resultat r = operationMoteur([&](Simplex &s, kd_tree *, int &retention) {
        const std::optional<Raison> raison = ::placerAutourDuNuage(s, nuage, reglages.marge);
        if (raison)
            return Resultat::echec(Statut::MaillageIllisible, *raison);
        retention = 0;
        return Resultat::succes();
    });
    if (r.reussi())
        cadrerSiBesoin();
    return r.reussi();
}

bool GLWidget::Triangularisation()
{
    if (occupe())
        return refuserOccupe();
    std::cout << "Début triangulation smm" << std::endl;
    bool ok = true;
    if (!instanceSimplex->ListeMailles.empty()) {
        try {
            const Resultat r = instanceSimplex->trianguler();
            if (r)
                triangulationAJour = true;
            else
                ok = echec(raisonMoteur(r));
        } catch (const std::exception &e) {
            ok = echec(tr("La triangulation a échoué : %1").arg(QString::fromLocal8Bit(e.what())));
        }
    }
    std::cout << "fin triangulation smm" << std::endl;
    estTriangule = true;
    setModeDisplayMaille(3);
    return ok ? reussite() : false;
}

bool GLWidget::triangleToSimplex()
{
    if (occupe())
        return refuserOccupe();
    if (suffixeSimplex != "off")
        return echec(tr("Seul un maillage triangulé lu dans un fichier OFF peut être "
                                    "converti en maillage simplex."));
    const Etape etape(this, tr("Conversion en maillage simplex"));
    Resultat r;
    try {
        r = instanceSimplex->convertirTriangles();
    } catch (const std::exception &e) {
        return echec(
            tr("La création du maillage simplex a échoué : %1").arg(QString::fromLocal8Bit(e.what())));
    }
    if (!r)
        return echec(raisonMoteur(r));
    suffixeSimplex = "smm";
    modeDisplayMaille = 1;
    triangulationAJour = false;
    dejaDeforme = 0;
    return reussite();
}

bool GLWidget::maillageToPts()
{
    if (occupe())
        return refuserOccupe();
    const Maillage &origine = instanceSimplex->maillageOrigine;

    std::vector<point3> nuage;
    if (origine.listeSommets.empty()) {
        nuage.reserve(instanceSimplex->ListePointsSimplex.size());
        for (const PointSimplex *p : instanceSimplex->ListePointsSimplex)
            if (p)
                nuage.push_back(p->Position);
    } else {
        // The cloud the console tool fits to when given this mesh: its vertices, and points over
        // the faces where they are too far apart to describe it.
        const Maillage &t = instanceSimplex->maillageTriangule;
        nuage = nuageDeSurface(t.listeSommets, t.listeFaces);
    }
    const Etape etape(this, tr("Conversion en nuage de points"));
    // A new cloud: the one the history holds stays as it was.
    instanceMaillage = std::make_shared<MaillageGL>();
    instanceMaillage->ListePointsInterets = std::move(nuage);
    pointsVolume.clear();
    oublierVolume();
    const bool ok = remplisKDTree();

    QString base = nomSimplex;
    if (!suffixePts.isEmpty())
        base.remove(suffixePts);
    nomPts = base + "(pts).pts";
    suffixePts = "pts";
    return ok ? reussite() : false;
}

bool GLWidget::remplisKDTree()
{
    Resultat r;
    try {
        r = instanceMaillage->construireKd();
    } catch (const std::exception &e) {
        return echec(tr("L'index du nuage de points n'a pas pu être construit : %1")
                         .arg(QString::fromLocal8Bit(e.what())));
    }
    if (!r || kd_size(instanceMaillage->kd.get()) != instanceMaillage->ListePointsInterets.size())
        return echec(tr("Mémoire insuffisante pour l'index du nuage de points."));
    return true;
}

// ----------------------------------------------------------------------------------------------
// Exports

bool GLWidget::ExportMaillageWithLoading(QString FileOUT)
{
    nomSortieMaillage = FileOUT.isNull() ? QString("") : FileOUT;
    if (!ExportMaillage())
        return false;
    marquerEnregistre();
    return true;
}

bool GLWidget::ExportMaillage()
{
    const QString nom = nomSortieMaillage;
    const std::string fichier = versFichier(nom);
    erreur.clear();
    avertissement.clear();
    bool ok = true;
    try {
        if (nom.endsWith(".sm")) {
            const Resultat r = instanceSimplex->ecrire(fichier, 1);
            ok = r ? true : echec(raisonMoteur(r));
        } else if (nom.endsWith(".smm")) {
            const Resultat r = instanceSimplex->ecrire(fichier, 2);
            ok = r ? true : echec(raisonMoteur(r));
        } else if (nom.endsWith(".off") || nom.endsWith(".obj") || nom.endsWith(".ply") || nom.endsWith(".stl")) {
            // The triangles are made again when the mesh moved since they were last made.
            if (!estTriangule || !triangulationAJour)
                ok = Triangularisation();
            if (ok && (nom.endsWith(".ply") || nom.endsWith(".stl"))) {
                const Maillage &t = instanceSimplex->maillageTriangule;
                const Resultat r = nom.endsWith(".ply") ? t.ecrirePLY(fichier) : t.ecrireSTL(fichier);
                ok = r ? true : echec(raisonMoteur(r));
            } else if (ok && nom.endsWith(".off")) {
                std::cout << "Begin Exportation OFF" << std::endl;
                const Resultat r = instanceSimplex->maillageTriangule.ecrireOFF(fichier);
                std::cout << "Fin Exportation OFF" << std::endl;
                ok = r ? true : echec(raisonMoteur(r));
            } else if (ok) {
                const Resultat r = instanceSimplex->maillageTriangule.ecrireOBJ(fichier);
                std::cout << "fin exportation obj" << std::endl;
                ok = r ? true : echec(raisonMoteur(r));
            }
        } else {
            nomSortieMaillage.clear();
            return echec(tr("Le nom %1 ne se termine ni par .sm, ni par .smm, ni par .off, "
                            "ni par .obj, ni par .ply, ni par .stl : rien n'a été écrit.")
                             .arg(citer(nom)));
        }
    } catch (const std::exception &e) {
        nomSortieMaillage.clear();
        return echec(tr("L'exportation vers %1 a échoué : %2").arg(citer(nom), QString::fromLocal8Bit(e.what())));
    }
    nomSortieMaillage.clear();
    if (!ok && erreur.isEmpty())
        return echec(tr("Le fichier %1 n'a pas pu être écrit.").arg(citer(nom)));
    if (!ok)
        return false;
    avertirPrecision(nom);
    return reussite();
}

void GLWidget::avertirPrecision(const QString &nom)
{
    // Six significant digits (SM, SMM, OFF, OBJ) against the last fit's mean distance, when the
    // fit's figures still describe this mesh.
    avertissement.clear();
    if (nom.endsWith(".ply") || nom.endsWith(".stl") || !figuresAJour())
        return;
    std::vector<point3> ecrits;
    if (nom.endsWith(".sm") || nom.endsWith(".smm"))
        for (const PointSimplex *p : instanceSimplex->ListePointsSimplex)
            ecrits.push_back(p->Position);
    const double ecart = ecartSixChiffres(ecrits.empty() ? instanceSimplex->maillageTriangule.listeSommets : ecrits);
    const double moyenne =
        figuresAjustement.moyenne / 100.0 * boiteDe(instanceMaillage->ListePointsInterets).diagonale();
    if (ecart > 0.1 * moyenne)
        avertissement = traduireRaison(Raison(CodeRaison::PrecisionSixChiffres,
                                              {litteral(nom.section('.', -1).toStdString()),
                                               litteral(QString::number(ecart, 'g', 3).toStdString()),
                                               litteral(QString::number(moyenne, 'g', 3).toStdString())}));
}

bool GLWidget::ExportPTSWithLoading(std::string fileName)
{
    nomSortiePts = fileName;
    return ExportPTS();
}

bool GLWidget::ExportPTS()
{
    const std::string fichier = nomSortiePts;
    nomSortiePts.clear();
    const QString nom = QString::fromLocal8Bit(fichier.c_str());
    Resultat r;
    try {
        if (!fichierVolume.empty())
            r = ecrirePTS(fichier, pointsVolume);
        else if (suffixePts == "pts")
            r = ecrirePTS(fichier, instanceMaillage->ListePointsInterets);
        else
            return echec(tr("Il n'y a pas de nuage de points à exporter."));
    } catch (const std::exception &e) {
        return echec(tr("L'exportation vers %1 a échoué : %2").arg(citer(nom), QString::fromLocal8Bit(e.what())));
    }
    return r ? reussite() : echec(raisonMoteur(r));
}

void GLWidget::Sleep(int msec)
{
    QElapsedTimer chrono;
    chrono.start();
    while (chrono.elapsed() < msec) {
    }
}

// ----------------------------------------------------------------------------------------------
// Settings and flags

void GLWidget::appliquerReglages(const ReglagesVue &r)
{
    setDeformSetting(r.deform.alpha, r.deform.beta, r.deform.gamma, r.deform.rigid);
    setHdrSetting(r.hdr.seuilMin, r.hdr.seuilMax, r.hdr.min, r.hdr.max);
    setConeDeVisionSetting(r.cone.angle, r.cone.rayon);
    setOmbrage(r.ombrage);
    setVolumeSetting(r.millimetres, r.niveauAutomatique, r.niveau);
    jugementIsoles = r.isoles;
    jugementBruit = r.bruit;
}

void GLWidget::setDeformSetting(float alpha, float beta, float gamma, int rigid)
{
    deformSetting = DeformSetting{alpha, beta, gamma, rigid};
}

void GLWidget::setHdrSetting(int seuilMin, int seuilMax, int min, int max)
{
    hdrSetting = HdrSetting{seuilMin, seuilMax, min, max};
}

void GLWidget::setVolumeSetting(bool millimetres, bool automatique, double niveau)
{
    volumeSetting = VolumeSetting{millimetres, automatique, niveau};
}

void GLWidget::setConeDeVisionSetting(float angle, float rayon)
{
    instanceSimplex->setConeDeVision(static_cast<double>(angle), static_cast<double>(rayon));
}

void GLWidget::setBoucleDeform(bool is_, bool cone_)
{
    // A loop is one step of the history, from the moment it starts to the moment it stops.
    if (is_ && !boucleDeform)
        commencerEtape();
    else if (!is_ && boucleDeform)
        terminerEtape(tr("Déformation en boucle"));
    boucleDeform = is_;
    cone = cone_;
}

void GLWidget::setConservProp(bool a)
{
    conservProp = a;
}

void GLWidget::setAffichePT(bool a)
{
    affichePT = a;
}

void GLWidget::setDeplaceSimplex(bool i)
{
    deplaceSimplex = i;
}

void GLWidget::setAffichGraf(bool a)
{
    affichGraf = a;
}

void GLWidget::setOperationEnabled(bool a)
{
    operationEnabled = a;
}

void GLWidget::setModeDisplayMaille(int i)
{
    if (i < 4)
        modeDisplayMaille = i;
}
