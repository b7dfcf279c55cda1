#include "execution.h"
#include "Ajustement.h"
#include "orientation.h"

#include "Maillage.h"
#include "Simplex.h"
#include "Ouverture.h"
#include "VolumeAnalyze.h"
#include "kdtree.h"

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

// Raised inside the cycles when a stop was asked.
struct Interruption
{
};

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

// Creates an empty file with a unique name beside `cible` and returns its name
// ("" on failure). The caller writes into it, then renames it onto `cible`.
std::string fichierTemporaire(const std::string &cible)
{
    std::string modele = cible + ".partiel-XXXXXX";
    int fd = mkstemp(modele.data());
    if (fd < 0)
        return "";
    // mkstemp makes the file private; give it the rights an ordinary new file gets.
    const mode_t masque = umask(0);
    umask(masque);
    fchmod(fd, 0666 & ~masque);
    close(fd);
    return modele;
}

void supprimer(const std::string &f)
{
    std::error_code ec;
    if (!f.empty())
        fs::remove(f, ec);
}

double distance(const point3 &a, const point3 &b)
{
    double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

struct Boite
{
    double min[3], max[3];
};

Boite boiteDe(const std::vector<point3> &points)
{
    Boite b;
    for (int k = 0; k < 3; ++k) {
        b.min[k] = std::numeric_limits<double>::infinity();
        b.max[k] = -std::numeric_limits<double>::infinity();
    }
    for (const point3 &p : points) {
        const double c[3] = {p.x, p.y, p.z};
        for (int k = 0; k < 3; ++k) {
            b.min[k] = std::min(b.min[k], c[k]);
            b.max[k] = std::max(b.max[k], c[k]);
        }
    }
    return b;
}

// Mean move of the simplex points along their normals in the last step: the
// change of shape. Points also slide along the surface as their nearest cloud
// points change; that sliding does not change the fit and is left out.
double deplacementNormalMoyen(const Simplex &s)
{
    if (s.ListePointsSimplex.empty())
        return 0;
    double somme = 0;
    for (std::size_t i = 0; i < s.ListePointsSimplex.size(); ++i) {
        const PointSimplex *p = s.ListePointsSimplex[i];
        const point3 &a = p->Position, &b = s.ListePointsPrecedents[i]->Position;
        somme += std::fabs((a.x - b.x) * p->Ni.x + (a.y - b.y) * p->Ni.y + (a.z - b.z) * p->Ni.z);
    }
    return somme / static_cast<double>(s.ListePointsSimplex.size());
}

// Distance from each simplex point to its nearest cloud point.
std::vector<double> distancesAuNuage(const Simplex &s, const kd_tree *kd)
{
    std::vector<double> d;
    d.reserve(s.ListePointsSimplex.size());
    for (const PointSimplex *p : s.ListePointsSimplex) {
        kd_result *r = kd_closest3(kd, p->Position.x, p->Position.y, p->Position.z);
        double q[3];
        if (r && !kd_result_at_end(r)) {
            kd_result_point(r, q);
            d.push_back(distance(p->Position, point3(q[0], q[1], q[2])));
        } else {
            d.push_back(std::numeric_limits<double>::infinity());
        }
        kd_result_release(r);
    }
    return d;
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

// Reads the cloud into m (points and kd-tree) through the engine's opener, with the
// thresholds of a new document for a volume. A cloud that is short, cut or corrupt is
// refused, with the engine's reason naming the file and the line: a batch must not take a
// part of a cloud for the whole.
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
    if (m.ListePointsInterets.empty())
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::NuageSansPoint, {litteral(chemin)}));
    for (const point3 &p : m.ListePointsInterets)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            return Resultat::echec(Statut::NuageIllisible,
                                   Raison(CodeRaison::NuageCoordonneeNonFinie, {litteral(chemin)}));
    return r;
}

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
        const std::string ligne = texte(etape);
        const std::string phase = ligne.substr(0, ligne.find(" : "));
        const int dixieme = static_cast<int>(fraction * 10);
        if ((phase != dernier->phase || dixieme != dernier->dixieme) && dernier->lignes <= LIGNES_DE_PROGRESSION) {
            dernier->phase = phase;
            dernier->dixieme = dixieme;
            if (++dernier->lignes > LIGNES_DE_PROGRESSION)
                prog << "Pelvane : progression : " << LIGNES_DE_PROGRESSION
                     << " lignes écrites, les suivantes sont omises" << std::endl;
            else
                prog << "Pelvane : " << phase << " : " << dixieme * 10 << " %" << std::endl;
        }
        return !arretDemande();
    };
}

// Name of the cloud without folder and extension.
std::string nomDuNuage(const std::string &chemin)
{
    std::string nom = fs::path(chemin).filename().string();
    auto point = nom.rfind('.');
    if (point != std::string::npos && point > 0)
        nom = nom.substr(0, point);
    return nom.empty() ? "nuage" : nom;
}

// Writes via a temporary file renamed onto `cible` once complete. A stop asked before the
// rename (the signal may come during the writing itself) removes the temporary file instead.
template <class Ecrire> bool ecrireAtomique(const std::string &cible, Ecrire ecrire)
{
    if (arretDemande())
        return false;
    const std::string tmp = fichierTemporaire(cible);
    if (tmp.empty())
        return false;
    if (!ecrire(tmp) || arretDemande()) {
        supprimer(tmp);
        return false;
    }
    std::error_code ec;
    fs::rename(tmp, cible, ec);
    if (ec) {
        supprimer(tmp);
        return false;
    }
    return true;
}

// Raised inside a run when the mesh leaves finite space: the weights make the
// steps diverge. Caught by Ajustement::lancer.
struct Divergence
{
    int pas;
};

// True while every simplex point is finite and within `rayon` of `centre`.
bool dansLesBornes(const Simplex &s, const point3 &centre, double rayon)
{
    const double r2 = rayon * rayon;
    for (const PointSimplex *p : s.ListePointsSimplex) {
        const double dx = p->Position.x - centre.x, dy = p->Position.y - centre.y, dz = p->Position.z - centre.z;
        // Written so that a coordinate that is not a number fails the test.
        if (!(dx * dx + dy * dy + dz * dz <= r2))
            return false;
    }
    return true;
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
    void cycles();
    void serieFinale();
    Resultat ajustementPrecis();
    Resultat ecrireSorties();
    void mesurer();
    void pas(bool &dejaDeforme);
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
    int pasFaits = 0;
    point3 centreNuage; // centre of the cloud's bounding box
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
    const std::string essai = fichierTemporaire((fs::path(param.sortie) / (bilan.nom + ".essai")).string());
    if (essai.empty())
        return Resultat::echec(Statut::SortieImpossible,
                               Raison(CodeRaison::DossierDeSortieEcriture, {litteral(param.sortie)}));
    supprimer(essai);
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
    // The engine's reader opens only a regular file (a pipe would block an ordinary open).
    const Resultat lu = genreFichier(param.maillage) == GenreFichier::Simplex
                            ? ouvrirMaillage(param.maillage, simplex)
                            : Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::SmmAttendu));
    // An OFF text under a .smm name is read as triangles: the fit needs the simplex mesh.
    if (lu && simplex.ListePointsSimplex.empty() && !simplex.maillageOrigine.listeFaces.empty())
        return Resultat::echec(Statut::MaillageIllisible,
                               Raison(CodeRaison::ReferenceTriangulaire,
                                      {litteral(param.maillage), simplex.maillageOrigine.listeSommets.size(),
                                       simplex.maillageOrigine.listeFaces.size()}));
    if (!lu || simplex.ListePointsSimplex.empty()) {
        const Raison illisible(CodeRaison::ReferenceIllisible, {litteral(param.maillage)});
        return Resultat::echec(Statut::MaillageIllisible,
                               lu ? illisible : Raison(CodeRaison::Contexte, {illisible, lu.raison}));
    }
    const std::optional<Raison> defaut = defautDuMaillage(simplex);
    if (defaut)
        return Resultat::echec(Statut::MaillageIllisible,
                               Raison(CodeRaison::ReferenceNonFermee, {litteral(param.maillage), *defaut}));
    bilan.pointsInitiaux = simplex.getNbPointsSimplex();

    const Resultat nuageLu = lireNuage(param.nuage, nuage, lignesDeProgression(prog));
    if (!nuageLu)
        return nuageLu;
    bilan.pointsNuage = nuage.ListePointsInterets.size();
    const Boite b = boiteDe(nuage.ListePointsInterets);
    centreNuage = point3((b.min[0] + b.max[0]) / 2, (b.min[1] + b.max[1]) / 2, (b.min[2] + b.max[2]) / 2);
    bilan.diagonale =
        std::sqrt((b.max[0] - b.min[0]) * (b.max[0] - b.min[0]) + (b.max[1] - b.min[1]) * (b.max[1] - b.min[1]) +
                  (b.max[2] - b.min[2]) * (b.max[2] - b.min[2]));
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
    const long plafond = static_cast<long>(std::min<std::size_t>(
        std::max<std::size_t>(Parametres().pointsMaximum, POINTS_PAR_POINT_DU_NUAGE * bilan.pointsNuage), 999999));
    for (auto [valeur, option] : {std::pair{&param.pointsMinimum, "--min-points"}, std::pair{&param.pointsMaximum, "--max-points"}})
        if (*valeur > plafond) {
            prog << "Pelvane : attention : " << option << " " << *valeur << " dépasse de loin la taille du nuage ("
                 << bilan.pointsNuage << " points) : " << plafond << " utilisé" << std::endl;
            *valeur = plafond;
        }
}

void Ajustement::pas(bool &dejaDeforme)
{
    if (arretDemande())
        throw Interruption{};
    simplex.deformer(nuage.kd.get(), dejaDeforme ? 1 : 0, param.alpha, param.beta, param.gamma, param.rigid, false);
    dejaDeforme = true;
    ++pasFaits;
    // A diverging mesh would go on filling the console with diagnostics and
    // end in a meaningless result: stop at the first step that takes a point
    // ten diagonals away from the cloud (or out of finite space).
    if (!dansLesBornes(simplex, centreNuage, 10 * bilan.diagonale))
        throw Divergence{pasFaits};
}

void Ajustement::cycles()
{
    bool dejaDeforme = false;
    bool phaseT26 = true;
    int sansCroissance = 0;
    while (simplex.getNbPointsSimplex() < param.pointsMinimum && bilan.cycles < regl.cyclesMaximum) {
        for (int i = 0; i < param.iterations; ++i)
            pas(dejaDeforme);
        const std::vector<double> d = distancesAuNuage(simplex, nuage.kd.get());
        const double moyenne = resumer(d).moyenne;
        const int avant = simplex.getNbPointsSimplex();
        if (phaseT26)
            simplex.RaffinageT26Global();
        else
            simplex.RaffinageT22Surfaces();
        dejaDeforme = false; // the refined mesh has no previous positions yet
        const int apres = simplex.getNbPointsSimplex();
        ++bilan.cycles;
        bilan.pointsParCycle.push_back(apres);
        prog << "Pelvane : cycle " << bilan.cycles << " : " << avant << " points simplexes, distance moyenne au nuage "
             << moyenne << " (" << pourcent(moyenne) << "), raffinage "
             << (phaseT26 ? "T26 global" : "T22 par surfaces") << " -> " << apres << " points" << std::endl;
        phaseT26 = !phaseT26;
        if (param.sauvegardeAuto) {
            const std::string f =
                (fs::path(param.sortie) / (bilan.nom + ".cycle" + std::to_string(bilan.cycles) + ".smm")).string();
            // Saved with its cells facing outward, then left as the cycles had it.
            const std::vector<std::size_t> inversees = orienterVersExterieur(simplex);
            const bool ecrit = verifierSortie(f).reussi() &&
                               ecrireAtomique(f, [&](const std::string &tmp) { return simplex.exporter(tmp, 2); });
            inverserMailles(simplex, inversees);
            if (ecrit) {
                bilan.sauvegardes.push_back(f);
                ecrits.push_back(f);
            } else {
                prog << "Pelvane : attention : sauvegarde du cycle impossible \"" << f << "\"" << std::endl;
            }
        }
        // Two refinements in a row that add nothing (T26 then T22 or the
        // reverse) mean the mesh can no longer grow.
        sansCroissance = apres > avant ? 0 : sansCroissance + 1;
        if (sansCroissance >= 2) {
            prog << "Pelvane : attention : le raffinage n'ajoute plus de points, fin des cycles" << std::endl;
            break;
        }
    }
}

void Ajustement::serieFinale()
{
    bilan.pasFinauxPrevus =
        param.iterations > 0 ? std::max(param.iterations * regl.facteurFinale, regl.finaleMinimum) : 0;
    const double seuil = regl.seuilArret * bilan.diagonale;
    bool dejaDeforme = false;
    for (int i = 0; i < bilan.pasFinauxPrevus; ++i) {
        pas(dejaDeforme);
        ++bilan.pasFinaux;
        bilan.deplacementFinal = deplacementNormalMoyen(simplex);
        if (bilan.deplacementFinal < seuil) {
            bilan.arretAnticipe = i + 1 < bilan.pasFinauxPrevus;
            break;
        }
    }
    const double moyenne = resumer(distancesAuNuage(simplex, nuage.kd.get())).moyenne;
    prog << "Pelvane : série finale : " << bilan.pasFinaux << " pas"
         << (bilan.arretAnticipe ? " (le maillage ne bouge plus)" : "") << ", " << simplex.getNbPointsSimplex()
         << " points simplexes, distance moyenne au nuage " << moyenne << " (" << pourcent(moyenne) << ")" << std::endl;
}

void Ajustement::mesurer()
{
    // The refinements leave cells running both ways round the surface: the
    // results are written with every cell, and so every triangle, facing outward.
    orienterVersExterieur(simplex);
    simplex.Triangularisation();
    const Maillage &t = simplex.maillageTriangule;
    bilan.pointsFinaux = simplex.getNbPointsSimplex();
    bilan.mailles = static_cast<int>(simplex.ListeMailles.size());
    bilan.sommetsTriangulation = static_cast<int>(t.listeSommets.size());
    bilan.triangles = static_cast<int>(t.listeFaces.size());
    const FiguresAjustement f = mesurerAjustement(simplex, nuage.ListePointsInterets, param.fils);
    bilan.nuageVersSurface = f.nuageVersSurface;
    bilan.surfaceVersNuage = f.surfaceVersNuage;
    bilan.echantillonsSurface = f.echantillonsSurface;
    bilan.maillageVersNuage = f.pointsVersNuage;
}

// The fit of the engine, from where the placement left the mesh (it places it again, in its
// own frame, which changes nothing). Progress lines after each level; the automatic save saves
// the mesh of each level as NOM.cycleK.smm.
Resultat Ajustement::ajustementPrecis()
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
    BilanAjustement b;
    auto apres = [&](const Simplex &s, int niveau) {
        prog << "Pelvane : niveau " << niveau << " : " << s.getNbPointsSimplex() << " points simplexes" << std::endl;
        bilan.pointsParCycle.push_back(s.getNbPointsSimplex());
        if (!param.sauvegardeAuto)
            return;
        const std::string f =
            (fs::path(param.sortie) / (bilan.nom + ".cycle" + std::to_string(niveau) + ".smm")).string();
        const bool ecrit = verifierSortie(f).reussi() &&
                           ecrireAtomique(f, [&](const std::string &tmp) { return simplex.exporter(tmp, 2); });
        if (ecrit) {
            bilan.sauvegardes.push_back(f);
            ecrits.push_back(f);
        } else {
            prog << "Pelvane : attention : sauvegarde du niveau impossible \"" << f << "\"" << std::endl;
        }
    };
    const Resultat res = ajuster(simplex, nuage.ListePointsInterets, r, lignesDeProgression(prog), &b, apres);
    bilan.cycles = b.niveaux;
    bilan.pasFinaux = b.pas;
    bilan.arretAnticipe = b.converge;
    return res;
}

Resultat Ajustement::ecrireSorties()
{
    for (const std::string *f : {&bilan.fichierSmm, &bilan.fichierOff, &bilan.fichierRapport}) {
        Resultat r = verifierSortie(*f);
        if (!r.reussi())
            return r;
    }
    auto echec = [](const std::string &f) {
        return Resultat::echec(Statut::SortieImpossible, Raison(CodeRaison::EcritureImpossible, {litteral(f)}));
    };
    if (!ecrireAtomique(bilan.fichierSmm, [&](const std::string &tmp) { return simplex.exporter(tmp, 2); }))
        return echec(bilan.fichierSmm);
    ecrits.push_back(bilan.fichierSmm);
    if (!ecrireAtomique(bilan.fichierOff,
                        [&](const std::string &tmp) { return simplex.maillageTriangule.exporterOFF(tmp); }))
        return echec(bilan.fichierOff);
    ecrits.push_back(bilan.fichierOff);
    bilan.duree = secondesDepuis(debut);
    const std::string texte = texteRapport(param, bilan);
    if (!ecrireAtomique(bilan.fichierRapport, [&](const std::string &tmp) {
            std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
            f << texte;
            f.close();
            return static_cast<bool>(f);
        }))
        return echec(bilan.fichierRapport);
    ecrits.push_back(bilan.fichierRapport);
    return {};
}

Bilan Ajustement::lancer()
{
    debut = Horloge::now();
    bilan.nom = nomDuNuage(param.nuage);
    const fs::path dossier(param.sortie);
    bilan.fichierSmm = (dossier / (bilan.nom + ".smm")).string();
    bilan.fichierOff = (dossier / (bilan.nom + ".off")).string();
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
        for (const std::string *f : {&bilan.fichierSmm, &bilan.fichierOff, &bilan.fichierRapport})
            if (r.reussi())
                r = verifierSortie(*f);
        if (r.reussi()) {
            const std::optional<Raison> raison = placerAutourDuNuage(simplex, nuage.ListePointsInterets, regl.marge);
            if (raison)
                r = Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::PlacementImpossible, {*raison}));
        }
        if (r.reussi()) {
            prog << "Pelvane : " << bilan.pointsNuage << " points dans le nuage, " << bilan.pointsInitiaux
                 << " points simplexes au départ" << std::endl;
            if (param.cycles) {
                cycles();
                bilan.dureeCycles = secondesDepuis(debut) - bilan.dureeLecture;
                serieFinale();
            } else {
                r = ajustementPrecis();
                bilan.dureeCycles = secondesDepuis(debut) - bilan.dureeLecture;
            }
            bilan.dureeFinale = secondesDepuis(debut) - bilan.dureeLecture - bilan.dureeCycles;
        }
        if (r.reussi()) {
            mesurer();
            if (!std::isfinite(bilan.nuageVersSurface.moyenne) || !std::isfinite(bilan.maillageVersNuage.moyenne))
                throw Divergence{pasFaits};
            bilan.dureeMesures = secondesDepuis(debut) - bilan.dureeLecture - bilan.dureeCycles - bilan.dureeFinale;
            r = ecrireSorties();
        }
    } catch (const Interruption &) {
        r = Resultat::interrompu(Raison(CodeRaison::Ajustement));
    } catch (const Divergence &d) {
        r = Resultat::echec(Statut::Echec, Raison(CodeRaison::Divergence, {d.pas}));
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
