#include "Ajustement.h"
#include "ArbrePoints.h"
#include "Boite.h"
#include "Chirurgie.h"
#include "Divergence.h"
#include "Parties.h"
#include "Plis.h"
#include "Reposer.h"
#include "Vecteurs.h"
#include "Parallele.h"
#include "PointsIsoles.h"
#include "Bruit.h"
#include "TableAjustement.h"
#include "Voiles.h"
#include "orientation.h"

#include "Simplex.h"
#include "Maillage.h"
#include "SimplexRaffinage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <unordered_map>
#include <utility>

namespace {

// The fit's own frame: the cloud's box (`boite`) centred on the origin, its diagonal 1.
ArbrePoints::Repere repereDeTravail(const Boite &boite)
{
    return {boite.centre(), 1.0 / boite.diagonale()};
}

// Raised inside the run when a step leaves the region of the deformation (RegionDeformation).
struct Divergence
{
    int pas;
};

// Raised inside the run to end it at once (Ajusteur::lancer catches it).
struct Fin
{
    Resultat resultat;
};

constexpr double INFINI = std::numeric_limits<double>::infinity();

// The fit proper, on the mesh's own arrays in the working frame.
class Ajusteur
{
public:
    /// `boite`: the cloud's box; `arbre`: the cloud in the working frame (repereDeTravail), which
    /// the fit keeps as the only copy of it in that frame.
    Ajusteur(Simplex &maillage, const std::vector<point3> &nuage, const Boite &boite, ArbrePoints &&arbre,
             const ReglagesAjustement &r, const Progression &p, BilanAjustement &b,
             const std::function<void(const Simplex &, int)> &apres)
        : s(maillage), reglages(r), progression(p), bilan(b), apresNiveau(apres), fils(filsEffectifs(r.fils)),
          arbreNuage(std::move(arbre))
    {
        centre = boite.centre();
        echelle = boite.diagonale();
        // Without the stray points, when there are some (a copy then, for as long as the samples are drawn).
        const std::vector<point3> sans = r.isoles == Jugement::Non ? std::vector<point3>() : ecarterIsoles(nuage);
        const std::vector<point3> &gardes = sans.empty() ? nuage : sans;
        const std::size_t m = std::min(gardes.size(), std::max<std::size_t>(reglages.echantillonMaximum, 1));
        echantillon.reserve(m);
        // In a space-filling order: each search then starts where the one before ended, in memory.
        std::vector<point3> choisis(m);
        for (std::size_t k = 0; k < m; ++k)
            choisis[k] = fois(gardes[k * gardes.size() / m] - centre, 1.0 / echelle);
        for (std::size_t k : ordreSpatial(choisis))
            echantillon.push_back(choisis[k]);
    }

    Resultat lancer();
    /// The share of the fit done at the share `dans` of level `niveau` (1, 2, ...): how many levels
    /// a cloud takes is known only at the end, so each level takes PART_PAR_NIVEAU of what is left
    /// of PART_DES_NIVEAUX, the last settling the rest. It rises with every step and reaches 1
    /// once, when the fit is done.
    static double avancement(int niveau, double dans)
    {
        return PART_DES_NIVEAUX * (1 - std::pow(1 - PART_PAR_NIVEAU, niveau - 1 + std::clamp(dans, 0.0, 1.0)));
    }
    /// The working cloud's tree, given up once the run is over: the points kept, with the lone
    /// ones the surface was drawn to at the end (`nuage`: the cloud the run was given).
    std::shared_ptr<const ArbrePoints> cederLeNuage(const std::vector<point3> &nuage)
    {
        if (seulsAtteints) {
            arbreNuage = ArbrePoints();
            std::vector<point3> copie;
            const std::vector<point3> &gardes = pointsGardes(nuage, bilan.ecartes, copie);
            arbreNuage = ArbrePoints(gardes, ArbrePoints::Repere{centre, 1.0 / echelle}, fils, false);
        }
        return std::make_shared<const ArbrePoints>(std::move(arbreNuage));
    }

private:
    std::vector<point3> ecarterIsoles(const std::vector<point3> &nuage);
    void lireMaillage();
    void ecrireMaillage(const std::vector<point3> &positions);
    // libre > 0: a point farther than it from the cloud, drawn by no cloud point and with the
    // nearest one to its side, moves under its curvature only.
    double pas(double tau, double mu, double kappa, double libre);
    void detendre();
    std::vector<point3> normales() const;
    point3 vecteurAire(const std::vector<int> &c) const;
    bool franchitUnVide(const point3 &x, const point3 &n, int compte, long j, double d2, double loin) const;
    bool raffinerLocalement(double &moyenne, int niveau, double fait);
    void trianguler(std::vector<point3> &sommets, std::vector<std::array<int, 3>> &faces) const;
    std::vector<double> ecartsAuNuage() const;
    double ecartSurfaceMoyen() const;
    /// The progression of a refinement inside the fit: its phases at the share `fait` of the
    /// fit; a stop asked meanwhile is heard at the next step, so that a stopped fit still leaves
    /// a completed step's mesh.
    Progression rapporterA(double fait) const
    {
        if (!progression)
            return Progression();
        return [this, fait](double, const Raison &etape) {
            static_cast<void>(progression(fait, etape));
            return true;
        };
    }
    /// Where the surface spans a void: the outward normals; the candidates of a web (see
    /// couperVoiles); the points the cloud draws; those resting on it (drawn, or with their
    /// nearest cloud point under them rather than to their side); and those far off it with the
    /// nearest cloud point to their side, drawn or not (over a hole, the cloud round it may still
    /// draw the sheets while they close in).
    struct Vide
    {
        std::vector<point3> normales;
        std::vector<char> candidats, tires, appuis, lointains;
    };
    double distanceLointaine() const;
    Vide vide() const;
    bool prendre(const ListesSimplexe &apres);
    bool couperVoiles();
    void jugerVoileLarge();
    bool ouvrirAnses();
    bool ouvrirBouchons();
    void finirTraversee();
    void rendre(); // back to the cloud's frame, cells outward

    // The stages of lancer, in their order.
    std::optional<Raison> placer(); // around the cloud; the reason it cannot
    void lisserLeBruit();
    void parcourirLesNiveaux();
    void commencerNiveau();
    struct Poids
    {
        double tau, mu, kappa; // towards the data; along the surface; across it
    };
    Poids poidsDuNiveau() const;
    double espacementDesPoints() const;
    bool deformer(int niveau); // true: a handle was opened on the way
    void montrerNiveau(int niveau);
    bool entreDeuxNiveaux(int niveau);
    void raffinerPartout(int niveau);
    bool raffinerOuConclure(int niveau);
    ReglagesRepos reglagesDuRepos() const;
    const std::vector<point3> &attirants() const;
    void reposer();
    void deplier();
    void demeler();
    std::vector<std::vector<point3>> formesEcrites(const std::vector<point3> &sommets) const;
    // Asks the progression to go on; raises Fin (stopped) when it does not.
    void demander(double fraction, const Raison &phase) const;
    // The one way out of a run: the mesh back in the cloud's frame, as the contract says.
    Resultat conclure(const Resultat &r);

    Simplex &s;
    const ReglagesAjustement &reglages;
    const Progression &progression;
    BilanAjustement &bilan;
    const std::function<void(const Simplex &, int)> &apresNiveau;
    int fils;

    point3 centre;
    double echelle = 1;
    std::vector<point3> echantillon; // cloud points that pull on the surface
    std::vector<point3> seuls;       // isolated points the surface reaches at the end (prolongentUnBord)
    std::vector<std::size_t> seulsDansLeNuage; // and their indices in the cloud, increasing
    bool seulsAtteints = false;                // they were, and are set aside no more
    ArbrePoints arbreNuage;          // the cloud in the working frame

    std::vector<point3> X, precedent;
    std::vector<std::array<int, 3>> voisins;
    std::vector<std::size_t> parcours; // the points in a space-filling order, from the level's start
    std::vector<std::vector<int>> mailles;
    std::vector<long> attache;     // nearest simplex point of each sample point, last step
    std::vector<long> procheNuage; // slot in arbreNuage of the nearest cloud point of each simplex point, last step
    RegionDeformation region{Boite(), {}}; // set once the mesh is placed
    double dernierMax = 0;     // largest move of the last step
    bool scinde = false;       // points split since the mesh was last read
    int coupes = 0;            // webs cut out so far
    int anses = 0;             // handles opened so far
    double espacementNuage = 0; // median distance between neighbours of the cloud, once known
    // A handle opened across a ring that is cut (see ouvrirAnses): the cut it spans and the mesh
    // before it, until the surface over the cut is cut in its turn. Tried once.
    Fente fente;
    std::optional<ListesSimplexe> avantTraversee;
    bool traverseeEssayee = false;
    // A wide web cut out (see couperVoiles), until the level after it tells whether the surface
    // came closer to the cloud: what the fit was before it, to go back to.
    struct AvantVoile
    {
        ListesSimplexe maillage;
        std::vector<point3> precedent;
        std::vector<long> attache, procheNuage;
        double surface = 0, plusLoin = 0, moyennePrecedente = 0;
    };
    std::optional<AvantVoile> avantVoileLarge;
    // Wide cuts are looked for on the first level of local refinement (the coarse levels leave
    // such sheets), and on each level after one that was kept.
    bool voilesLarges = true;

    // The course of the levels.
    bool local = false;      // local refinement has begun
    bool dernier = false;    // settle the last refinement, then stop
    double moyennePrecedente = INFINI; // mean sample-to-surface distance of the best level so far
    bool aLire = true;       // the simplex mesh has changed since X was read from it
    std::vector<point3> echantillonEtSeuls; // what the last settling pulls on, with lone points
};

// Stray points leave the working cloud (its tree): nothing draws the surface to them. Returns
// the cloud without them when there are some (bilan.ecartes: their indices in `nuage`).
std::vector<point3> Ajusteur::ecarterIsoles(const std::vector<point3> &nuage)
{
    std::vector<std::size_t> &ecartes = bilan.ecartes;
    double mediane = 0;
    ecartes = pointsIsoles(arbreNuage.points(), arbreNuage, fils, &mediane);
    if (ecartes.empty())
        return {};
    for (std::size_t &k : ecartes)
        k = arbreNuage.indice(k); // tree slot -> index in the cloud
    std::sort(ecartes.begin(), ecartes.end());
    std::vector<point3> isoles;
    for (std::size_t k : ecartes)
        isoles.push_back(fois(nuage[k] - centre, 1.0 / echelle));
    std::vector<point3> gardes = sansLesPoints(nuage, ecartes);
    arbreNuage = ArbrePoints(); // freed before the new one is built
    arbreNuage = ArbrePoints(gardes, ArbrePoints::Repere{centre, 1.0 / echelle}, fils, false);
    // Lone points past the edge of a sheet: the surface reaches them once settled.
    const std::vector<char> bord = prolongentUnBord(isoles, arbreNuage, mediane);
    for (std::size_t k = 0; k < isoles.size(); ++k)
        if (bord[k]) {
            seuls.push_back(isoles[k]);
            seulsDansLeNuage.push_back(ecartes[k]);
        }
    return gardes;
}

void Ajusteur::lireMaillage()
{
    orienterVersExterieur(s);
    ListesSimplexe l = listesDe(s);
    aLire = false;
    X = std::move(l.positions);
    voisins = std::move(l.voisins);
    mailles = std::move(l.mailles);
    precedent = X;
    parcours = ordreSpatial(X);
}

void Ajusteur::ecrireMaillage(const std::vector<point3> &positions)
{
    for (std::size_t i = 0; i < positions.size(); ++i) {
        s.ListePointsSimplex[i]->Position = positions[i];
        if (i < s.ListePointsSuivants.size())
            s.ListePointsSuivants[i]->Position = positions[i];
        if (i < s.ListePointsPrecedents.size())
            s.ListePointsPrecedents[i]->Position = positions[i];
    }
}

// Twice the area vector of a cell (outward when the cell runs counter-clockwise seen from outside).
point3 Ajusteur::vecteurAire(const std::vector<int> &c) const
{
    point3 a(0, 0, 0);
    for (std::size_t k = 0; k < c.size(); ++k)
        a += vect(X[c[k]], X[c[(k + 1) % c.size()]]);
    return a;
}

// Outward normals of the points: the sum of the area vectors of the cells around each point,
// the cells running counter-clockwise seen from outside (lireMaillage has them turned so).
std::vector<point3> Ajusteur::normales() const
{
    std::vector<point3> N(X.size(), point3(0, 0, 0));
    for (const std::vector<int> &c : mailles) {
        const point3 a = vecteurAire(c);
        for (int i : c)
            N[i] += a;
    }
    for (point3 &n : N) {
        const double l = norme(n);
        n = l > 0 ? fois(n, 1.0 / l) : point3(0, 0, 0);
    }
    return N;
}

// A point at x (normal n) spans a gap when no cloud point draws it (compte) and its nearest one,
// j at squared distance d2, is farther than `loin` and to its side, not ahead or behind.
bool Ajusteur::franchitUnVide(const point3 &x, const point3 &n, int compte, long j, double d2, double loin) const
{
    return compte == 0 && j >= 0 && d2 > loin * loin &&
           std::abs(scal(arbreNuage.points()[static_cast<std::size_t>(j)] - x, n)) < COTE_DU_VIDE * std::sqrt(d2);
}

// One step: every point moves from the same state. Returns the mean move (dernierMax: the largest).
double Ajusteur::pas(double tau, double mu, double kappa, double libre)
{
    const std::size_t n = X.size();
    const std::vector<point3> N = normales();

    // Cloud to model: each sample point pulls on its nearest simplex point.
    const ArbrePoints arbreMaillage(X, fils, true, ArbrePoints::Decoupe::Points);
    // Last step's answers start the searches: the points have moved little since.
    attache.resize(echantillon.size(), -1);
    enParallele(echantillon.size(), fils, [&](std::size_t debut, std::size_t fin) {
        double d2;
        for (std::size_t k = debut; k < fin; ++k)
            attache[k] = arbreMaillage.plusProche(echantillon[k], d2, attache[k]);
    });
    std::vector<point3> somme(n, point3(0, 0, 0));
    std::vector<int> compte(n, 0);
    for (std::size_t k = 0; k < echantillon.size(); ++k)
        if (attache[k] >= 0) {
            somme[attache[k]] += echantillon[k];
            ++compte[attache[k]];
        }

    std::vector<point3> Y(n);
    std::vector<double> deplacement(n);
    procheNuage.resize(n, -1);
    const double gamma = std::clamp(reglages.retenue, 0.0, 1.0);
    // Each point's move is written at its own index: the order of the work is free, and the
    // space-filling one keeps the searches close in memory.
    enParallele(n, fils, [&](std::size_t debut, std::size_t fin) {
        double d2;
        for (std::size_t r = debut; r < fin; ++r) {
            const std::size_t i = parcours[r];
            const point3 &x = X[i];
            // Model to cloud: the nearest cloud point, one vote among those of the attached points.
            long &j = procheNuage[i];
            point3 cible = arbreNuage.plusProcheDepuis(x, d2, j) >= 0 ? arbreNuage.points()[static_cast<std::size_t>(j)] : x;
            cible = fois(cible + somme[i], 1.0 / (1.0 + compte[i]));
            const point3 donnees = cible - x;
            // Neighbours: the tangential part spreads the points evenly, the normal part smooths.
            const point3 g = fois(X[voisins[i][0]] + X[voisins[i][1]] + X[voisins[i][2]], 1.0 / 3.0);
            const point3 l = g - x;
            const point3 ln = fois(N[i], scal(l, N[i]));
            const point3 lt = l - ln;
            if (libre > 0 && franchitUnVide(x, N[i], compte[i], j, d2, libre)) {
                // No cloud point draws this point, and the nearest one is far and to its side, not
                // ahead or behind: the surface spans a gap there (a web between two limbs, a patch
                // over a hole of the scan). Pulled sideways it would only stretch; its curvature
                // alone flattens a patch and draws the fold of a web back towards the gap's root.
                Y[i] = x + fois(lt, mu) + fois(ln, COURBURE_SUR_UN_VIDE) + fois(precedent[i] - x, gamma);
            } else {
                Y[i] = x + fois(donnees, tau) + fois(lt, mu) + fois(ln, kappa) + fois(precedent[i] - x, gamma);
            }
            deplacement[i] = norme(Y[i] - x);
        }
    });
    double total = 0;
    dernierMax = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!region.contient(Y[i]))
            throw Divergence{bilan.pas + 1};
        total += deplacement[i];
        dernierMax = std::max(dernierMax, deplacement[i]);
    }
    precedent.swap(X);
    X.swap(Y);
    ++bilan.pas;
    return n ? total / static_cast<double>(n) : 0;
}

// Spreads the points along the surface (see TOURS_DE_DETENTE); the surface's shape stays. Each
// point goes towards the mean of the middles of its three cells, not of its three neighbours: a
// point between a large cell and small ones is then drawn into the large one, which shrinks; the
// mean of the neighbours draws it out, and a large cell beside refined ones grew round by round
// (on one view of a ball, a cell half the radius across, its middle 0.16 under the sheet).
void Ajusteur::detendre()
{
    std::vector<point3> Y(X.size());
    std::vector<std::array<int, 3>> autour(X.size(), {-1, -1, -1});
    for (std::size_t c = 0; c < mailles.size(); ++c)
        for (int i : mailles[c])
            for (int &a : autour[static_cast<std::size_t>(i)])
                if (a < 0) {
                    a = static_cast<int>(c);
                    break;
                }
    // Only the points on the data: those over none (a web, a patch over a hole; see
    // distanceLointaine) are left as they are for the web cut to find (spread, the web of one
    // view of the bunny was no longer cut, and the fit stopped with it).
    std::vector<char> surLeNuage(X.size(), 0);
    {
        const double loin = distanceLointaine();
        enParallele(X.size(), fils, [&](std::size_t debut, std::size_t fin) {
            double d2;
            for (std::size_t i = debut; i < fin; ++i)
                surLeNuage[i] = arbreNuage.plusProche(X[i], d2) >= 0 && d2 <= loin * loin;
        });
    }
    for (int t = 0; t < TOURS_DE_DETENTE; ++t) {
        const std::vector<point3> N = normales();
        const std::vector<point3> milieux = centresDesMailles(X, mailles);
        enParallele(X.size(), fils, [&](std::size_t debut, std::size_t fin) {
            for (std::size_t i = debut; i < fin; ++i) {
                const std::array<int, 3> &a = autour[i];
                if (a[2] < 0 || !surLeNuage[i]) { // off the data, or not in three cells: left as it is
                    Y[i] = X[i];
                    continue;
                }
                const point3 l = fois(milieux[a[0]] + milieux[a[1]] + milieux[a[2]], 1.0 / 3.0) - X[i];
                Y[i] = X[i] + fois(l - fois(N[i], scal(l, N[i])), PART_DE_DETENTE);
            }
        });
        X.swap(Y);
    }
    precedent = X;
}

// The surface as it is written: each cell fanned round the mean of its points.
void Ajusteur::trianguler(std::vector<point3> &sommets, std::vector<std::array<int, 3>> &faces) const
{
    triangulerEnEventail(X, mailles, sommets, faces);
}

// Distance of each sample point to that surface.
std::vector<double> Ajusteur::ecartsAuNuage() const
{
    std::vector<point3> sommets;
    std::vector<std::array<int, 3>> faces;
    trianguler(sommets, faces);
    const ArbreTriangles surface(sommets, faces, fils);
    std::vector<double> d(echantillon.size());
    enParallele(echantillon.size(), fils, [&](std::size_t debut, std::size_t fin) {
        std::size_t indice = faces.size();
        for (std::size_t k = debut; k < fin; ++k)
            d[k] = surface.distance(echantillon[k], indice);
    });
    return d;
}

double moyenneDe(const std::vector<double> &d)
{
    double total = 0;
    for (double v : d)
        total += v;
    return d.empty() ? 0 : total / static_cast<double>(d.size());
}

double plusGrandDe(const std::vector<double> &d)
{
    return d.empty() ? 0 : *std::max_element(d.begin(), d.end());
}

// Mean distance from points spread evenly over the surface to the cloud: what a sheet over no
// data adds to.
double Ajusteur::ecartSurfaceMoyen() const
{
    std::vector<point3> sommets;
    std::vector<std::array<int, 3>> faces;
    trianguler(sommets, faces);
    const std::vector<point3> points = echantillonnerSurface(sommets, faces, ECHANTILLONS_VOILE);
    std::vector<double> d(points.size());
    enParallele(points.size(), fils, [&](std::size_t debut, std::size_t fin) {
        double d2;
        long j = -1;
        for (std::size_t k = debut; k < fin; ++k) {
            j = arbreNuage.plusProche(points[k], d2, j);
            d[k] = std::sqrt(d2);
        }
    });
    return moyenneDe(d);
}

// Refines where sample points stay farther than the tolerance from the surface; false when
// nothing needs it or the point bound is reached. moyenne receives the mean sample-to-surface
// distance (not measured at the point bound).
bool Ajusteur::raffinerLocalement(double &moyenne, int niveau, double fait)
{
    // At the point bound the run ends whatever the distances: they are not measured.
    if (static_cast<long>(X.size()) >= reglages.pointsMaximum)
        return false;
    const std::vector<double> d = ecartsAuNuage();
    moyenne = moyenneDe(d);

    // Nothing left to split once the cloud lies within the tolerance nearly everywhere and
    // within twice it everywhere: a smooth shape stops here, far before the point bound.
    if (!d.empty()) {
        std::vector<double> tri = d;
        const std::size_t rang = (CENTILE_DE_TOLERANCE * tri.size() + 99) / 100 - 1;
        std::nth_element(tri.begin(), tri.begin() + rang, tri.end());
        if (tri[rang] <= reglages.tolerance &&
            *std::max_element(tri.begin() + rang, tri.end()) <= REPRISE_DE_TOLERANCE * reglages.tolerance)
            return false;
    }
    // Each point gets the mean distance of the cloud points it draws (the mean, so that the
    // noise of a scan does not call for points); those beyond the tolerance are split, the
    // worst first.
    std::vector<double> ecart(X.size(), 0);
    std::vector<int> nombre(X.size(), 0);
    for (std::size_t k = 0; k < echantillon.size(); ++k)
        if (attache[k] >= 0) {
            ecart[attache[k]] += d[k];
            ++nombre[attache[k]];
        }
    std::vector<unsigned> points;
    for (std::size_t i = 0; i < ecart.size(); ++i)
        if (nombre[i] > 0 && ecart[i] > reglages.tolerance * nombre[i]) {
            ecart[i] /= nombre[i];
            points.push_back(static_cast<unsigned>(i));
        }
    std::stable_sort(points.begin(), points.end(), [&](unsigned a, unsigned b) { return ecart[a] > ecart[b]; });
    // At most a third of the points per level, so that the level after can settle them.
    if (points.size() > X.size() / PART_SCINDEE_INVERSE)
        points.resize(X.size() / PART_SCINDEE_INVERSE);
    if (points.empty())
        return false;
    const std::size_t place = static_cast<std::size_t>(reglages.pointsMaximum) - X.size();
    if (2 * points.size() > place)
        points.resize(place / 2);

    ecrireMaillage(X);
    s.initialiserParametres();
    {
        raffinage::IndexContenu contenu(s.ListePointsSimplex);
        raffinage::IndexMailles parMaille(s.ListeMailles, s.ListeMailles.size());
        raffinage::IndexMailles parSuivante(s.ListeMaillesSuivantes, s.ListeMaillesSuivantes.size());
        const raffinage::Index index{&contenu, &parMaille, &parSuivante};
        // A split keeps the index of the point it splits and appends the new ones. A point that
        // cannot be split stays as it is: the next level measures the fit again.
        SuiviProgression suivi(rapporterA(fait), Raison(CodeRaison::RaffinageLocal, {niveau}), points.size());
        for (std::size_t k = 0; k < points.size(); ++k) {
            static_cast<void>(suivi.avancer(k));
            static_cast<void>(raffinage::t26(s, points[k], index));
        }
    }
    {
        // Splits make the cells around them larger: cut the crowded ones in two.
        raffinage::IndexContenu contenu(s.ListePointsSimplex);
        raffinage::IndexMailles parMaille(s.ListeMailles, s.ListeMailles.size());
        raffinage::IndexMailles parSuivante(s.ListeMaillesSuivantes, s.ListeMaillesSuivantes.size());
        const raffinage::Index index{&contenu, &parMaille, &parSuivante};
        const std::size_t nc = s.ListeMailles.size();
        SuiviProgression suivi(rapporterA(fait), Raison(CodeRaison::RaffinageLocal, {niveau}), nc);
        for (std::size_t c = 0; c < nc; ++c)
            if (suivi.avancer(c) && s.ListeMailles[c]->size() > MAILLE_ENCOMBREE &&
                s.ListeMaillesSuivantes[c]->size() == s.ListeMailles[c]->size())
                static_cast<void>(raffinage::t22(s, static_cast<unsigned>(c), index)); // refused: unchanged
    }
    scinde = true;
    aLire = true;
    return true;
}

// How far from the cloud the surface lies over no data: farther than the tolerance and than one
// and a half times the cloud's spacing (the surface between the points of a sparse cloud is that
// far from them).
double Ajusteur::distanceLointaine() const
{
    double aire = 0;
    for (const std::vector<int> &c : mailles)
        aire += 0.5 * norme(vecteurAire(c));
    return std::max(TOLERANCES_LOINTAINES * reglages.tolerance, ESPACEMENTS_LOINTAINS * std::sqrt(aire / static_cast<double>(arbreNuage.taille())));
}

// The candidates of a web are the points a step would leave to their curvature (drawn by no
// cloud point, the nearest one to their side), farther from the cloud than distanceLointaine.
Ajusteur::Vide Ajusteur::vide() const
{
    Vide v;
    const std::size_t n = X.size();
    v.normales = normales();
    const double loin = distanceLointaine();
    std::vector<int> compte(n, 0);
    for (long a : attache)
        if (a >= 0 && static_cast<std::size_t>(a) < n)
            ++compte[a];
    v.candidats.assign(n, 0);
    v.appuis.assign(n, 0);
    v.lointains.assign(n, 0);
    enParallele(n, fils, [&](std::size_t debut, std::size_t fin) {
        double d2;
        for (std::size_t i = debut; i < fin; ++i) {
            long j = procheNuage[i];
            const bool trouve = arbreNuage.plusProcheDepuis(X[i], d2, j) >= 0;
            v.candidats[i] = trouve && franchitUnVide(X[i], v.normales[i], compte[i], j, d2, loin);
            v.appuis[i] = !(trouve && franchitUnVide(X[i], v.normales[i], compte[i], j, d2, 0));
            v.lointains[i] = trouve && franchitUnVide(X[i], v.normales[i], 0, j, d2, loin);
        }
    });
    v.tires.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        v.tires[i] = compte[i] > 0;
    return v;
}

// Takes the new mesh; false when the simplex mesh cannot be built from it.
bool Ajusteur::prendre(const ListesSimplexe &apres)
{
    if (!s.construire(apres.positions, apres.voisins, apres.mailles))
        return false;
    aLire = true;
    attache.assign(attache.size(), -1);
    procheNuage.assign(apres.positions.size(), -1);
    return true;
}

// Cuts the webs out (see couperVoiles); false when there is none. Sheets closer than
// EPAISSEUR_VOILE are a web; sheets up to EPAISSEUR_VOILE_LARGE apart are cut on trial instead
// when that takes notably more (jugerVoileLarge): that far apart, two sheets may also lie over
// data the cut would leave (folds of a brain, a part within the object), and only the fit tells.
bool Ajusteur::couperVoiles()
{
    const Vide v = vide();
    ListesSimplexe avant{X, voisins, mailles}, etroit, large;
    // A cut takes an eighth of the points at most.
    const int coupe = ::couperVoiles(avant, v.normales, v.candidats, EPAISSEUR_VOILE, PART_COUPEE_MAXIMUM, etroit, v.tires);
    const int coupeLarge = !voilesLarges ? 0
        : ::couperVoiles(avant, v.normales, v.candidats, EPAISSEUR_VOILE_LARGE, PART_COUPEE_MAXIMUM, large, v.tires);
    voilesLarges = false;
    if (coupeLarge > FACTEUR_VOILE_LARGE * coupe) {
        AvantVoile avantVoile{std::move(avant), precedent, attache, procheNuage, ecartSurfaceMoyen(),
                              plusGrandDe(ecartsAuNuage()), moyennePrecedente};
        if (prendre(large)) {
            avantVoileLarge = std::move(avantVoile);
            return true;
        }
    }
    return coupe > 0 && prendre(etroit);
}

// A level after a wide web cut: it stays when the surface has come closer to the cloud and no
// point of the cloud is left farther from it (GAIN_VOILE_LARGE, RECUL_VOILE_LARGE). Else the fit
// goes back to where it was before it, with what it had measured then (moyennePrecedente).
void Ajusteur::jugerVoileLarge()
{
    AvantVoile avant = std::move(*avantVoileLarge);
    avantVoileLarge.reset();
    const double plusLoin = plusGrandDe(ecartsAuNuage());
    if (ecartSurfaceMoyen() <= avant.surface * (1 - GAIN_VOILE_LARGE) &&
        plusLoin <= avant.plusLoin * (1 + RECUL_VOILE_LARGE)) {
        voilesLarges = true;
        return;
    }
    if (!prendre(avant.maillage))
        return; // the mesh cannot be built again: the cut stays, a closed surface itself
    lireMaillage();
    precedent = std::move(avant.precedent);
    attache = std::move(avant.attache);
    procheNuage = std::move(avant.procheNuage);
    moyennePrecedente = avant.moyennePrecedente;
    --coupes;
}

// Opens a handle where the surface spans a hole (see ouvrirAnses): sheets up to a tenth of the
// diagonal apart, of points far off the cloud; false when there is none.
bool Ajusteur::ouvrirAnses()
{
    const Vide v = vide();
    ListesSimplexe avant{X, voisins, mailles}, apres;
    if (!(espacementNuage > 0)) // the median distance from a point to its nearest other point
        espacementNuage = arbreNuage.espacementMedian(VOISINS_ESPACEMENT, ECHANTILLON_ESPACEMENT);
    if (!(espacementNuage > 0))
        return false;
    if (::ouvrirAnses(avant, v.normales, v.lointains, ECART_DES_ANSES, v.tires, v.appuis, arbreNuage.points(), espacementNuage,
                      apres, traverseeEssayee ? nullptr : &fente) == 0)
        return false;
    if (!prendre(apres))
        return false;
    if (traverseeEssayee)
        fente = Fente{};
    if (fente.largeur > 0) {
        avantTraversee = std::move(avant);
        traverseeEssayee = true;
    }
    return true;
}

// Opens a handle across a narrow hole (see ouvrirBouchons): the cells whose middle lies off the
// cloud as far as a point of a web (or half as far), the nearest point of the cloud to its side.
bool Ajusteur::ouvrirBouchons()
{
    if (!(espacementNuage > 0))
        espacementNuage = arbreNuage.espacementMedian(VOISINS_ESPACEMENT, ECHANTILLON_ESPACEMENT);
    if (!(espacementNuage > 0))
        return false;
    const double loin = distanceLointaine();
    ListesSimplexe avant{X, voisins, mailles}, apres;
    const std::vector<point3> centres = centresDesMailles(avant);
    std::vector<char> lointaines(mailles.size(), 0);
    enParallele(mailles.size(), fils, [&](std::size_t debut, std::size_t fin) {
        double d2;
        for (std::size_t c = debut; c < fin; ++c) {
            const point3 a = vecteurAire(mailles[c]);
            const double l = norme(a);
            long j = -1;
            static_cast<void>(arbreNuage.plusProcheDepuis(centres[c], d2, j));
            if (l > 0 && j >= 0)
                lointaines[c] = static_cast<char>(franchitUnVide(centres[c], fois(a, 1 / l), 0, j, d2, PART_DU_BOUCHON * loin) +
                                                  franchitUnVide(centres[c], fois(a, 1 / l), 0, j, d2, loin));
        }
    });
    long place = -1; // each query starts from the last one's answer: they follow lines
    const auto distance = [this, &place](const point3 &p) {
        double d2 = 0;
        return arbreNuage.plusProcheDepuis(p, d2, place) >= 0 ? std::sqrt(d2) : 0.0;
    };
    return ::ouvrirBouchons(avant, lointaines, loin, distance, arbreNuage.points(), espacementNuage, apres) > 0 &&
           prendre(apres);
}

// A level after a handle across a ring's cut: the surface over the cut is cut, which leaves the
// ring's own surface; failing that, the mesh goes back to what it was before the handle.
void Ajusteur::finirTraversee()
{
    ListesSimplexe apres;
    if (!(couperFente(ListesSimplexe{X, voisins, mailles}, fente, apres) && prendre(apres)))
        static_cast<void>(prendre(*avantTraversee));
    avantTraversee.reset();
    lireMaillage();
}

void Ajusteur::rendre()
{
    std::vector<point3> dehors(X.size());
    for (std::size_t i = 0; i < X.size(); ++i)
        dehors[i] = centre + fois(X[i], echelle);
    ecrireMaillage(dehors);
    s.initialiserParametres();
    orienterVersExterieur(s);
    s.calculerCentre();
}

// The stages of the run. Each leaves the state for the next; a stop, or a refinement that
// fails, raises Fin, which lancer catches: the one way out.

Resultat Ajusteur::lancer()
{
    bilan.pointsInitiaux = s.getNbPointsSimplex();
    bilan.diagonale = echelle;
    if (const std::optional<Raison> raison = placer())
        return Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::PlacementImpossible, {*raison}));
    Resultat r;
    try {
        lisserLeBruit();
        parcourirLesNiveaux();
        reposer();
        deplier();
    } catch (const Fin &fin) {
        r = fin.resultat;
    }
    return conclure(r);
}

void Ajusteur::demander(double fraction, const Raison &phase) const
{
    if (progression && !progression(fraction, phase))
        throw Fin{Resultat::interrompu(Raison(CodeRaison::Ajustement))};
}

Resultat Ajusteur::conclure(const Resultat &r)
{
    if (avantTraversee) { // a stop before the cut across the ring: no handle left there
        static_cast<void>(prendre(*avantTraversee));
        aLire = true;
    }
    if (aLire)
        lireMaillage();
    rendre();
    bilan.pointsFinaux = s.getNbPointsSimplex();
    if (r && progression)
        static_cast<void>(progression(1.0, Raison(CodeRaison::ReposSurLeNuage))); // done: nothing left to stop
    return r;
}

std::optional<Raison> Ajusteur::placer()
{
    if (std::optional<Raison> raison = placerAutourDuNuage(s, arbreNuage.points(), reglages.marge))
        return raison;
    std::vector<point3> depart;
    for (const PointSimplex *p : s.ListePointsSimplex)
        depart.push_back(p->Position);
    region = RegionDeformation(boiteDe(arbreNuage.points()), depart);
    return std::nullopt;
}

// A noisy cloud: the points that pull are brought onto the middle of their layer first, or the
// surface follows the noise. The user's cloud, and what the fit is measured on, stay as they are.
void Ajusteur::lisserLeBruit()
{
    bilan.bruit = mesurerBruit(ArbrePoints(echantillon, fils, false), ECHANTILLON_BRUIT, fils);
    bilan.lisse = reglages.bruit == Jugement::Oui || (reglages.bruit == Jugement::Auto && bilan.bruit.bruite());
    if (!bilan.lisse)
        return;
    demander(0.0, Raison(CodeRaison::LissageDuBruit));
    ramenerSurLesQuadriques(echantillon, VOISINS_DU_BRUIT, PASSES_DU_BRUIT, fils);
}

void Ajusteur::parcourirLesNiveaux()
{
    const int niveaux = std::max(1, reglages.niveauxMaximum);
    for (int niveau = 1; niveau <= niveaux; ++niveau) {
        if (niveau == niveaux)
            dernier = true;
        commencerNiveau();
        if (deformer(niveau)) { // a handle opened on the way: its tube settles on the next level
            ++anses;
            moyennePrecedente = INFINI;
            continue;
        }
        bilan.niveaux = niveau;
        montrerNiveau(niveau);
        if (!entreDeuxNiveaux(niveau))
            return;
    }
}

void Ajusteur::commencerNiveau()
{
    lireMaillage();
    // Not on a level wide webs are looked for at its end (see voilesLarges): spread, the few
    // points of a sheet sunk into a solid no longer face each other enough to be found.
    if (scinde && !voilesLarges)
        detendre();
    scinde = false;
    bilan.pointsParNiveau.push_back(static_cast<int>(X.size()));
}

Ajusteur::Poids Ajusteur::poidsDuNiveau() const
{
    const double force = std::clamp(reglages.externe / EXTERNE_DE_REFERENCE, 0.0, FORCE_MAXIMUM);
    // Smoothing from strong on the coarse levels to light on the fine ones.
    const double lissage =
        local ? LISSAGE_LOCAL : (X.size() < POINTS_D_UN_MAILLAGE_GROSSIER ? LISSAGE_GROSSIER : LISSAGE_MOYEN);
    return {PAS_VERS_LES_DONNEES * force, GLISSEMENT,
            std::clamp(lissage * reglages.interne * reglages.rigidite / RIGIDITE_DE_REFERENCE, 0.0, LISSAGE_MAXIMUM)};
}

// The mean length of the points' first edges: the convergence test is relative to it.
double Ajusteur::espacementDesPoints() const
{
    double arete = 0;
    for (std::size_t i = 0; i < X.size(); ++i)
        arete += norme(X[voisins[i][0]] - X[i]);
    return arete / static_cast<double>(std::max<std::size_t>(1, X.size()));
}

bool Ajusteur::deformer(int niveau)
{
    const Poids w = poidsDuNiveau();
    const double arete = espacementDesPoints();
    const double libre = local ? LIBRE_EN_TOLERANCES * reglages.tolerance : 0.0;
    const int minimum = std::max(1, reglages.iterations);
    const int maximum = PAS_MAXIMUM_EN_MINIMUMS * minimum;
    int calme = -1; // first step still on average
    for (int t = 0; t < maximum; ++t) {
        const double d = pas(w.tau, w.mu, w.kappa, libre);
        // The sheets over a hole are looked for as they close in, every few steps: once met, they
        // pass through each other and no tube fits between them. On the fine levels, those over a
        // narrow hole: the mesh enters it only once fine enough, and by the end of that level its
        // sheets may have crossed (one of the statue's handles was lost so).
        if (!dernier && anses < ANSES_MAXIMUM && (t + 1) % PAS_ENTRE_ANSES == 0 &&
            (local ? ouvrirBouchons() : ouvrirAnses()))
            return true;
        demander(avancement(niveau, double(t + 1) / maximum), Raison(CodeRaison::AjustementNiveau, {niveau}));
        // Still moving: on average, or somewhere (a part drawn in late, as a neck). Once still on
        // average, a level's worth of steps more for such a part, no longer: points of a web
        // across a gap keep sliding whatever the wait.
        if (t + 1 >= minimum && d < reglages.seuilConvergence * arete) {
            if (calme < 0)
                calme = t;
            if (dernierMax < MOUVEMENT_ISOLE * reglages.seuilConvergence * arete || t - calme >= minimum)
                break;
        }
    }
    return false;
}

// The caller's look at each level, in the cloud's frame; the run goes on in its own.
void Ajusteur::montrerNiveau(int niveau)
{
    if (!apresNiveau)
        return;
    const std::vector<point3> ici = X;
    rendre();
    apresNiveau(s, niveau);
    X = ici;
    ecrireMaillage(X);
    s.initialiserParametres();
}

// What a level leads to, in this order: the end of a handle across a ring, the judgement of a
// wide web cut, the end, a handle, a whole-mesh refinement, a web cut out, a local refinement.
// False when the run is over.
bool Ajusteur::entreDeuxNiveaux(int niveau)
{
    if (avantTraversee) {
        finirTraversee();
        moyennePrecedente = INFINI;
        if (!dernier)
            return true;
    }
    // Back to before a wide web cut that did not bring the surface closer: the level then goes
    // on as that one did once the cut was found.
    if (avantVoileLarge)
        jugerVoileLarge();
    if (dernier)
        return false;
    // A handle opened leaves a tube to settle: one more level.
    if (anses < ANSES_MAXIMUM && (ouvrirAnses() || (local && ouvrirBouchons()))) {
        ++anses;
        moyennePrecedente = INFINI;
        return true;
    }
    if (static_cast<long>(X.size()) < reglages.pointsMinimum) {
        raffinerPartout(niveau);
        return true;
    }
    // A web cut out leaves a surface to settle before anything is split: one more level.
    if (local && coupes < COUPES_MAXIMUM && couperVoiles()) {
        ++coupes;
        moyennePrecedente = INFINI;
        return true;
    }
    return raffinerOuConclure(niveau);
}

void Ajusteur::raffinerPartout(int niveau)
{
    ecrireMaillage(X);
    s.initialiserParametres();
    const Resultat r = s.raffinerT26Global(rapporterA(avancement(niveau, 1)));
    aLire = true;
    if (!r)
        throw Fin{r};
}

// A local refinement where the fit is poor; the run converges when there is nothing to refine or
// the level gained too little (the level after settles the last refinement, then the run stops).
bool Ajusteur::raffinerOuConclure(int niveau)
{
    double moyenne = 0;
    const bool encore = raffinerLocalement(moyenne, niveau, avancement(niveau, 1));
    const bool gain = moyenne < moyennePrecedente * (1 - reglages.gainMinimum);
    moyennePrecedente = std::min(moyennePrecedente, moyenne);
    local = true;
    if (!encore || !gain)
        bilan.converge = true;
    if (!gain)
        dernier = true;
    return encore;
}

// The settling of the surface as written, and what pulls on it: the sample, with the lone points
// past a sheet's edge once they are to be reached.
ReglagesRepos Ajusteur::reglagesDuRepos() const
{
    ReglagesRepos repos;
    repos.portee = PORTEE_DU_REPOS * reglages.tolerance;
    repos.toursLointains = TOURS_LOINTAINS;
    repos.lointain = PARTIE_LOINTAINE;
    repos.seuls = seuls.size();
    return repos;
}

const std::vector<point3> &Ajusteur::attirants() const
{
    return seuls.empty() ? echantillon : echantillonEtSeuls;
}

// Last, the surface as it is written (each cell fanned round its centre) settles on the data:
// the points only follow the cloud, the centres of curved cells lie inside it.
void Ajusteur::reposer()
{
    demander(PART_DES_NIVEAUX, Raison(CodeRaison::ReposSurLeNuage));
    if (!seuls.empty()) {
        echantillonEtSeuls = echantillon;
        echantillonEtSeuls.insert(echantillonEtSeuls.end(), seuls.begin(), seuls.end());
    }
    reposerSurLeNuage(X, mailles, voisins, attirants(), reglagesDuRepos(), fils);
    if (!seuls.empty()) {
        // Reached, they are set aside no more.
        std::vector<std::size_t> restent;
        std::set_difference(bilan.ecartes.begin(), bilan.ecartes.end(), seulsDansLeNuage.begin(),
                            seulsDansLeNuage.end(), std::back_inserter(restent));
        bilan.ecartes.swap(restent);
        seulsAtteints = true;
    }
}

// The written surface's vertices as the files hold them, in the cloud's frame: in double (PLY),
// in single precision (STL), to six digits (OFF); and as a simplex file gives them back, its
// points to six digits, each cell's centre the mean of its points.
std::vector<std::vector<point3>> Ajusteur::formesEcrites(const std::vector<point3> &sommets) const
{
    std::vector<std::vector<point3>> formes(1, sommets);
    for (point3 &p : formes[0])
        p = centre + fois(p, echelle);
    formes.push_back(commeEcrits(formes[0], PrecisionEcrite::Simple));
    formes.push_back(commeEcrits(formes[0], PrecisionEcrite::SixChiffres));
    std::vector<point3> relu = formes.back();
    std::size_t k = relu.size(); // the centres follow the points
    for (const std::vector<int> &c : mailles)
        k -= c.size() >= 3;
    for (const std::vector<int> &c : mailles) {
        if (c.size() < 3)
            continue;
        point3 g(0, 0, 0);
        for (int i : c)
            g += point3(static_cast<float>(relu[static_cast<std::size_t>(i)].x), static_cast<float>(relu[static_cast<std::size_t>(i)].y),
                        static_cast<float>(relu[static_cast<std::size_t>(i)].z));
        relu[k++] = fois(g, 1.0 / static_cast<double>(c.size()));
    }
    formes.push_back(std::move(relu));
    return formes;
}

// Last, what folds are left are smoothed out, and the surface goes back to the fit's and settles
// on the data under a guard that lets no triangle pass through another, as the files will hold
// them (see ::demeler).
void Ajusteur::demeler()
{
    const Raison phase(CodeRaison::DemelageDeLaSurface);
    demander(1.0 - (1 - PART_DES_NIVEAUX) / (2 * (REPRISES_DES_PLIS + 1)), phase);
    ListesSimplexe surface{std::move(X), voisins, mailles};
    bool arrete = false;
    const BilanDemelage b = ::demeler(surface, fils, [&] {
        arrete = progression && !progression(1.0 - (1 - PART_DES_NIVEAUX) / (2 * (REPRISES_DES_PLIS + 1)), phase);
        return !arrete;
    }, [this](const std::vector<point3> &sommets) { return formesEcrites(sommets); },
    [this](std::vector<point3> &positions) {
        ReglagesRepos repos = reglagesDuRepos();
        repos.tours = 1;
        repos.toursLointains = 0;
        reposerSurLeNuage(positions, mailles, voisins, attirants(), repos, fils);
    });
    X = std::move(surface.positions);
    bilan.demelage = b;
    if (arrete)
        throw Fin{Resultat::interrompu(Raison(CodeRaison::Ajustement))};
}

// Then its folds are undone (see deplisser), and it settles again, in turns: each settling brings
// it back onto the data and may fold it again. Of the surfaces so unfolded, the one that crosses
// itself the least is kept (the last of those alike), and untangled.
void Ajusteur::deplier()
{
    ReglagesRepos repos = reglagesDuRepos();
    repos.tours = 1;
    repos.toursLointains = 0;
    ListesSimplexe surface{{}, voisins, mailles};
    std::vector<point3> moinsPlie;
    std::size_t moins = std::numeric_limits<std::size_t>::max();
    for (int tour = 0;; ++tour) {
        surface.positions = std::move(X);
        const std::size_t croisees = deplisser(surface, TOURS_DE_PLIS, fils, attirants());
        X = std::move(surface.positions);
        if (croisees <= moins) {
            moins = croisees;
            moinsPlie = X;
        }
        if (tour == REPRISES_DES_PLIS) {
            X.swap(moinsPlie);
            demeler();
            return;
        }
        demander(PART_DES_NIVEAUX + (1 - PART_DES_NIVEAUX) * (tour + 1) / (REPRISES_DES_PLIS + 1),
                 Raison(CodeRaison::ReposSurLeNuage));
        reposerSurLeNuage(X, mailles, voisins, attirants(), repos, fils);
    }
}

} // namespace

std::optional<Raison> defautDuMaillage(const Simplex &s)
{
    const std::size_t n = s.ListePointsSimplex.size();
    if (n < 4)
        return Raison(CodeRaison::TropPeuDePointsSimplexes, {n});
    if (s.ListePointsSuivants.size() < n || s.ListePointsPrecedents.size() < n)
        return Raison(CodeRaison::ListesCompagnesCourtes);
    std::set<const PointSimplex *> membres(s.ListePointsSimplex.begin(), s.ListePointsSimplex.end());
    if (membres.size() != n)
        return Raison(CodeRaison::PointEnDouble);
    for (std::size_t i = 0; i < n; ++i) {
        const PointSimplex *p = s.ListePointsSimplex[i];
        const PointSimplex *v[3] = {p->Voisin1, p->Voisin2, p->Voisin3};
        for (const PointSimplex *q : v) {
            if (!q || !membres.count(q))
                return Raison(CodeRaison::PasTroisVoisins, {i});
            if (q == p)
                return Raison(CodeRaison::PropreVoisin, {i});
            if (q->Voisin1 != p && q->Voisin2 != p && q->Voisin3 != p)
                return Raison(CodeRaison::VoisinageAsymetrique, {i});
        }
        if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2])
            return Raison(CodeRaison::VoisinEnDouble, {i});
        const point3 &x = p->Position;
        if (!std::isfinite(x.x) || !std::isfinite(x.y) || !std::isfinite(x.z))
            return Raison(CodeRaison::PositionNonFinie, {i});
    }
    if (s.ListeMailles.empty())
        return Raison(CodeRaison::SansMaille);
    return std::nullopt;
}

std::optional<Raison> placerAutourDuNuage(Simplex &s, const std::vector<point3> &nuage, double marge)
{
    std::vector<point3> positions;
    positions.reserve(s.ListePointsSimplex.size());
    for (const PointSimplex *p : s.ListePointsSimplex)
        positions.push_back(p->Position);
    const Boite bm = boiteDe(positions), bn = boiteDe(nuage);
    const point3 cm = bm.centre(), cn = bn.centre();

    // Radius of the ball around cm inside the mesh: the distance from cm to its
    // triangulated surface.
    if (const Resultat r = s.trianguler(); !r)
        return r.raison;
    ArbreTriangles surface(s.maillageTriangule.listeSommets, trianglesDe(s.maillageTriangule));
    const double rayonInterieur = surface.distance(cm);
    if (!(rayonInterieur > 0) || !std::isfinite(rayonInterieur))
        return Raison(CodeRaison::CentreSurLaSurface);

    // Half extents of the cloud, none thinner than a twentieth of the largest,
    // so that a flat cloud still gets a mesh with volume.
    const double e[3] = {bn.max.x - bn.min.x, bn.max.y - bn.min.y, bn.max.z - bn.min.z};
    double h[3];
    double hmax = 0;
    for (int k = 0; k < 3; ++k) {
        h[k] = e[k] / 2;
        hmax = std::max(hmax, h[k]);
    }
    for (int k = 0; k < 3; ++k)
        h[k] = std::max(h[k], hmax / 20);
    // Smallest k such that the ellipsoid of half axes k * h holds every point.
    double kmax = 0;
    for (const point3 &q : nuage) {
        const double u[3] = {(q.x - cn.x) / h[0], (q.y - cn.y) / h[1], (q.z - cn.z) / h[2]};
        kmax = std::max(kmax, u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
    }
    kmax = std::sqrt(kmax) * marge;
    double a[3];
    for (int k = 0; k < 3; ++k)
        a[k] = kmax * h[k] / rayonInterieur;

    for (std::size_t i = 0; i < s.ListePointsSimplex.size(); ++i) {
        const point3 &p = s.ListePointsSimplex[i]->Position;
        const point3 q(cn.x + a[0] * (p.x - cm.x), cn.y + a[1] * (p.y - cm.y), cn.z + a[2] * (p.z - cm.z));
        s.ListePointsSimplex[i]->Position = q;
        if (i < s.ListePointsSuivants.size())
            s.ListePointsSuivants[i]->Position = q;
        if (i < s.ListePointsPrecedents.size())
            s.ListePointsPrecedents[i]->Position = q;
    }
    s.initialiserParametres();
    s.calculerCentre();
    return std::nullopt;
}

Resultat ajuster(Simplex &s, const std::vector<point3> &nuage, const ReglagesAjustement &reglages,
                 const Progression &progression, BilanAjustement *bilan,
                 const std::function<void(const Simplex &, int)> &apresNiveau)
{
    BilanAjustement local;
    BilanAjustement &b = bilan ? *bilan : local;
    b = BilanAjustement();
    try {
        const std::optional<Raison> defaut = defautDuMaillage(s);
        if (defaut)
            return Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::PasUnSimplexeFerme, {*defaut}));
        if (const std::optional<Raison> plat = defautDuNuage(nuage))
            return Resultat::echec(Statut::NuageIllisible, *plat);
        const Boite boite = boiteDe(nuage);
        const ArbrePoints::Repere repere = repereDeTravail(boite);
        ArbrePoints arbre(nuage, repere, filsEffectifs(reglages.fils), false);
        // A cloud of several separate clusters: one part fitted to each.
        if (const std::vector<std::vector<std::size_t>> parties = partiesDuNuage(arbre, reglages.fils); parties.size() > 1) {
            arbre = ArbrePoints(); // each part gets its own
            return ajusterParParties(s, nuage, parties, reglages, progression, b);
        }
        Ajusteur a(s, nuage, boite, std::move(arbre), reglages, progression, b, apresNiveau);
        const Resultat r = a.lancer();
        b.nuageDeTravail = a.cederLeNuage(nuage);
        b.repere = repere;
        return r;
    } catch (const Divergence &d) {
        return RegionDeformation::divergence(d.pas);
    } catch (const std::exception &e) {
        return Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterne, {litteral(e.what())}));
    } catch (...) {
        return Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterneInconnue));
    }
}

std::optional<Raison> defautDuNuage(const std::vector<point3> &nuage)
{
    if (nuage.empty())
        return Raison(CodeRaison::NuageVide);
    for (const point3 &p : nuage)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            return Raison(CodeRaison::NuageNonFini);
    const Boite boite = boiteDe(nuage);
    const double diagonale = boite.diagonale();
    if (!(diagonale > 0) || !std::isfinite(diagonale))
        return Raison(CodeRaison::NuagePonctuel);
    // The point farthest from a given measure, and that distance.
    auto plusLoin = [&nuage](auto &&mesure) {
        std::pair<point3, double> r{nuage[0], -1.0};
        for (const point3 &p : nuage)
            if (const double d = mesure(p); d > r.second)
                r = {p, d};
        return r;
    };
    const point3 centre = boite.centre();
    const point3 a = plusLoin([&](const point3 &p) { return norme(p - centre); }).first;
    const point3 b = plusLoin([&](const point3 &p) { return norme(p - a); }).first;
    const point3 u = fois(b - a, 1.0 / norme(b - a));
    const auto [c, horsDroite] = plusLoin([&](const point3 &p) { return norme(vect(p - a, u)); });
    const point3 v = vect(u, c - a);
    const double horsPlan =
        norme(v) > 0 ? plusLoin([&, n = fois(v, 1.0 / norme(v))](const point3 &p) { return std::abs(scal(p - a, n)); }).second
                     : 0.0;
    const double tolerance = TOLERANCE_NUAGE_PLAT * diagonale;
    if (horsDroite > tolerance && horsPlan > tolerance && nuage.size() >= 4)
        return std::nullopt;
    const Argument n = nuage.size();
    if (nuage.size() < 4)
        return Raison(CodeRaison::NuageTropPetit, {n});
    if (horsDroite <= tolerance)
        return Raison(CodeRaison::NuageSurUneDroite, {n});
    return Raison(CodeRaison::NuageDansUnPlan, {n});
}

namespace {

/// The even sampling of a triangle mesh by area: each valid triangle gets a lattice of k * k
/// sub-triangles, k growing with the square root of its area, sampled at their centroids.
class Echantillonnage
{
public:
    Echantillonnage(const std::vector<point3> &sommets_, const std::vector<std::array<int, 3>> &faces_,
                    std::size_t nombre)
        : sommets(sommets_), faces(faces_)
    {
        double aireTotale = 0;
        for (const auto &f : faces)
            if (valide(f))
                aireTotale += aire(f);
        aireUnite = aireTotale > 0 && nombre > 0 ? aireTotale / static_cast<double>(nombre) : 0;
    }

    /// Samples of face f: k * k of them, none for an invalid face.
    std::size_t combien(std::size_t f) const
    {
        const std::size_t k = static_cast<std::size_t>(cote(faces[f]));
        return k * k;
    }

    /// Calls g(point) for each sample of face f, in order.
    template <class G> void echantillons(std::size_t f, G g) const
    {
        const int k = cote(faces[f]);
        if (k == 0)
            return;
        const point3 &a = sommets[faces[f][0]];
        centresDuReseau(a, sommets[faces[f][1]] - a, sommets[faces[f][2]] - a, k, g);
    }

private:
    bool valide(const std::array<int, 3> &f) const
    {
        const long n = static_cast<long>(sommets.size());
        return f[0] >= 0 && f[1] >= 0 && f[2] >= 0 && f[0] < n && f[1] < n && f[2] < n;
    }
    double aire(const std::array<int, 3> &f) const
    {
        return 0.5 * norme(vect(sommets[f[1]] - sommets[f[0]], sommets[f[2]] - sommets[f[0]]));
    }
    int cote(const std::array<int, 3> &f) const
    {
        if (!valide(f))
            return 0;
        return aireUnite > 0 ? std::max(1, static_cast<int>(std::lround(std::sqrt(aire(f) / aireUnite)))) : 1;
    }

    const std::vector<point3> &sommets;
    const std::vector<std::array<int, 3>> &faces;
    double aireUnite = 0;
};

} // namespace

std::vector<point3> echantillonnerSurface(const std::vector<point3> &sommets,
                                          const std::vector<std::array<int, 3>> &faces, std::size_t nombre)
{
    std::vector<point3> r;
    if (faces.empty() || nombre == 0)
        return r;
    const Echantillonnage e(sommets, faces, nombre);
    for (std::size_t f = 0; f < faces.size(); ++f)
        e.echantillons(f, [&r](const point3 &p) { r.push_back(p); });
    return r;
}

FiguresAjustement mesurerAjustement(const Simplex &s, const std::vector<point3> &nuage, int fils)
{
    FiguresAjustement f;
    static_cast<void>(mesurerAjustement(s, nuage, f, Progression(), fils)); // no progression: no stop
    return f;
}

Resultat mesurerAjustement(const Simplex &s, const std::vector<point3> &nuage, FiguresAjustement &resultat,
                           const Progression &progression, int fils)
{
    // The tree's order of the points is space-filling: see below.
    return mesurerAjustement(s, ArbrePoints(nuage, filsEffectifs(fils), false), ArbrePoints::Repere(), resultat,
                             progression, fils);
}

std::vector<point3> pointsEcartes(const std::vector<point3> &nuage, const BilanAjustement &bilan)
{
    std::vector<point3> p;
    p.reserve(bilan.ecartes.size());
    for (const std::size_t k : bilan.ecartes)
        if (k < nuage.size())
            p.push_back(nuage[k]);
    return p;
}

Resultat mesurerAjustement(const Simplex &s, const std::vector<point3> &nuage, const BilanAjustement &bilan,
                           FiguresAjustement &f, const Progression &progression, int fils,
                           const std::vector<point3> *ecartes)
{
    const std::vector<point3> pris = ecartes ? std::vector<point3>() : pointsEcartes(nuage, bilan);
    if (!ecartes)
        ecartes = &pris;
    if (bilan.nuageDeTravail)
        return mesurerAjustement(s, *bilan.nuageDeTravail, bilan.repere, f, progression, fils, ecartes);
    std::vector<point3> copie;
    return mesurerAjustement(s, ArbrePoints(pointsGardes(nuage, bilan.ecartes, copie), filsEffectifs(fils), false),
                             ArbrePoints::Repere(), f, progression, fils, ecartes);
}

Resultat mesurerAjustement(const Simplex &s, const ArbrePoints &arbre, const ArbrePoints::Repere &repere,
                           FiguresAjustement &resultat, const Progression &progression, int fils,
                           const std::vector<point3> *ecartes)
{
    const Raison phase(CodeRaison::MesureDesDistances);
    auto continuer = [&](double fait) { return !progression || progression(fait, phase); };
    if (!continuer(0))
        return Resultat::interrompu(phase);
    FiguresAjustement f;
    const int t = filsEffectifs(fils);
    // Everything is measured in the tree's frame, each distance then brought back to the cloud's
    // units (in the cloud's own frame, both steps change no bit).
    auto dansLeRepere = [&](const point3 &p) { return fois(p - repere.centre, repere.facteur); };
    auto enUnites = [&](double d) { return d / repere.facteur; };
    const Maillage &m = s.maillageTriangule;
    const std::vector<std::array<int, 3>> faces = trianglesDe(m);
    std::vector<point3> sommets(m.listeSommets.size());
    for (std::size_t k = 0; k < sommets.size(); ++k)
        sommets[k] = dansLeRepere(m.listeSommets[k]);
    const ArbreTriangles surface(sommets, faces, t);
    {
        const std::vector<point3> &rangees = arbre.points();
        // In slot order, the points of a run lie close together.
        std::vector<double> d(rangees.size());
        surface.distances(rangees.data(), rangees.size(), d.data(), t);
        enParallele(d.size(), t, [&](std::size_t debut, std::size_t fin) {
            for (std::size_t k = debut; k < fin; ++k)
                d[k] = enUnites(d[k]);
        });
        f.nuageVersSurface = resumer(d);
        // The points set aside, measured the same way: the figures of every point beside those
        // of the points kept.
        f.pointsEcartes = ecartes ? ecartes->size() : 0;
        if (f.pointsEcartes > 0) {
            std::vector<point3> e(ecartes->size());
            for (std::size_t k = 0; k < e.size(); ++k)
                e[k] = dansLeRepere((*ecartes)[k]);
            std::vector<double> de(e.size());
            surface.distances(e.data(), e.size(), de.data(), t);
            for (const double x : de)
                d.push_back(enUnites(x));
            f.nuageEntierVersSurface = resumer(std::move(d));
        } else {
            f.nuageEntierVersSurface = f.nuageVersSurface;
        }
    }
    if (!continuer(1.0 / 3))
        return Resultat::interrompu(phase);

    // Each search starts from the answer before, near in space: the same answer, found sooner.
    auto versNuage = [&](const point3 &p, long &place) {
        double d2;
        return arbre.plusProcheDepuis(p, d2, place) >= 0 ? enUnites(std::sqrt(d2))
                                                         : std::numeric_limits<double>::infinity();
    };
    {
        // The samples are made where their distance is measured, never held all at once.
        const Echantillonnage e(sommets, faces,
                                std::max<std::size_t>(std::min(arbre.taille(), ECHANTILLONS_SURFACE_MAX), 100000));
        std::vector<std::size_t> premier(faces.size() + 1, 0);
        for (std::size_t k = 0; k < faces.size(); ++k)
            premier[k + 1] = premier[k] + e.combien(k);
        std::vector<double> d(premier.back());
        enParallele(faces.size(), t, [&](std::size_t debut, std::size_t fin) {
            long place = -1;
            for (std::size_t k = debut; k < fin; ++k) {
                std::size_t i = premier[k];
                e.echantillons(k, [&](const point3 &p) { d[i++] = versNuage(p, place); });
            }
        });
        f.echantillonsSurface = d.size();
        f.surfaceVersNuage = resumer(std::move(d));
    }
    if (!continuer(2.0 / 3))
        return Resultat::interrompu(phase);
    std::vector<double> d(s.ListePointsSimplex.size());
    enParallele(d.size(), t, [&](std::size_t debut, std::size_t fin) {
        long place = -1;
        for (std::size_t k = debut; k < fin; ++k)
            d[k] = versNuage(dansLeRepere(s.ListePointsSimplex[k]->Position), place);
    });
    f.pointsVersNuage = resumer(std::move(d));
    resultat = f;
    if (progression)
        static_cast<void>(progression(1, phase)); // the figures are whole: nothing left to stop
    return Resultat::succes();
}
