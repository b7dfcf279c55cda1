#include "execution.h"
#include "langue.h"
#include "Topologie.h"
#include "Ajustement.h"
#include "AjusterEtMesurer.h"
#include "Croisements.h"
#include "Vecteurs.h"
#include "PointsIsoles.h"
#include "orientation.h"

#include "Boite.h"
#include "Divergence.h"
#include "SimplexAutomatique.h"

#include "Maillage.h"
#include "Simplex.h"
#include "Ouverture.h"
#include "Remplacement.h"
#include "VolumeAnalyze.h"
#include "kdtree.h"
#include "volume.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <iomanip>
#include <limits>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace pelvane {

namespace {

// The signal that asked the run to stop (0: none). Written by a signal handler: nothing else.
volatile std::sig_atomic_t signalRecu = 0;

using Horloge = std::chrono::steady_clock;

double secondesDepuis(Horloge::time_point t)
{
    return std::chrono::duration<double>(Horloge::now() - t).count();
}

bool finitPar(const std::string &s, const std::string &suffixe)
{
    return s.size() >= suffixe.size() && s.compare(s.size() - suffixe.size(), suffixe.size(), suffixe) == 0;
}

// True when both names lead to the same existing file.
bool memeFichier(const std::string &a, const std::string &b)
{
    std::error_code ec;
    bool r = fs::equivalent(a, b, ec);
    return !ec && r;
}

// Whether a file can be made beside `cible`: one is made there, then removed.
bool fichierPossible(const std::string &cible)
{
    std::string modele = cible + ".partiel-XXXXXX";
    const int fd = mkstemp(modele.data());
    if (fd < 0)
        return false;
    close(fd);
    std::remove(modele.c_str());
    return true;
}

void supprimer(const std::string &f)
{
    std::error_code ec;
    if (!f.empty())
        fs::remove(f, ec);
}

/// The fit's reason for a cloud it cannot wrap, with the cloud's file named.
Raison nuageNomme(const Raison &defaut, const std::string &chemin)
{
    const Argument nombre = defaut.arguments.empty() ? Argument(0) : defaut.arguments.front();
    switch (defaut.code) {
    case CodeRaison::NuageVide:
        return Raison(CodeRaison::NuageSansPoint, {litteral(chemin)});
    case CodeRaison::NuageNonFini:
        return Raison(CodeRaison::NuageCoordonneeNonFinie, {litteral(chemin)});
    case CodeRaison::NuagePonctuel:
        return Raison(CodeRaison::NuageReduitAUnPoint, {litteral(chemin)});
    case CodeRaison::NuageTropPetit:
        return Raison(CodeRaison::NuageNommeTropPetit, {litteral(chemin), nombre});
    case CodeRaison::NuageSurUneDroite:
        return Raison(CodeRaison::NuageNommeSurUneDroite, {litteral(chemin), nombre});
    case CodeRaison::NuageDansUnPlan:
        return Raison(CodeRaison::NuageNommeDansUnPlan, {litteral(chemin), nombre});
    default:
        return defaut;
    }
}

} // namespace

Resultat lireNuage(const std::string &chemin, Maillage &m, const Progression &progression)
{
    Resultat r = ouvrirNuage(chemin, m, ReglagesVolume(), progression);
    if (r.statut == Statut::Interrompu)
        return r;
    if (!r)
        return Resultat::echec(Statut::NuageIllisible, r.raison);
    // Points beyond the count would be left out of the fit without a word.
    if (m.pointsAuDela > 0)
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::NuageAuDelaDuCompte,
                                                              {litteral(chemin), m.nbPointsInterets, m.pointsAuDela}));
    // An empty cloud and a coordinate that is not finite were refused by the opener (accepterNuage).
    return r;
}

Resultat lireReference(const std::string &chemin, Simplex &simplex)
{
    // The engine's reader opens only a regular file (a pipe would block an ordinary open).
    const Resultat lu = genreFichier(chemin) == GenreFichier::Simplex
                            ? ouvrirMaillage(chemin, simplex)
                            : Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::SmmAttendu));
    // An OFF text under a .smm name is read as triangles: the fit needs the simplex mesh.
    if (lu && simplex.ListePointsSimplex.empty() && !simplex.maillageOrigine.listeFaces.empty())
        return Resultat::echec(Statut::MaillageIllisible,
                               Raison(CodeRaison::ReferenceTriangulaire,
                                      {litteral(chemin), simplex.maillageOrigine.listeSommets.size(),
                                       simplex.maillageOrigine.listeFaces.size()}));
    if (!lu || simplex.ListePointsSimplex.empty()) {
        const Raison illisible(CodeRaison::ReferenceIllisible, {litteral(chemin)});
        return Resultat::echec(Statut::MaillageIllisible,
                               lu ? illisible : Raison(CodeRaison::Contexte, {illisible, lu.raison}));
    }
    const std::optional<Raison> defaut = defautDuMaillage(simplex);
    if (defaut)
        return Resultat::echec(Statut::MaillageIllisible,
                               Raison(CodeRaison::ReferenceNonFermee, {litteral(chemin), *defaut}));
    return {};
}

long plafondDesPoints(std::size_t pointsNuage)
{
    return static_cast<long>(std::min<std::size_t>(
        std::max<std::size_t>(Parametres().pointsMaximum, POINTS_PAR_POINT_DU_NUAGE * pointsNuage), 999999));
}

ReglagesAjustement reglagesDuFit(const Parametres &param, const Reglages &regl)
{
    ReglagesAjustement r;
    r.interne = param.alpha;
    r.externe = param.beta;
    r.retenue = param.gamma;
    r.rigidite = param.rigid;
    r.pointsMinimum = param.pointsMinimum;
    r.iterations = param.iterations;
    r.tolerance = param.tolerance / 100.0;
    r.pointsMaximum = std::max(param.pointsMaximum, param.pointsMinimum);
    r.marge = regl.marge;
    r.fils = param.fils;
    r.isoles = param.isoles;
    r.bruit = param.bruit;
    return r;
}

void prendreMesureSurface(Bilan &bilan, const MesureSurface &m)
{
    bilan.pointsFinaux = m.points;
    bilan.mailles = m.mailles;
    bilan.sommetsTriangulation = m.sommets;
    bilan.triangles = m.triangles;
    bilan.parties = m.topologie.parties;
    bilan.genre = m.topologie.genre;
    bilan.croisements = m.croisements;
    bilan.volumeEnclos = m.solide.volume;
    bilan.aire = m.solide.aire;
    bilan.nuageVersSurface = m.figures.nuageVersSurface;
    bilan.surfaceVersNuage = m.figures.surfaceVersNuage;
    bilan.echantillonsSurface = m.figures.echantillonsSurface;
    bilan.maillageVersNuage = m.figures.pointsVersNuage;
    bilan.nuageEntierVersSurface = m.figures.nuageEntierVersSurface;
}

void prendreMesureAjustement(Bilan &bilan, const MesureAjustement &m, bool mesuree)
{
    const BilanAjustement &b = m.ajustement;
    bilan.cycles = b.niveaux;
    bilan.pasFinaux = b.pas;
    bilan.arretAnticipe = b.converge;
    bilan.pointsEcartes = b.ecartes.size();
    bilan.bruitLisse = b.lisse;
    bilan.bruit[0] = b.bruit.residu;
    bilan.bruit[1] = b.bruit.rapport;
    bilan.bruit[2] = b.bruit.milieu;
    bilan.dureeCycles = m.secondesAjustement;
    if (mesuree) {
        prendreMesureSurface(bilan, m.surface);
        bilan.dureeMesures = m.surface.secondes;
    }
}

Resultat cyclesAutomatiques(Simplex &simplex, kd_tree *kd, const Parametres &param, const Reglages &regl,
                            Bilan &bilan, const Progression &progression,
                            const std::function<void(Simplex &, const TourAutomatique &)> &apresTour,
                            BilanAutomatique &b)
{
    ReglagesAutomatiques r;
    r.tours = regl.cyclesMaximum;
    r.pasDeformation = param.iterations;
    r.t26Global = 1;
    r.t26Angles = 0;
    r.t22Surfaces = 1;
    r.t22PointsParMaille = 0;
    r.alpha = param.alpha;
    r.beta = param.beta;
    r.gamma = param.gamma;
    r.rigid = param.rigid;
    r.pointsMinimum = param.pointsMinimum;
    r.pasFinaux = param.iterations > 0 ? std::max(param.iterations * regl.facteurFinale, regl.finaleMinimum) : 0;
    r.arretFinal = regl.seuilArret * bilan.diagonale;
    bilan.pasFinauxPrevus = r.pasFinaux;
    int retention = 0;
    const Resultat res = deformationAutomatique(simplex, kd, r, retention, progression, &b,
                                                [&](Simplex &s, const TourAutomatique &t) {
                                                    bilan.pointsParCycle.push_back(t.pointsApres);
                                                    if (apresTour)
                                                        apresTour(s, t);
                                                });
    bilan.cycles = b.tours;
    bilan.pasFinaux = b.pasFinaux;
    bilan.arretAnticipe = b.arretAnticipe;
    bilan.deplacementFinal = b.deplacementFinal;
    return res;
}

namespace {

/// Progress lines on the tool's stream: "Pelvane : <phase> : N %", one per tenth of each phase
/// (the phase is the progression's text up to its first " : "), LIGNES_DE_PROGRESSION at most in
/// a run. Says stop once a signal asked for it.
Progression lignesDeProgression(std::ostream &prog)
{
    struct Etat
    {
        std::string phase;
        int dixieme = -1;
        int lignes = 0;
    };
    auto dernier = std::make_shared<Etat>();
    return [&prog, dernier](double fraction, const Raison &etape) {
        const std::string phase = texteLocal(phaseDe(etape));
        const int dixieme = static_cast<int>(fraction * 10);
        if ((phase != dernier->phase || dixieme != dernier->dixieme) && dernier->lignes <= LIGNES_DE_PROGRESSION) {
            dernier->phase = phase;
            dernier->dixieme = dixieme;
            if (++dernier->lignes > LIGNES_DE_PROGRESSION)
                prog << selon("Pelvane : progression : ", "Pelvane: progress: ") << LIGNES_DE_PROGRESSION
                     << selon(" lignes écrites, les suivantes sont omises", " lines written, the next ones are left out")
                     << std::endl;
            else
                prog << "Pelvane" << selon(" : ", ": ") << phase << selon(" : ", ": ") << dixieme * 10 << " %" << std::endl;
        }
        return !arretDemande();
    };
}

// Writes via a new file that replaces `cible` once complete (EcritureRemplacante). `ecrire` writes
// that file and returns its Resultat; a failure names `cible` and then the writer's own reason. A
// stop asked before the replacement (the signal may come during the writing itself) leaves
// `cible` as it was; the run then ends with the signal's status.
Resultat ecrireTexte(const std::string &chemin, const std::string &texte)
{
    std::ofstream f(chemin, std::ios::binary | std::ios::trunc);
    f << texte;
    f.close();
    return f ? Resultat::succes()
             : Resultat::echec(Statut::SortieImpossible, Raison(CodeRaison::EcritureEchouee, {nom(chemin)}));
}

template <class Ecrire> Resultat ecrireAtomique(const std::string &cible, Ecrire ecrire)
{
    const Resultat echec =
        Resultat::echec(Statut::SortieImpossible, Raison(CodeRaison::EcritureImpossible, {litteral(cible)}));
    if (arretDemande())
        return echec;
    EcritureRemplacante remplacante(cible);
    const Resultat ecrit = ecrire(remplacante.chemin());
    if (!ecrit || arretDemande()) {
        if (ecrit)
            return echec;
        if (ecrit.statut != Statut::SortieImpossible)
            return ecrit;
        return Resultat::echec(Statut::SortieImpossible,
                               Raison(CodeRaison::EcritureImpossibleCar, {litteral(cible), ecrit.raison}));
    }
    return remplacante.remplacer() ? Resultat::succes() : echec;
}

class Ajustement
{
public:
    Ajustement(const Parametres &p, std::ostream &o, const Reglages &r) : param(p), prog(o), regl(r) {}

    Bilan lancer();

private:
    Resultat preparerSortie();
    Resultat verifierSortie(const std::string &fichier) const;
    Resultat lireEntrees();
    void bornerPoints();
    Resultat cycles();
    Resultat ajustementPrecis();
    Resultat ecrireSorties();
    std::vector<std::string> fichiersDeSortie() const;
    void verifierPrecision();
    Resultat mesurer();
    void ecrireRapportDEchec() const;
    std::string pourcent(double d) const;

    Parametres param; // as given, but the point counts bounded by the cloud's size
    std::ostream &prog;
    const Reglages &regl;
    Bilan bilan;
    Simplex simplex;
    Maillage nuage;
    std::vector<std::string> entrees; // every input file, never written
    std::vector<std::string> ecrits;  // outputs of this run, removed on failure
    Horloge::time_point debut;
    int pasFaits = 0; // deformation steps of the cycles
};

std::string Ajustement::pourcent(double d) const
{
    std::ostringstream s;
    s << std::setprecision(3) << 100.0 * d / bilan.diagonale << " %";
    return s.str();
}

Resultat Ajustement::preparerSortie()
{
    std::error_code ec;
    fs::create_directories(param.sortie, ec);
    if (!fs::is_directory(param.sortie, ec))
        return Resultat::echec(Statut::SortieImpossible, Raison(CodeRaison::DossierDeSortie, {litteral(param.sortie)}));
    if (!fichierPossible((fs::path(param.sortie) / (bilan.nom + ".essai")).string()))
        return Resultat::echec(Statut::SortieImpossible,
                               Raison(CodeRaison::DossierDeSortieEcriture, {litteral(param.sortie)}));
    return {};
}

Resultat Ajustement::verifierSortie(const std::string &fichier) const
{
    for (const std::string &e : entrees)
        if (memeFichier(e, fichier))
            return Resultat::echec(Statut::SortieImpossible,
                                   Raison(CodeRaison::SortieSurEntree, {litteral(fichier), litteral(e)}));
    return {};
}

Resultat Ajustement::lireEntrees()
{
    if (const Resultat lu = lireReference(param.maillage, simplex); !lu)
        return lu;
    bilan.pointsInitiaux = simplex.getNbPointsSimplex();

    // A volume gives the boundary of its region, not the solid region the thresholding keeps.
    bilan.volume = genreFichier(param.nuage) == GenreFichier::Volume;
    // Only the cycles search the cloud's kd-tree; the fit builds a tree of its own.
    nuage.sansArbre = !param.cycles;
    const Resultat nuageLu = bilan.volume ? lireFrontiere(param.nuage, param.volume, nuage, bilan.frontiere, prog)
                                          : lireNuage(param.nuage, nuage, lignesDeProgression(prog));
    if (!nuageLu)
        return nuageLu;
    // Points passed over at reading (an organised cloud's holes) are said, never lost without a word.
    if (nuage.pointsNonFinis > 0)
        prog << selon("Pelvane : ", "Pelvane: ") << nuage.pointsNonFinis
             << selon(" points à coordonnée non finie (NaN ou infinie) écartés à la lecture, ",
                      " points with a coordinate that is not finite (NaN or infinite) passed over at reading, ")
             << nuage.ListePointsInterets.size() << selon(" gardés", " kept") << std::endl;
    bilan.pointsNuage = nuage.ListePointsInterets.size();
    bilan.diagonale = boiteDe(nuage.ListePointsInterets).diagonale();
    if (!(bilan.diagonale > 0))
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::NuageReduitAUnPoint, {litteral(param.nuage)}));
    if (const std::optional<Raison> plat = defautDuNuage(nuage.ListePointsInterets))
        return Resultat::echec(Statut::NuageIllisible, nuageNomme(*plat, param.nuage));
    return {};
}

// A mesh of many more points than the cloud has fits it no better, and takes time and memory
// for nothing: the point counts asked are bounded by POINTS_PAR_POINT_DU_NUAGE times the cloud's
// size (never below the default maximum), with a line saying what is used.
void Ajustement::bornerPoints()
{
    const long plafond = plafondDesPoints(bilan.pointsNuage);
    for (auto [valeur, option] : {std::pair{&param.pointsMinimum, "--min-points"}, std::pair{&param.pointsMaximum, "--max-points"}})
        if (*valeur > plafond) {
            prog << selon("Pelvane : attention : ", "Pelvane: warning: ") << option << " " << *valeur
                 << selon(" dépasse de loin la taille du nuage (", " is far beyond the size of the cloud (")
                 << bilan.pointsNuage << selon(" points) : ", " points): ") << plafond << selon(" utilisé", " used")
                 << std::endl;
            *valeur = plafond;
        }
}

// The engine's automatic mode, as cyclesAutomatiques runs it. A progress line after each cycle;
// the automatic save saves the mesh of each cycle as NOM.cycleK.smm, with its cells facing outward.
Resultat Ajustement::cycles()
{
    Horloge::time_point finCycles = Horloge::now();
    auto apresTour = [&](Simplex &s, const TourAutomatique &t) {
        finCycles = Horloge::now();
        prog << "Pelvane" << selon(" : ", ": ") << "cycle " << t.tour << selon(" : ", ": ") << t.pointsAvant
             << selon(" points simplexes, distance moyenne au nuage ", " simplex points, mean distance to the cloud ")
             << t.distanceMoyenne << " (" << pourcent(t.distanceMoyenne) << selon("), raffinage ", "), refinement ")
             << (t.t26 ? selon("T26 global", "global T26") : selon("T22 par surfaces", "T22 by surfaces")) << " -> "
             << t.pointsApres << " points" << std::endl;
        if (!param.sauvegardeAuto)
            return;
        const std::string f =
            (fs::path(param.sortie) / (bilan.nom + ".cycle" + std::to_string(t.tour) + ".smm")).string();
        // Saved with its cells facing outward, then left as the cycles had it.
        const std::vector<std::size_t> inversees = orienterVersExterieur(s);
        const bool ecrit = verifierSortie(f).reussi() &&
                           ecrireAtomique(f, [&](const std::string &tmp) { return s.ecrire(tmp, 2); }).reussi();
        inverserMailles(s, inversees);
        if (ecrit) {
            bilan.sauvegardes.push_back(f);
            ecrits.push_back(f);
        } else {
            prog << selon("Pelvane : attention : sauvegarde du cycle impossible \"",
                          "Pelvane: warning: the cycle's mesh cannot be saved \"")
                 << f << "\"" << std::endl;
        }
    };
    BilanAutomatique b;
    // No progress lines here (the cycle lines say it), but a signal stops the mode between steps.
    const Progression arret = [](double, const Raison &) { return !arretDemande(); };
    const Resultat res = cyclesAutomatiques(simplex, nuage.kd.get(), param, regl, bilan, arret, apresTour, b);
    pasFaits = b.pas;
    bilan.dureeCycles = std::chrono::duration<double>(finCycles - debut).count() - bilan.dureeLecture;
    if (!res)
        return res;
    if (b.sansCroissance)
        prog << selon("Pelvane : attention : le raffinage n'ajoute plus de points, fin des cycles",
                      "Pelvane: warning: the refinement adds no more points, end of the cycles")
             << std::endl;
    const double moyenne = resumer(distancesAuNuage(simplex, nuage.kd.get())).moyenne;
    prog << selon("Pelvane : série finale : ", "Pelvane: final series: ") << bilan.pasFinaux << selon(" pas", " steps")
         << (bilan.arretAnticipe ? selon(" (le maillage ne bouge plus)", " (the mesh no longer moves)") : "") << ", "
         << simplex.getNbPointsSimplex()
         << selon(" points simplexes, distance moyenne au nuage ", " simplex points, mean distance to the cloud ")
         << moyenne << " (" << pourcent(moyenne) << ")" << std::endl;
    return res;
}

// The surface of the automatic mode's cycles, measured against the whole cloud.
Resultat Ajustement::mesurer()
{
    MesureSurface m;
    const Resultat r = mesurerSurface(simplex, nuage.ListePointsInterets, nullptr, param.formats, param.fils, m);
    if (r)
        prendreMesureSurface(bilan, m);
    return r;
}

// The fit of the engine, from where the placement left the mesh (it places it again, in its
// own frame, which changes nothing). Progress lines after each level; the automatic save saves
// the mesh of each level as NOM.cycleK.smm.
Resultat Ajustement::ajustementPrecis()
{
    const ReglagesAjustement r = reglagesDuFit(param, regl);
    auto apres = [&](const Simplex &s, int niveau) {
        prog << selon("Pelvane : niveau ", "Pelvane: level ") << niveau << selon(" : ", ": ") << s.getNbPointsSimplex()
             << selon(" points simplexes", " simplex points") << std::endl;
        bilan.pointsParCycle.push_back(s.getNbPointsSimplex());
        if (!param.sauvegardeAuto)
            return;
        const std::string f =
            (fs::path(param.sortie) / (bilan.nom + ".cycle" + std::to_string(niveau) + ".smm")).string();
        const bool ecrit = verifierSortie(f).reussi() &&
                           ecrireAtomique(f, [&](const std::string &tmp) { return simplex.ecrire(tmp, 2); }).reussi();
        if (ecrit) {
            bilan.sauvegardes.push_back(f);
            ecrits.push_back(f);
        } else {
            prog << selon("Pelvane : attention : sauvegarde du niveau impossible \"",
                          "Pelvane: warning: the level's mesh cannot be saved \"")
                 << f << "\"" << std::endl;
        }
    };
    MesureAjustement m;
    // The cloud goes to the fit, which frees it once its own tree holds what the figures need.
    const Resultat res = ajusterEtMesurer(simplex, std::move(nuage.ListePointsInterets), r, param.formats, m,
                                          lignesDeProgression(prog), apres);
    prendreMesureAjustement(bilan, m, res.reussi());
    return res;
}

Resultat Ajustement::ecrireSorties()
{
    for (const std::string &f : fichiersDeSortie()) {
        Resultat r = verifierSortie(f);
        if (!r.reussi())
            return r;
    }
    verifierPrecision();
    for (std::size_t i = 0; i < param.formats.size(); ++i) {
        const std::string &format = param.formats[i];
        const std::string &f = bilan.fichiersMaillage[i];
        const Maillage &t = simplex.maillageTriangule;
        const Resultat r = ecrireAtomique(f, [&](const std::string &tmp) {
            if (format == "smm" || format == "sm")
                return simplex.ecrire(tmp, format == "smm" ? 2 : 1);
            if (format == "off")
                return t.ecrireOFF(tmp);
            if (format == "obj")
                return t.ecrireOBJ(tmp);
            if (format == "ply")
                return t.ecrirePLY(tmp);
            return t.ecrireSTL(tmp);
        });
        if (!r)
            return r;
        ecrits.push_back(f);
    }
    bilan.duree = secondesDepuis(debut);
    Resultat r = ecrireAtomique(bilan.fichierRapport,
                                [&](const std::string &tmp) { return ecrireTexte(tmp, texteRapport(param, bilan)); });
    if (!r)
        return r;
    ecrits.push_back(bilan.fichierRapport);
    if (param.rapportJson) {
        const std::string json = fichierRapportJson(param);
        r = ecrireAtomique(json, [&](const std::string &tmp) { return ecrireTexte(tmp, texteRapportJson(param, bilan)); });
        if (!r)
            return r;
        ecrits.push_back(json);
    }
    return {};
}

std::vector<std::string> Ajustement::fichiersDeSortie() const
{
    std::vector<std::string> f = bilan.fichiersMaillage;
    f.push_back(bilan.fichierRapport);
    if (param.rapportJson)
        f.push_back(fichierRapportJson(param));
    return f;
}

// Six significant digits (OFF, OBJ, SMM, SM) move a mesh far from its origin by more than the
// fit's own error: measured on what those files would hold, against the mean cloud -> surface
// distance, and said when a six-digit file is asked.
void Ajustement::verifierPrecision()
{
    std::vector<point3> points;
    for (const PointSimplex *p : simplex.ListePointsSimplex)
        points.push_back(p->Position);
    bilan.ecartSixChiffres =
        std::max(ecartSixChiffres(points), ecartSixChiffres(simplex.maillageTriangule.listeSommets));
    std::string sixChiffres;
    for (const std::string &f : param.formats)
        if (f != "ply" && f != "stl")
            sixChiffres += (sixChiffres.empty() ? "" : ", ") + f;
    bilan.avertissementPrecision =
        !sixChiffres.empty() && bilan.ecartSixChiffres > 0.1 * bilan.nuageVersSurface.moyenne;
    if (bilan.avertissementPrecision) {
        std::ostringstream ecart, moyenne;
        ecart << std::setprecision(3) << bilan.ecartSixChiffres;
        moyenne << std::setprecision(3) << bilan.nuageVersSurface.moyenne;
        prog << selon("Pelvane : attention : ", "Pelvane: warning: ")
             << texteLocal(Raison(CodeRaison::PrecisionSixChiffres,
                             {litteral(sixChiffres), litteral(ecart.str()), litteral(moyenne.str())}))
             << std::endl;
    }
}

// A failed run leaves only its JSON report, which says why, when the output folder takes it and it
// overwrites no input.
void Ajustement::ecrireRapportDEchec() const
{
    const std::string f = fichierRapportJson(param);
    std::error_code ec;
    fs::create_directories(param.sortie, ec);
    if (!verifierSortie(f))
        return;
    EcritureRemplacante remplacante(f);
    if (ecrireTexte(remplacante.chemin(), texteRapportJson(param, bilan)))
        static_cast<void>(remplacante.remplacer());
}

Bilan Ajustement::lancer()
{
    debut = Horloge::now();
    bilan.nom = nomDuNuage(param.nuage) + param.suffixeNom;
    const fs::path dossier(param.sortie);
    for (const std::string &format : param.formats) {
        bilan.fichiersMaillage.push_back((dossier / (bilan.nom + "." + format)).string());
        if (format == "smm")
            bilan.fichierSmm = bilan.fichiersMaillage.back();
        if (format == "off")
            bilan.fichierOff = bilan.fichiersMaillage.back();
    }
    bilan.fichierRapport = (dossier / (bilan.nom + ".rapport.txt")).string();
    entrees = {param.maillage, param.nuage};
    if (finitPar(param.nuage, ".hdr") || finitPar(param.nuage, ".img")) {
        const std::string base = param.nuage.substr(0, param.nuage.size() - 4);
        entrees.push_back(base + ".hdr");
        entrees.push_back(base + ".img");
    }

    Resultat r;
    try {
        r = lireEntrees();
        bilan.dureeLecture = secondesDepuis(debut);
        if (r.reussi())
            bornerPoints();
        if (r.reussi())
            r = preparerSortie();
        for (const std::string &f : fichiersDeSortie())
            if (r.reussi())
                r = verifierSortie(f);
        if (r.reussi()) {
            const std::optional<Raison> raison = placerAutourDuNuage(simplex, nuage.ListePointsInterets, regl.marge);
            if (raison)
                r = Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::PlacementImpossible, {*raison}));
        }
        if (r.reussi()) {
            prog << "Pelvane" << selon(" : ", ": ") << bilan.pointsNuage
                 << selon(" points dans le nuage, ", " points in the cloud, ") << bilan.pointsInitiaux
                 << selon(" points simplexes au départ", " simplex points at the start") << std::endl;
            if (param.cycles) {
                r = cycles();
                bilan.dureeFinale = secondesDepuis(debut) - bilan.dureeLecture - bilan.dureeCycles;
                if (r.reussi())
                    r = mesurer();
            } else {
                r = ajustementPrecis(); // the fit and its measure
            }
        }
        if (r.reussi()) {
            if (!std::isfinite(bilan.nuageVersSurface.moyenne) || !std::isfinite(bilan.maillageVersNuage.moyenne))
                r = RegionDeformation::divergence(pasFaits);
        }
        if (r.reussi()) {
            bilan.dureeMesures = secondesDepuis(debut) - bilan.dureeLecture - bilan.dureeCycles - bilan.dureeFinale;
            r = ecrireSorties();
        }
    } catch (const std::exception &e) {
        r = Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterne, {litteral(e.what())}));
    } catch (...) {
        r = Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterneInconnue));
    }
    // A signal ends the run whatever it was doing, the files written included.
    if (const int signal = signalRecu)
        r = Resultat::echec(Statut::Interrompu, Raison(CodeRaison::ArreteParSignal,
                                                       {litteral(signal == SIGINT    ? "SIGINT (Ctrl+C)"
                                                                 : signal == SIGTERM ? "SIGTERM"
                                                                                     : std::to_string(signal))}));
    bilan.resultat = r;
    if (!r.reussi()) {
        for (const std::string &f : ecrits)
            supprimer(f);
        ecrits.clear();
        if (param.rapportJson)
            ecrireRapportDEchec();
    }
    return bilan;
}

} // namespace

void demanderArret(int signal)
{
    signalRecu = signal;
}

bool arretDemande()
{
    return signalRecu != 0;
}

Bilan ajuster(const Parametres &parametres, std::ostream &progression, const Reglages &reglages)
{
    try {
        Ajustement a(parametres, progression, reglages);
        return a.lancer();
    } catch (const std::exception &e) {
        Bilan b;
        b.resultat = Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterne, {litteral(e.what())}));
        return b;
    } catch (...) {
        Bilan b;
        b.resultat = Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterneInconnue));
        return b;
    }
}

} // namespace pelvane
