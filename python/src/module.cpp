// The engine seen from Python: tarnis._tarnis, wrapped by tarnis/__init__.py. Clouds come in and
// go out as NumPy arrays; a fit runs with the interpreter's lock released and reports through a
// Python callable; failures become tarnis.Error with the reason's code, status and texts.

#include "Ajustement.h"
#include "Boite.h"
#include "Croisements.h"
#include "Divergence.h"
#include "Frontiere.h"
#include "Maillage.h"
#include "Ouverture.h"
#include "Simplex.h"
#include "Topologie.h"
#include "arguments.h"
#include "execution.h"
#include "langue.h"
#include "orientation.h"
#include "volume.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <cmath>
#include <cstddef>
#include <exception>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace py = pybind11;

// The arrays of vertices and faces look straight into the engine's lists.
static_assert(std::is_standard_layout_v<point3> && sizeof(point3) == 3 * sizeof(double), "point3 is three doubles");
static_assert(std::is_standard_layout_v<Face> && sizeof(Face) == 3 * sizeof(int), "Face is three ints");

namespace {

using Horloge = std::chrono::steady_clock;

double secondesDepuis(Horloge::time_point t)
{
    return std::chrono::duration<double>(Horloge::now() - t).count();
}

/// The engine's console lines (on standard output and error) are not a Python program's: they
/// are dropped while the engine works. Its failures come back as Resultat, not as these lines.
/// Fits run side by side from several Python threads share one redirection: the first one in
/// sets it, the last one out takes it away.
class Silence
{
public:
    Silence()
    {
        const std::lock_guard<std::mutex> verrou(mutex());
        Etat &e = etat();
        if (e.nombre++ == 0) {
            e.sortie = std::cout.rdbuf(&e.rien);
            e.erreurs = std::cerr.rdbuf(&e.rien);
        }
    }
    ~Silence()
    {
        const std::lock_guard<std::mutex> verrou(mutex());
        Etat &e = etat();
        if (--e.nombre == 0) {
            std::cout.rdbuf(e.sortie);
            std::cerr.rdbuf(e.erreurs);
        }
    }
    Silence(const Silence &) = delete;
    Silence &operator=(const Silence &) = delete;

private:
    struct Rien : std::streambuf
    {
        int overflow(int c) override { return traits_type::not_eof(c); }
        std::streamsize xsputn(const char *, std::streamsize n) override { return n; }
    };
    struct Etat
    {
        Rien rien;
        int nombre = 0;
        std::streambuf *sortie = nullptr;
        std::streambuf *erreurs = nullptr;
    };
    static Etat &etat()
    {
        static Etat e;
        return e;
    }
    static std::mutex &mutex()
    {
        static std::mutex m;
        return m;
    }
};

/// A failed Resultat on its way to Python, its message in the language asked (lang=, English by default).
struct Echec : std::exception
{
    Resultat resultat;
    pelvane::Langue langue;
    explicit Echec(Resultat r, pelvane::Langue l = pelvane::Langue::Anglais) : resultat(std::move(r)), langue(l) {}
    const char *what() const noexcept override { return "tarnis.Error"; }
};

void reussirOuLever(Resultat r, pelvane::Langue langue = pelvane::Langue::Anglais)
{
    if (!r)
        throw Echec(std::move(r), langue);
}

pelvane::Langue langueDe(const pelvane::Parametres &p)
{
    return p.langue.value_or(pelvane::Langue::Anglais);
}

/// A fit and what it measured: the simplex mesh (its triangulation in maillageTriangule) and the
/// console tool's figures.
struct Ajuste
{
    Simplex simplex;
    pelvane::Parametres parametres;
    pelvane::Bilan bilan;
};

// The fit of a cloud in memory and its figures: the console tool's run (pelvane::ajuster) without
// its files, the same engine calls in the same order: the reference mesh, the checks of the
// cloud, the bound on the point counts, the placement, the fit, then the measures (cells outward,
// triangulation, topology, crossings as the files asked would hold them, the solid, the
// distances). The one place where the module fits.
Resultat ajusterEtMesurer(const std::vector<point3> &nuage, const Progression &progression, Ajuste &a)
{
    const Horloge::time_point debut = Horloge::now();
    pelvane::Parametres &param = a.parametres;
    pelvane::Bilan &bilan = a.bilan;
    Simplex &simplex = a.simplex;
    const pelvane::Reglages regl;

    Resultat r = pelvane::lireReference(param.maillage, simplex);
    if (!r)
        return r;
    bilan.pointsInitiaux = simplex.getNbPointsSimplex();
    bilan.pointsNuage = nuage.size();
    if (const std::optional<Raison> defaut = defautDuNuage(nuage))
        return Resultat::echec(Statut::NuageIllisible, *defaut);
    bilan.diagonale = boiteDe(nuage).diagonale();
    const long plafond = pelvane::plafondDesPoints(nuage.size());
    param.pointsMinimum = std::min(param.pointsMinimum, plafond);
    param.pointsMaximum = std::min(param.pointsMaximum, plafond);
    bilan.dureeLecture = secondesDepuis(debut);

    if (const std::optional<Raison> raison = placerAutourDuNuage(simplex, nuage, regl.marge))
        return Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::PlacementImpossible, {*raison}));
    if (param.cycles) {
        // The automatic mode's cycles (--method cycles) over the cloud's kd-tree, as the console
        // tool runs them, then the measure of the surface against the whole cloud.
        Maillage arbre;
        arbre.ListePointsInterets = nuage;
        if (r = arbre.construireKd(); !r)
            return r;
        BilanAutomatique b;
        const Horloge::time_point cycles = Horloge::now();
        r = pelvane::cyclesAutomatiques(simplex, arbre.kd.get(), param, regl, bilan, progression, {}, b);
        bilan.dureeCycles = secondesDepuis(cycles);
        if (!r)
            return r;
        MesureSurface ms;
        if (r = mesurerSurface(simplex, nuage, nullptr, param.formats, param.fils, ms); !r)
            return r;
        pelvane::prendreMesureSurface(bilan, ms);
        bilan.dureeMesures = ms.secondes;
        bilan.duree = secondesDepuis(debut);
        return {};
    }
    // The console tool's own sequence: the fit, then the measure of the surface as written.
    MesureAjustement m;
    r = ::ajusterEtMesurer(simplex, nuage, pelvane::reglagesDuFit(param, regl), param.formats, m, progression,
                           [&](const Simplex &s, int) { bilan.pointsParCycle.push_back(s.getNbPointsSimplex()); });
    pelvane::prendreMesureAjustement(bilan, m, r.reussi());
    if (!r)
        return r;
    if (!std::isfinite(bilan.nuageVersSurface.moyenne) || !std::isfinite(bilan.maillageVersNuage.moyenne))
        return RegionDeformation::divergence(0);
    bilan.duree = secondesDepuis(debut);
    return {};
}

/// The settings of the keyword arguments, as the console tool reads its options.
pelvane::Parametres parametres(const std::vector<std::string> &options, const std::string &maillage)
{
    pelvane::Parametres base;
    base.maillage = maillage;
    const pelvane::LigneDeCommande l = pelvane::analyserOptions(options, base);
    reussirOuLever(l.resultat, pelvane::langueDemandee(options).value_or(pelvane::Langue::Anglais));
    return l.parametres;
}

/// An (n, 3) array of float64 that owns the points (moved, not copied).
py::array_t<double> tableauDePoints(std::vector<point3> &&points)
{
    auto *tenus = new std::vector<point3>(std::move(points));
    py::capsule proprietaire(tenus, [](void *p) { delete static_cast<std::vector<point3> *>(p); });
    const auto n = static_cast<py::ssize_t>(tenus->size());
    return py::array_t<double>({n, py::ssize_t(3)}, {py::ssize_t(sizeof(point3)), py::ssize_t(sizeof(double))},
                               tenus->empty() ? nullptr : &tenus->front().x, proprietaire);
}

std::vector<point3> pointsDuTableau(const py::array_t<double, py::array::c_style | py::array::forcecast> &tableau)
{
    if (tableau.ndim() != 2 || tableau.shape(1) != 3)
        throw py::value_error("points: an array of shape (n, 3) is expected");
    std::vector<point3> points(static_cast<std::size_t>(tableau.shape(0)));
    const double *d = tableau.data();
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = point3(d[3 * i], d[3 * i + 1], d[3 * i + 2]);
    return points;
}

py::array_t<double> lire(const std::string &chemin, const std::vector<std::string> &options)
{
    const pelvane::Parametres p = parametres(options, "");
    Maillage m;
    m.sansArbre = true;
    const Silence silence;
    if (genreFichier(chemin) == GenreFichier::Volume) {
        BilanFrontiere bilan;
        std::ostringstream lignes;
        reussirOuLever(pelvane::lireFrontiere(chemin, p.volume, m, bilan, lignes));
    } else {
        reussirOuLever(pelvane::lireNuage(chemin, m, Progression()));
    }
    return tableauDePoints(std::move(m.ListePointsInterets));
}

/// The progression over a Python callable progress(fraction, phase): False stops the fit; an
/// exception it raises stops it too and is raised again once the fit is over.
class ProgressionPython
{
public:
    ProgressionPython(py::object f, pelvane::Langue l) : fonction(std::move(f)), langue(l) {}
    ~ProgressionPython()
    {
        py::gil_scoped_acquire verrou;
        erreur.reset();
        fonction = py::object();
    }

    Progression progression()
    {
        if (fonction.is_none())
            return Progression();
        return [this](double fraction, const Raison &etape) {
            py::gil_scoped_acquire verrou;
            if (erreur)
                return false;
            try {
                const py::object r =
                    fonction(fraction, pelvane::texteDansLaLangue(phaseDe(etape), langue));
                return !(py::isinstance<py::bool_>(r) && !r.cast<bool>());
            } catch (py::error_already_set &e) {
                erreur.emplace(std::move(e));
                return false;
            }
        };
    }

    /// Raises again what the callable raised (the lock held).
    void relever()
    {
        if (erreur) {
            py::error_already_set e = std::move(*erreur);
            erreur.reset();
            throw e;
        }
    }

private:
    py::object fonction;
    pelvane::Langue langue;
    std::optional<py::error_already_set> erreur;
};

/// Runs the fit of a->parametres on the cloud, the lock released, progress through `progres`.
void lancer(const std::vector<point3> &nuage, Ajuste &a, py::object progres)
{
    ProgressionPython suivi(std::move(progres), langueDe(a.parametres));
    const Progression progression = suivi.progression();
    Resultat r;
    {
        py::gil_scoped_release libre;
        const Silence silence;
        try {
            r = ajusterEtMesurer(nuage, progression, a);
        } catch (const std::exception &e) {
            r = Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterne, {litteral(e.what())}));
        } catch (...) {
            r = Resultat::echec(Statut::Echec, Raison(CodeRaison::ErreurInterneInconnue));
        }
    }
    suivi.relever();
    a.bilan.resultat = r;
    reussirOuLever(r, langueDe(a.parametres));
}

std::shared_ptr<Ajuste> ajusterPython(const py::array_t<double, py::array::c_style | py::array::forcecast> &tableau,
                                      const std::vector<std::string> &options, const std::string &maillage,
                                      py::object progres)
{
    const std::vector<point3> nuage = pointsDuTableau(tableau);
    auto a = std::make_shared<Ajuste>();
    a->parametres = parametres(options, maillage);
    lancer(nuage, *a, std::move(progres));
    return a;
}

/// The fit of the boundary of a region of a volume given as an array (i, j, k) and its affine
/// (voxel indices to millimetres), as the console tool fits a volume file.
std::shared_ptr<Ajuste> ajusterVolume(const py::array_t<float, py::array::f_style | py::array::forcecast> &valeurs,
                                      const py::array_t<double, py::array::c_style | py::array::forcecast> &affine,
                                      const std::vector<std::string> &options, const std::string &maillage,
                                      py::object progres)
{
    if (valeurs.ndim() != 3 || valeurs.shape(0) < 1 || valeurs.shape(1) < 1 || valeurs.shape(2) < 1)
        throw py::value_error("array: a volume of shape (nx, ny, nz) is expected");
    if (affine.ndim() != 2 || affine.shape(0) < 3 || affine.shape(1) != 4)
        throw py::value_error("affine: a 4 x 4 (or 3 x 4) matrix is expected");
    auto a = std::make_shared<Ajuste>();
    a->parametres = parametres(options, maillage);
    VolumeReel volume;
    volume.nx = static_cast<int>(valeurs.shape(0));
    volume.ny = static_cast<int>(valeurs.shape(1));
    volume.nz = static_cast<int>(valeurs.shape(2));
    volume.valeurs.assign(valeurs.data(), valeurs.data() + valeurs.size());
    for (int l = 0; l < 3; ++l)
        for (int c = 0; c < 4; ++c)
            volume.repere[l][c] = affine.at(l, c);
    volume.origineRepere = Raison(CodeRaison::RepereSform);
    std::vector<point3> nuage;
    a->bilan.volume = true;
    reussirOuLever(frontiereVolume(volume, "array", a->parametres.volume, nuage, a->bilan.frontiere),
                   langueDe(a->parametres));
    lancer(nuage, *a, std::move(progres));
    return a;
}

void ecrire(Ajuste &a, const std::string &chemin)
{
    const auto point = chemin.rfind('.');
    std::string suffixe = point == std::string::npos ? "" : chemin.substr(point + 1);
    for (char &c : suffixe)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const Maillage &t = a.simplex.maillageTriangule;
    Resultat r;
    {
        py::gil_scoped_release libre;
        const Silence silence;
        if (suffixe == "smm" || suffixe == "sm")
            r = a.simplex.ecrire(chemin, suffixe == "smm" ? 2 : 1);
        else if (suffixe == "off")
            r = t.ecrireOFF(chemin);
        else if (suffixe == "obj")
            r = t.ecrireOBJ(chemin);
        else if (suffixe == "ply")
            r = t.ecrirePLY(chemin);
        else if (suffixe == "stl")
            r = t.ecrireSTL(chemin);
        else {
            std::string valides;
            for (const std::string &f : pelvane::formatsDeSortie)
                valides += (valides.empty() ? "" : ", ") + f;
            r = Resultat::echec(Statut::ArgumentsIncorrects,
                                Raison(CodeRaison::FormatDeSortieInconnu, {litteral(suffixe), litteral(valides)}));
        }
    }
    reussirOuLever(r);
}

void ecrireNuage(const py::array_t<double, py::array::c_style | py::array::forcecast> &tableau,
                 const std::string &chemin)
{
    const std::vector<point3> points = pointsDuTableau(tableau);
    Resultat r;
    {
        const Silence silence;
        r = ecrirePTS(chemin, points);
    }
    reussirOuLever(r);
}

/// The codes of a reason and of those it holds, outermost first.
void codesDe(const Raison &r, py::list &codes)
{
    if (r.code != CodeRaison::Aucune && r.code != CodeRaison::Cite)
        codes.append(pelvane::nomDuCode(r.code));
    for (const Argument &a : r.arguments)
        if (a.genre == Argument::Genre::Raison && !a.sous.empty())
            codesDe(a.sous.front(), codes);
}

py::dict distances(const Statistiques &s)
{
    py::dict d;
    d["count"] = s.nombre;
    d["mean"] = s.moyenne;
    d["p95"] = s.centile95;
    d["max"] = s.maximum;
    return d;
}

py::dict figures(const Ajuste &a)
{
    const pelvane::Bilan &b = a.bilan;
    py::dict d;
    d["cloud_points"] = b.pointsNuage;
    d["points_set_aside"] = b.pointsEcartes;
    d["noise_smoothed"] = b.bruitLisse;
    d["diagonal"] = b.diagonale;
    d["initial_simplex_points"] = b.pointsInitiaux;
    d["simplex_points"] = b.pointsFinaux;
    d["cells"] = b.mailles;
    d["triangles"] = b.triangles;
    d["levels"] = b.cycles;
    d["points_per_level"] = b.pointsParCycle;
    d["steps"] = b.pasFinaux;
    d["converged"] = b.arretAnticipe;
    d["parts"] = b.parties;
    d["genus"] = b.genre;
    d["crossings"] = b.croisements;
    d["volume"] = b.volumeEnclos;
    d["area"] = b.aire;
    d["surface_samples"] = b.echantillonsSurface;
    d["cloud_to_surface"] = distances(b.nuageVersSurface);
    d["surface_to_cloud"] = distances(b.surfaceVersNuage);
    d["simplex_to_cloud"] = distances(b.maillageVersNuage);
    py::dict temps;
    temps["total"] = b.duree;
    temps["preparation"] = b.dureeLecture;
    temps["fit"] = b.dureeCycles;
    temps["measures"] = b.dureeMesures;
    d["times"] = temps;
    if (b.volume) {
        py::dict region;
        region["low"] = b.frontiere.region.bas;
        region["high"] = b.frontiere.region.haut;
        region["automatic"] = b.frontiere.automatique;
        region["voxels"] = b.frontiere.voxelsRegion;
        d["region"] = region;
    }
    return d;
}

} // namespace

PYBIND11_MODULE(_tarnis, m)
{
    m.doc() = "The engine of Tarnis: closed surfaces fitted to point clouds with simplex meshes.";
    static py::exception<Echec> erreur(m, "Error", PyExc_RuntimeError);
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p)
                std::rethrow_exception(p);
        } catch (const Echec &e) {
            const Resultat &r = e.resultat;
            const std::string anglais = pelvane::texteDansLaLangue(r.raison, pelvane::Langue::Anglais);
            py::object ex = py::handle(erreur.ptr())(pelvane::texteDansLaLangue(r.raison, e.langue));
            py::list codes;
            codesDe(r.raison, codes);
            ex.attr("code") = codes.empty() ? py::str("") : py::str(codes[0]);
            ex.attr("codes") = codes;
            ex.attr("status") = static_cast<int>(r.statut);
            ex.attr("text") = anglais;
            ex.attr("text_fr") = r.texte();
            PyErr_SetObject(erreur.ptr(), ex.ptr());
        }
    });

    py::class_<Ajuste, std::shared_ptr<Ajuste>>(m, "Fit")
        .def_property_readonly("vertices",
                               [](py::object self) {
                                   const Maillage &t = self.cast<Ajuste &>().simplex.maillageTriangule;
                                   const auto n = static_cast<py::ssize_t>(t.listeSommets.size());
                                   return py::array_t<double>(
                                       {n, py::ssize_t(3)}, {py::ssize_t(sizeof(point3)), py::ssize_t(sizeof(double))},
                                       n ? &t.listeSommets.front().x : nullptr, self);
                               })
        .def_property_readonly("faces",
                               [](py::object self) {
                                   const Maillage &t = self.cast<Ajuste &>().simplex.maillageTriangule;
                                   const auto n = static_cast<py::ssize_t>(t.listeFaces.size());
                                   return py::array_t<int>({n, py::ssize_t(3)},
                                                           {py::ssize_t(sizeof(Face)), py::ssize_t(sizeof(int))},
                                                           n ? &t.listeFaces.front().s1 : nullptr, self);
                               })
        .def_property_readonly("simplex_points",
                               [](const Ajuste &a) {
                                   std::vector<point3> p;
                                   for (const PointSimplex *s : a.simplex.ListePointsSimplex)
                                       p.push_back(s->Position);
                                   return tableauDePoints(std::move(p));
                               })
        .def_property_readonly("simplex_neighbours",
                               [](const Ajuste &a) {
                                   const auto &liste = a.simplex.ListePointsSimplex;
                                   std::unordered_map<const PointSimplex *, long> indice;
                                   for (std::size_t i = 0; i < liste.size(); ++i)
                                       indice[liste[i]] = static_cast<long>(i);
                                   auto voisin = [&](const PointSimplex *v) {
                                       const auto it = indice.find(v);
                                       return it == indice.end() ? -1L : it->second;
                                   };
                                   py::array_t<long> v({static_cast<py::ssize_t>(liste.size()), py::ssize_t(3)});
                                   auto w = v.mutable_unchecked<2>();
                                   for (std::size_t i = 0; i < liste.size(); ++i) {
                                       const auto k = static_cast<py::ssize_t>(i);
                                       w(k, 0) = voisin(liste[i]->Voisin1);
                                       w(k, 1) = voisin(liste[i]->Voisin2);
                                       w(k, 2) = voisin(liste[i]->Voisin3);
                                   }
                                   return v;
                               })
        .def_property_readonly("figures", &figures);

    m.def("read", &lire, py::arg("path"), py::arg("options") = std::vector<std::string>());
    m.def("fit", &ajusterPython, py::arg("points"), py::arg("options"), py::arg("mesh"), py::arg("progress"));
    m.def("fit_volume", &ajusterVolume, py::arg("array"), py::arg("affine"), py::arg("options"), py::arg("mesh"),
          py::arg("progress"));
    m.def("write", &ecrire, py::arg("fit"), py::arg("path"));
    m.def("write_points", &ecrireNuage, py::arg("points"), py::arg("path"));
    m.def("console_options", [] { return pelvane::optionsNommees(); });
    m.def("reason_codes", [] {
        py::list l;
        for (std::size_t i = 1; i < nombreDeCodes; ++i)
            l.append(pelvane::nomDuCode(static_cast<CodeRaison>(i)));
        return l;
    });
}
