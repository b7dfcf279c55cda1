#include "NuageCommun.h"

#include "MaillageTexte.h"
#include "Memoire.h"
#include "Parallele.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <stdexcept>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnis_nuage {

namespace {

// The mappings being read, watched by the SIGBUS handler. A fault inside one of them (the file
// cut shorter under it) has the rest of the mapping replaced by zero pages, the slot marked, and
// the reading goes on: the reader reads zeros to its end, then Projection::change() tells the
// file changed. Slots are taken and given back without locks, the handler only reads them.
struct Garde
{
    std::atomic<int> prise{0};
    std::atomic<char *> debut{nullptr};
    std::atomic<std::size_t> longueur{0};
    std::atomic<int> touchee{0};
};
constexpr int GARDES = 64;
Garde gardes[GARDES];
struct sigaction avantNous;
std::size_t pageSysteme = 4096;

void surSigbus(int signal, siginfo_t *info, void *contexte)
{
    char *adresse = static_cast<char *>(info->si_addr);
    for (Garde &g : gardes) {
        char *debut = g.debut.load(std::memory_order_acquire);
        const std::size_t longueur = g.longueur.load(std::memory_order_acquire);
        if (!debut || adresse < debut || adresse >= debut + longueur)
            continue;
        char *page = debut + static_cast<std::size_t>(adresse - debut) / pageSysteme * pageSysteme;
        const std::size_t reste = static_cast<std::size_t>(debut + longueur - page);
        if (::mmap(page, reste, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
            g.touchee.store(1, std::memory_order_release);
            return;
        }
        break;
    }
    // Not one of ours: whoever handled it before, or the default action (the faulting access
    // runs again and ends the process as it would have).
    if ((avantNous.sa_flags & SA_SIGINFO) && avantNous.sa_sigaction) {
        avantNous.sa_sigaction(signal, info, contexte);
    } else if (avantNous.sa_handler != SIG_DFL && avantNous.sa_handler != SIG_IGN) {
        avantNous.sa_handler(signal);
    } else {
        struct sigaction defaut = {};
        defaut.sa_handler = SIG_DFL;
        ::sigaction(SIGBUS, &defaut, nullptr);
    }
}

void installerGarde()
{
    static std::once_flag fait;
    std::call_once(fait, [] {
        const long p = ::sysconf(_SC_PAGESIZE);
        if (p > 0)
            pageSysteme = static_cast<std::size_t>(p);
        struct sigaction a = {};
        a.sa_sigaction = surSigbus;
        a.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&a.sa_mask);
        ::sigaction(SIGBUS, &a, &avantNous);
    });
}

int prendreGarde(void *debut, std::size_t longueur)
{
    installerGarde();
    for (int k = 0; k < GARDES; ++k) {
        int libre = 0;
        if (gardes[k].prise.compare_exchange_strong(libre, 1)) {
            gardes[k].touchee.store(0);
            gardes[k].longueur.store(longueur, std::memory_order_release);
            gardes[k].debut.store(static_cast<char *>(debut), std::memory_order_release);
            return k;
        }
    }
    return -1;
}

void rendreGarde(int k)
{
    gardes[k].debut.store(nullptr, std::memory_order_release);
    gardes[k].longueur.store(0);
    gardes[k].prise.store(0, std::memory_order_release);
}

} // namespace

Projection::~Projection()
{
    if (garde >= 0)
        rendreGarde(garde);
    if (base)
        ::munmap(base, taille);
    if (fichier)
        std::fclose(fichier);
}

Resultat Projection::ouvrir(const std::string &nom, Statut statut, bool peupler)
{
    Raison raison;
    std::FILE *f = tarnis_texte::ouvrirLecture(nom, raison);
    if (!f)
        return Resultat::echec(statut, raison);
    fichier = f;
    struct stat st;
    if (::fstat(::fileno(f), &st) != 0)
        return Resultat::echec(statut, Raison(CodeRaison::OuvertureImpossible, {::nom(nom)}));
    tailleVue = st.st_size;
    secondes = st.st_mtim.tv_sec;
    nanosecondes = st.st_mtim.tv_nsec;
    if (st.st_size <= 0)
        return Resultat::succes();
    const std::size_t n = static_cast<std::size_t>(st.st_size);
    void *p = ::mmap(nullptr, n, PROT_READ, MAP_PRIVATE, ::fileno(f), 0);
    if (p == MAP_FAILED)
        return Resultat::echec(statut,
                               Raison(CodeRaison::OuvertureImpossibleCar, {::nom(nom), litteral(std::strerror(errno))}));
    // Read ahead by the kernel while the reader starts, not populated at once: a file refused
    // from its header (a count far beyond its bytes) costs its first pages only, whatever its size.
    if (peupler)
        ::madvise(p, n, MADV_WILLNEED);
    garde = prendreGarde(p, n);
    if (garde < 0) {
        // Every guard taken: the bytes are read in instead (a shorter file then reads short).
        ::munmap(p, n);
        copie.resize(n);
        std::size_t lus = 0;
        while (lus < n) {
            const ssize_t k = ::pread(::fileno(f), copie.data() + lus, n - lus, static_cast<off_t>(lus));
            if (k <= 0)
                break;
            lus += static_cast<std::size_t>(k);
        }
        copie.resize(lus);
        donnees = copie.data();
        taille = lus;
        return Resultat::succes();
    }
    base = p;
    donnees = static_cast<const char *>(p);
    taille = n;
    return Resultat::succes();
}

bool Projection::change() const
{
    if (!fichier)
        return false;
    if (garde >= 0 && gardes[garde].touchee.load(std::memory_order_acquire))
        return true;
    struct stat st;
    if (::fstat(::fileno(fichier), &st) != 0)
        return true;
    return st.st_size != tailleVue || static_cast<long long>(taille) != tailleVue ||
           st.st_mtim.tv_sec != secondes || st.st_mtim.tv_nsec != nanosecondes;
}

Resultat agrandirPoints(std::vector<point3> &points, std::size_t n, int fils, const std::string &nom)
{
    try {
        agrandir(points, n, fils);
        return Resultat::succes();
    } catch (const std::bad_alloc &) {
        const std::size_t octets = n * sizeof(point3);
        std::vector<point3>().swap(points);
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::MemoireLecture,
                                                              {::nom(nom), Raison(CodeRaison::LectureDuNuage), octets}));
    } catch (const std::length_error &) {
        std::vector<point3>().swap(points);
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::TropDePoints, {::nom(nom), n, POINTS_MAX}));
    }
}

Resultat fichierChange(const std::string &nom, Statut statut)
{
    return Resultat::echec(statut, Raison(CodeRaison::FichierChange, {::nom(nom)}));
}

const char *lireReel(const char *p, const char *fin, double &v, bool nanPermis)
{
    const char *q = p;
    if (q < fin && *q == '+')
        ++q;
    const char *corps = (q < fin && *q == '-' && *p != '+') ? q + 1 : q;
    if (corps >= fin)
        return nullptr;
    const char c = *corps;
    if (!((c >= '0' && c <= '9') || c == '.')) {
        if (!nanPermis || !(c == 'n' || c == 'N' || c == 'i' || c == 'I'))
            return nullptr;
    }
    const auto r = std::from_chars(q, fin, v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Underflows become the tiny value the C library gives; overflows are refused.
        const std::string copie(q, r.ptr);
        v = std::strtod(copie.c_str(), nullptr);
        return std::isinf(v) ? nullptr : r.ptr;
    }
    return r.ec == std::errc() ? r.ptr : nullptr;
}

Raison ceQuiArrete(const char *p, const char *fin)
{
    while (p < fin && estBlancLigne(*p))
        ++p;
    if (p >= fin || *p == '\n')
        return Raison(CodeRaison::FinDuFichier);
    const char *e = p;
    while (e < fin && !tarnis_texte::estBlanc(*e) && *e != ',' && *e != ';' && e - p < 24)
        ++e;
    const std::string jeton(p, e);
    if (std::any_of(jeton.begin(), jeton.end(), [](char b) { return b >= 0 && b < ' '; }))
        return Raison(CodeRaison::OctetsDeControle);
    double v;
    const char *corps = p + (*p == '-' || *p == '+');
    if (corps < e && ((*corps >= '0' && *corps <= '9') || *corps == '.') &&
        std::from_chars(p + (*p == '+'), e, v).ec == std::errc::result_out_of_range)
        return Raison(CodeRaison::HorsDesReels, {nom(jeton)});
    return Raison(CodeRaison::PasUnNombre, {nom(jeton)});
}

std::size_t ligneDe(const char *debut, const char *p)
{
    return 1 + static_cast<std::size_t>(std::count(debut, p, '\n'));
}

namespace {
std::size_t compterLignes(const char *p, const char *fin)
{
    std::size_t n = 0;
    while (p < fin) {
        const void *nl = std::memchr(p, '\n', static_cast<std::size_t>(fin - p));
        ++n;
        if (!nl)
            break;
        p = static_cast<const char *>(nl) + 1;
    }
    return n;
}
} // namespace

std::vector<Bloc> decouperEnLignes(const char *debut, const char *fin, std::size_t octetsParBloc, int fils)
{
    const std::size_t taille = static_cast<std::size_t>(fin - debut);
    const std::size_t n = std::clamp<std::size_t>(taille / std::max<std::size_t>(octetsParBloc, 1), 1, 65536);
    std::vector<Bloc> blocs;
    const char *courant = debut;
    for (std::size_t k = 1; k <= n && courant < fin; ++k) {
        const char *coupe = k == n ? fin : debut + taille * k / n;
        if (coupe < courant)
            continue;
        if (coupe < fin) {
            const void *nl = std::memchr(coupe, '\n', static_cast<std::size_t>(fin - coupe));
            coupe = nl ? static_cast<const char *>(nl) + 1 : fin;
        }
        Bloc b;
        b.debut = courant;
        b.fin = coupe;
        blocs.push_back(b);
        courant = coupe;
    }
    chaqueBloc(blocs.size(), fils,
               [&](std::size_t k) { blocs[k].lignes = compterLignes(blocs[k].debut, blocs[k].fin); });
    std::size_t ligne = 0;
    for (Bloc &b : blocs) {
        b.premiereLigne = ligne;
        ligne += b.lignes;
    }
    return blocs;
}

Resultat premierEchec(const std::vector<Bloc> &blocs, const std::string &nom, std::size_t ligneDebut, Statut statut)
{
    for (const Bloc &b : blocs)
        if (b.ligneEchec)
            return Resultat::echec(statut,
                                   Raison(CodeRaison::FichierLigne,
                                          {::nom(nom), ligneDebut + b.premiereLigne + b.ligneEchec - 1, b.raison}));
    return Resultat::succes();
}

Plage plageEntiere(std::size_t octets, bool signe, const char *nom)
{
    const double n = std::ldexp(1.0, static_cast<int>(8 * octets) - (signe ? 1 : 0));
    return Plage{true, signe ? -n : 0.0, n - 1, nom};
}

bool ressembleATexte(const char *p, std::size_t n)
{
    n = std::min<std::size_t>(n, 4096);
    bool finDeLigne = false, chiffre = false;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = p[i];
        const bool estChiffre = c >= '0' && c <= '9';
        if (!(estChiffre || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E' || c == '\n' ||
              estBlancLigne(c)))
            return false;
        chiffre = chiffre || estChiffre;
        finDeLigne = finDeLigne || c == '\n';
    }
    return chiffre && finDeLigne;
}

std::size_t flottantsImplausibles(const char *p, std::size_t n, std::size_t pas, bool inverse)
{
    std::size_t compte = 0;
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char o[4];
        std::memcpy(o, p + i * pas, 4);
        if (inverse)
            std::reverse(o, o + 4);
        float v;
        std::memcpy(&v, o, 4);
        const int genre = std::fpclassify(v);
        compte += genre == FP_NAN || genre == FP_INFINITE || genre == FP_SUBNORMAL;
    }
    return compte;
}

Resultat rienApres(const char *debut, const char *p, const char *fin, const std::string &nom)
{
    while (p < fin && (*p == '\n' || estBlancLigne(*p)))
        ++p;
    if (p >= fin)
        return Resultat::succes();
    const char *e = p;
    while (e < fin && *e != '\n' && !estBlancLigne(*e) && e - p < 24)
        ++e;
    const Raison quoi = std::any_of(p, e, [](char c) { return c >= 0 && c < ' '; }) ? Raison(CodeRaison::OctetsDeControle)
                                                                                    : ::nom(std::string(p, e));
    return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::DonneesApres, {::nom(nom), ligneDe(debut, p), quoi}));
}

Resultat lireLignesFixes(const char *debut, const char *fin, std::size_t nLignes, int colonnes, const int ix[3],
                         bool nanPermis, std::vector<point3> &points, const OptionsLecture &options,
                         const std::string &nom, const char *element, std::size_t ligneDebut, std::size_t octetDebut,
                         const char *&finLignes, const Plage *plages)
{
    // A line holds at least one byte per number and one blank or end of line after it.
    const std::size_t reste = static_cast<std::size_t>(fin - debut);
    if (nLignes > reste / (2 * static_cast<std::size_t>(std::max(colonnes, 1))) + 1)
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::CompteTropGrand, {::nom(nom), nLignes, litteral(element), reste}));
    const char *p = debut;
    for (std::size_t i = 0; i < nLignes; ++i) {
        if (p >= fin)
            return Resultat::echec(
                Statut::NuageIllisible,
                Raison(CodeRaison::FichierCoupe, {::nom(nom), octetDebut + reste, litteral(element), i + 1, nLignes}));
        const void *nl = std::memchr(p, '\n', static_cast<std::size_t>(fin - p));
        p = nl ? static_cast<const char *>(nl) + 1 : fin;
    }
    finLignes = p;
    points.clear();
    if (Resultat r = agrandirPoints(points, nLignes, filsEffectifs(options.fils), nom); !r)
        return r;
    std::vector<Bloc> blocs = decouperEnLignes(debut, p, options.octetsParBloc, filsEffectifs(options.fils));
    chaqueBloc(blocs.size(), filsEffectifs(options.fils), [&](std::size_t k) {
        Bloc &b = blocs[k];
        const char *q = b.debut;
        for (std::size_t l = 0; l < b.lignes; ++l) {
            const void *nl = std::memchr(q, '\n', static_cast<std::size_t>(b.fin - q));
            const char *e = nl ? static_cast<const char *>(nl) : b.fin;
            double v[3] = {0, 0, 0};
            int c = 0;
            for (;; ++c) {
                while (q < e && estBlancLigne(*q))
                    ++q;
                if (q >= e || c == colonnes)
                    break;
                double x;
                const char *s = lireReel(q, e, x, nanPermis);
                if (!s || (s < e && !estBlancLigne(*s))) {
                    b.ligneEchec = l + 1;
                    b.raison = ceQuiArrete(q, e);
                    return;
                }
                if (plages && !plages[c].contient(x)) {
                    b.ligneEchec = l + 1;
                    b.raison = Raison(CodeRaison::HorsDuType, {::nom(std::string(q, s)), ::nom(plages[c].nom)});
                    return;
                }
                for (int a = 0; a < 3; ++a)
                    if (ix[a] == c)
                        v[a] = x;
                q = s;
            }
            if (c != colonnes || q < e) {
                int trouves = c;
                for (bool dans = false; q < e; ++q) {
                    if (!dans && !estBlancLigne(*q))
                        ++trouves;
                    dans = !estBlancLigne(*q);
                }
                b.ligneEchec = l + 1;
                b.raison = Raison(CodeRaison::NombresParLigne, {trouves, colonnes});
                return;
            }
            points[b.premiereLigne + l] = point3(v[0], v[1], v[2]);
            q = e + 1;
        }
    });
    Resultat r = premierEchec(blocs, nom, ligneDebut);
    if (!r)
        points.clear();
    return r;
}

} // namespace tarnis_nuage

std::string suffixeDe(const std::string &nom)
{
    const std::size_t point = nom.find_last_of('.');
    const std::size_t barre = nom.find_last_of('/');
    if (point == std::string::npos || (barre != std::string::npos && point < barre))
        return std::string();
    std::string s = nom.substr(point + 1);
    // "scan.PLY" is read as "scan.ply": suffixes are told apart whatever their case.
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool estNuageAutreFormat(const std::string &nom)
{
    const std::string s = suffixeDe(nom);
    return s == "ply" || s == "xyz" || s == "asc" || s == "csv" || s == "txt" || s == "pcd";
}

namespace tarnis_nuage {

Resultat lireNuageProjete(const Projection &fichier, const std::string &nom, std::vector<point3> &points,
                          long long &nonFinis, const OptionsLecture &options)
{
    points.clear();
    nonFinis = 0;
    const std::string s = suffixeDe(nom);
    Resultat r;
    if (s == "ply")
        r = lireSurfacePLY(fichier.donnees, fichier.taille, nom, points, options);
    else if (s == "pcd")
        r = lireNuagePCD(fichier.donnees, fichier.taille, nom, points, nonFinis, options);
    else if (estNuageAutreFormat(nom))
        r = lireNuageXYZ(fichier.donnees, fichier.taille, nom, points, options);
    else
        r = Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::NuageNonReconnu,
                                                           {::nom(nom), litteral(".pts, .ply, .xyz, .asc, .csv, .txt, .pcd")}));
    // Whatever the reader made of it, bytes that changed under it are no data.
    if (fichier.change()) {
        points.clear();
        nonFinis = 0;
        return fichierChange(nom, Statut::NuageIllisible);
    }
    return r;
}

} // namespace tarnis_nuage

Resultat lireNuageFichier(const std::string &nom, std::vector<point3> &points, long long &nonFinis,
                          const Progression &progression, const OptionsLecture &options)
{
    points.clear();
    nonFinis = 0;
    tarnis_nuage::Projection fichier;
    if (Resultat r = fichier.ouvrir(nom, Statut::NuageIllisible); !r)
        return r;
    Resultat r = tarnis_nuage::lireNuageProjete(fichier, nom, points, nonFinis, options);
    if (r && progression && !progression(1.0, Raison(CodeRaison::LectureDuNuage))) {
        points.clear();
        return Resultat::interrompu(Raison(CodeRaison::LectureDe, {::nom(nom)}));
    }
    return r;
}

Resultat lireMaillagePLYFichier(const std::string &nom, Maillage &m)
{
    tarnis_nuage::Projection fichier;
    if (Resultat r = fichier.ouvrir(nom, Statut::MaillageIllisible); !r)
        return r;
    std::vector<point3> sommets;
    std::vector<Face> faces;
    Resultat r = lireMaillagePLY(fichier.donnees, fichier.taille, nom, sommets, faces);
    if (fichier.change())
        return tarnis_nuage::fichierChange(nom, Statut::MaillageIllisible);
    if (!r)
        return r;
    if (sommets.size() > static_cast<std::size_t>(tarnis_nuage::POINTS_MAX) ||
        faces.size() > static_cast<std::size_t>(tarnis_nuage::POINTS_MAX))
        return Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::TropDePoints, {::nom(nom), sommets.size(),
                                                                                            tarnis_nuage::POINTS_MAX}));
    m.listeSommets = std::move(sommets);
    m.listeFaces = std::move(faces);
    m.listeAretes.clear();
    m.nbSommets = static_cast<int>(m.listeSommets.size());
    m.nbFaces = static_cast<int>(m.listeFaces.size());
    m.nbAretes = 0;
    m.calculerBoiteEtCentre();
    return r;
}

namespace tarnis_nuage {

double limiteSimplePrecision()
{
    // Half an ulp of FLT_MAX above it rounds to infinity; anything below it, to FLT_MAX.
    const double f = static_cast<double>(std::numeric_limits<float>::max());
    static const double limite = std::nextafter(f + std::ldexp(1.0, 103), 0.0);
    return limite;
}

namespace {
bool blancPTS(char c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

/// One number at p as the PTS reader takes it (an optional sign, then a digit or a point); its
/// end, or null. Read in double; beyond the range of single precision (which PTS has always
/// kept to), no number.
const char *flottantDebut(const char *p, const char *e, double &v)
{
    const char *q = p + (*p == '+');
    const char *corps = (q < e && *q == '-' && *p != '+') ? q + 1 : q;
    if (corps >= e || !((*corps >= '0' && *corps <= '9') || *corps == '.'))
        return nullptr;
    const auto r = std::from_chars(q, e, v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // An underflow is the tiny value the C library gives, as the sequential reader takes it.
        const std::string copie(q, r.ptr);
        v = std::strtod(copie.c_str(), nullptr);
        return std::fabs(v) <= limiteSimplePrecision() ? r.ptr : nullptr;
    }
    return r.ec == std::errc() && std::fabs(v) <= limiteSimplePrecision() ? r.ptr : nullptr;
}

/// A whole token as the PTS reader takes one number: an optional sign, a digit or a point, and
/// nothing left over.
bool flottantEntier(const char *p, const char *e, double &v)
{
    return flottantDebut(p, e, v) == e;
}
} // namespace

bool debutPTSRegulier(const char *debut, const char *fin)
{
    const char *p = debut, *e = std::min(fin, debut + 4096);
    for (int c = 0; c < 3; ++c) {
        while (p < e && blancPTS(*p) && *p != '\n')
            ++p;
        double v;
        const char *s = p < e ? flottantDebut(p, e, v) : nullptr;
        if (!s || (s < e && !blancPTS(*s)))
            return false;
        p = s;
    }
    return true;
}

bool lirePointsPTSEnBlocs(const char *debut, const char *fin, long long annonces, std::vector<point3> &points,
                          long long &nombresAuDela, const OptionsLecture &options)
{
    const int fils = filsEffectifs(options.fils);
    std::vector<Bloc> blocs = decouperEnLignes(debut, fin, options.octetsParBloc, fils);
    const std::size_t avant = points.size();
    // The usual file first: three numbers on every line, line k giving point k.
    std::size_t lignes = 0;
    for (const Bloc &b : blocs)
        lignes += b.lignes;
    if (static_cast<long long>(lignes) >= annonces) {
        agrandir(points, avant + static_cast<std::size_t>(annonces), fils);
        point3 *sortie = points.data() + avant;
        chaqueBloc(blocs.size(), fils, [&](std::size_t k) {
            Bloc &b = blocs[k];
            const char *p = b.debut;
            for (std::size_t l = 0; l < b.lignes; ++l) {
                double v[3];
                for (int c = 0; c < 3; ++c) {
                    while (p < b.fin && blancPTS(*p) && *p != '\n')
                        ++p;
                    const char *e = p < b.fin ? flottantDebut(p, b.fin, v[c]) : nullptr;
                    if (!e || (e < b.fin && !blancPTS(*e))) {
                        b.ligneEchec = 1;
                        return;
                    }
                    p = e;
                }
                while (p < b.fin && blancPTS(*p) && *p != '\n')
                    ++p;
                if (p < b.fin && *p != '\n') {
                    b.ligneEchec = 1;
                    return;
                }
                ++p;
                const std::size_t i = b.premiereLigne + l;
                if (i < static_cast<std::size_t>(annonces))
                    sortie[i] = point3(v[0], v[1], v[2]);
            }
        });
        if (std::none_of(blocs.begin(), blocs.end(), [](const Bloc &b) { return b.ligneEchec != 0; })) {
            nombresAuDela = 3 * static_cast<long long>(lignes - static_cast<std::size_t>(annonces));
            return true;
        }
        points.resize(avant);
        for (Bloc &b : blocs)
            b.ligneEchec = 0;
    }
    // Tokens of each block (a token never runs across an end of line), then each block parses
    // its own, number k of the file going to point k / 3.
    chaqueBloc(blocs.size(), fils, [&](std::size_t k) {
        // A token starts where a byte that is not blank follows a blank (or the block's start,
        // which follows an end of line): counted without branches.
        const auto *p = reinterpret_cast<const unsigned char *>(blocs[k].debut);
        const std::size_t taille = static_cast<std::size_t>(blocs[k].fin - blocs[k].debut);
        auto blanc = [](unsigned char c) -> unsigned { return (c == ' ') | (static_cast<unsigned char>(c - 9) < 5); };
        std::size_t n = taille > 0 && !blanc(p[0]);
        for (std::size_t i = 1; i < taille; ++i)
            n += blanc(p[i - 1]) & (blanc(p[i]) ^ 1u);
        blocs[k].points = n;
    });
    std::size_t total = 0;
    for (Bloc &b : blocs) {
        b.premierPoint = total;
        total += b.points;
    }
    const std::size_t lus = static_cast<std::size_t>(std::min<long long>(annonces, static_cast<long long>(total / 3)));
    if (static_cast<long long>(lus) < annonces)
        return false;
    agrandir(points, avant + lus, fils);
    point3 *sortie = points.data() + avant;
    chaqueBloc(blocs.size(), fils, [&](std::size_t k) {
        Bloc &b = blocs[k];
        std::size_t i = b.premierPoint;
        for (const char *p = b.debut; p < b.fin;) {
            while (p < b.fin && blancPTS(*p))
                ++p;
            if (p == b.fin)
                break;
            const char *e = p;
            while (e < b.fin && !blancPTS(*e))
                ++e;
            double v;
            if (!flottantEntier(p, e, v)) {
                b.ligneEchec = 1;
                return;
            }
            if (i < 3 * lus) {
                point3 &q = sortie[i / 3];
                (i % 3 == 0 ? q.x : i % 3 == 1 ? q.y : q.z) = v;
            }
            ++i;
            p = e;
        }
    });
    for (const Bloc &b : blocs)
        if (b.ligneEchec) {
            points.resize(avant);
            return false;
        }
    nombresAuDela = static_cast<long long>(total - 3 * lus);
    return true;
}

} // namespace tarnis_nuage
