#include "MaillageTexte.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>
#include <type_traits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnis_texte {

namespace {
constexpr std::size_t TAILLE_FENETRE = 1 << 20;
// The longest token read whole: digits beyond it are no number a reader could use.
constexpr std::size_t LONGUEUR_MAX_JETON = std::size_t(1) << 22;

bool estChiffre(char c)
{
    return c >= '0' && c <= '9';
}

/// Whether the byte may appear in a number as the readers take them (digits, sign, point,
/// exponent).
bool peutEtreDansUnNombre(char c)
{
    return estChiffre(c) || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
}

/// Value of a token that from_chars found out of range: underflows become the rounded
/// tiny value (as the C library gives them), overflows are refused.
template <typename T> bool horsLimites(const char *debut, const char *finNombre, T &v)
{
    std::string copie(debut, finNombre);
    T r;
    if constexpr (std::is_same<T, float>::value)
        r = std::strtof(copie.c_str(), nullptr);
    else
        r = std::strtod(copie.c_str(), nullptr);
    if (std::isinf(r))
        return false;
    v = r;
    return true;
}
} // namespace

Lecteur::Lecteur(std::FILE *f, std::size_t fenetre)
    : fichier(f), fichierEpuise(f == nullptr), longueurMaxJeton(LONGUEUR_MAX_JETON)
{
    tampon.resize(std::max<std::size_t>(fenetre, 1));
    p = fin = debutFenetre = tampon.data();
}

Lecteur::Lecteur(const char *texte, std::size_t taille)
    : p(texte), fin(texte + taille), debutFenetre(texte), longueurMaxJeton(LONGUEUR_MAX_JETON)
{}

std::size_t Lecteur::ligneCourante() const
{
    return 1 + lignesAvant + static_cast<std::size_t>(std::count(debutFenetre, p, '\n'));
}

bool Lecteur::remplir()
{
    if (fichierEpuise)
        return false;
    // The unread rest moves to the front; a window full of one token doubles.
    const std::size_t debut = static_cast<std::size_t>(p - tampon.data());
    const std::size_t reste = static_cast<std::size_t>(fin - p);
    lignesAvant += static_cast<std::size_t>(std::count(debutFenetre, p, '\n'));
    octetsAvant += debut;
    if (reste == tampon.size())
        tampon.resize(tampon.size() * 2);
    if (reste > 0 && debut != 0)
        std::memmove(tampon.data(), tampon.data() + debut, reste);
    std::size_t lus = std::fread(tampon.data() + reste, 1, tampon.size() - reste, fichier);
    p = debutFenetre = tampon.data();
    fin = p + reste + lus;
    if (lus == 0)
        fichierEpuise = true;
    return lus > 0;
}

bool Lecteur::finDesDonnees()
{
    return p == fin && !remplir();
}

int Lecteur::lireCaractere()
{
    if (p == fin && !remplir())
        return -1;
    return static_cast<unsigned char>(*p++);
}

bool Lecteur::lireLigne(std::string &ligne, std::size_t max)
{
    ligne.clear();
    if (finDesDonnees())
        return false;
    for (;;) {
        const std::size_t dispo = static_cast<std::size_t>(fin - p);
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', dispo));
        const char *bout = nl ? nl : fin;
        const std::size_t place = max - std::min(max, ligne.size());
        ligne.append(p, std::min(place, static_cast<std::size_t>(bout - p)));
        if (nl) {
            p = nl + 1;
            return true;
        }
        p = fin;
        if (!remplir())
            return true;
    }
}

bool Lecteur::lireLigneBornee(std::string &ligne, std::size_t max, bool &tropLongue)
{
    ligne.clear();
    tropLongue = false;
    if (finDesDonnees())
        return false;
    for (;;) {
        const std::size_t place = max - ligne.size();
        const std::size_t dispo = std::min(place, static_cast<std::size_t>(fin - p));
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', dispo));
        ligne.append(p, nl ? nl : p + dispo);
        if (nl) {
            p = nl + 1;
            return true;
        }
        p += dispo;
        if (ligne.size() >= max) {
            // The end of the line may still come as the very next byte, or the end of the data.
            if (p == fin && !remplir())
                return true;
            tropLongue = *p != '\n';
            if (!tropLongue)
                ++p;
            return true;
        }
        if (!remplir())
            return true;
    }
}

bool Lecteur::sauterBlancs()
{
    bool dansCommentaire = false;
    for (;;) {
        while (p < fin) {
            if (dansCommentaire) {
                const char *nl = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(fin - p)));
                p = nl ? nl + 1 : fin;
                dansCommentaire = nl == nullptr;
            } else if (estBlanc(*p)) {
                ++p;
            } else if (commentaires && *p == '#') {
                dansCommentaire = true;
                ++p;
            } else {
                return true;
            }
        }
        if (!remplir())
            return false;
    }
}

const char *Lecteur::finJeton()
{
    std::size_t dejaVu = 0;
    for (;;) {
        const char *q = p + dejaVu;
        while (q < fin && !estBlanc(*q))
            ++q;
        if (q < fin || fichierEpuise)
            return q;
        // No number is that long, or holds such a byte: the window stops growing, the token is
        // cut there (a run of binary bytes is refused after one window, not read whole).
        const bool horsNombre = std::any_of(p + dejaVu, q, [](char c) { return !peutEtreDansUnNombre(c); });
        dejaVu = static_cast<std::size_t>(q - p);
        if (dejaVu >= longueurMaxJeton || horsNombre)
            return q;
        if (!remplir())
            return fin;
    }
}

template <typename T> bool Lecteur::lireReel(T &v, T limite)
{
    if (!sauterBlancs())
        return false;
    const char *jetonFin = finJeton();
    const char *q = p;
    if (*q == '+')
        ++q;
    // Only a digit or a point may start the number: no "inf", "nan" or doubled sign.
    const char *corps = (q < jetonFin && *q == '-' && *p != '+') ? q + 1 : q;
    if (corps >= jetonFin || !(estChiffre(*corps) || *corps == '.'))
        return false;
    T valeur{};
    auto r = std::from_chars(q, jetonFin, valeur, std::chars_format::general);
    if (r.ec == std::errc::invalid_argument)
        return false;
    if (r.ec == std::errc::result_out_of_range && !horsLimites(q, r.ptr, valeur))
        return false;
    if (!(std::fabs(valeur) <= limite))
        return false;
    v = valeur;
    p = r.ptr;
    return true;
}

bool Lecteur::lireFloat(float &v)
{
    return lireReel(v, std::numeric_limits<float>::max());
}
bool Lecteur::lireDouble(double &v)
{
    return lireReel(v, std::numeric_limits<double>::max());
}
bool Lecteur::lireDouble(double &v, double limite)
{
    return lireReel(v, limite);
}

bool Lecteur::lireEntier(int &v)
{
    return lireEntierDe(v);
}

bool Lecteur::lireEntier(long long &v)
{
    return lireEntierDe(v);
}

bool Lecteur::lireJeton(const char *&debut, const char *&finJ)
{
    if (!sauterBlancs())
        return false;
    finJ = finJeton();
    debut = p;
    p = finJ;
    return true;
}

std::string Lecteur::jetonSuivant(std::size_t max)
{
    if (!sauterBlancs())
        return std::string();
    const char *jetonFin = finJeton();
    return std::string(p, std::min(max, static_cast<std::size_t>(jetonFin - p)));
}

template <typename T> bool Lecteur::lireEntierDe(T &v)
{
    if (!sauterBlancs())
        return false;
    const char *jetonFin = finJeton();
    const char *q = p;
    if (*q == '+' && q + 1 < jetonFin && estChiffre(q[1]))
        ++q;
    T valeur = 0;
    auto r = std::from_chars(q, jetonFin, valeur);
    if (r.ec != std::errc())
        return false;
    v = valeur;
    p = r.ptr;
    return true;
}

Ecrivain::Ecrivain(std::FILE *f) : fichier(f)
{
    tampon.resize(TAILLE_FENETRE);
}

Ecrivain::~Ecrivain() = default;

void Ecrivain::reserver(std::size_t n)
{
    if (utilise + n > tampon.size())
        vider();
}

Ecrivain &Ecrivain::texte(const char *s)
{
    std::size_t n = std::strlen(s);
    if (n > tampon.size()) {
        vider();
        if (std::fwrite(s, 1, n, fichier) != n)
            echec = true;
        return *this;
    }
    reserver(n);
    std::memcpy(tampon.data() + utilise, s, n);
    utilise += n;
    return *this;
}

Ecrivain &Ecrivain::caractere(char c)
{
    reserver(1);
    tampon[utilise++] = c;
    return *this;
}

Ecrivain &Ecrivain::entier(long long v)
{
    reserver(24);
    auto r = std::to_chars(tampon.data() + utilise, tampon.data() + tampon.size(), v);
    utilise = static_cast<std::size_t>(r.ptr - tampon.data());
    return *this;
}

Ecrivain &Ecrivain::reel(double v)
{
    reserver(32);
    char *debut = tampon.data() + utilise;
    auto r = std::to_chars(debut, tampon.data() + tampon.size(), v, std::chars_format::general, 6);
    utilise = static_cast<std::size_t>(r.ptr - tampon.data());
    return *this;
}

bool Ecrivain::vider()
{
    if (utilise > 0) {
        if (std::fwrite(tampon.data(), 1, utilise, fichier) != utilise)
            echec = true;
        utilise = 0;
    }
    if (std::fflush(fichier) != 0)
        echec = true;
    return !echec;
}

std::FILE *ouvrirLecture(const std::string &nom, Raison &raison, bool *nonOrdinaire)
{
    if (nonOrdinaire)
        *nonOrdinaire = false;
    // Opened without waiting (a pipe with no writer would block an ordinary open), then
    // checked: only a regular file is read.
    const int fd = ::open(nom.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        raison = Raison(CodeRaison::OuvertureImpossibleCar,
                        {::nom(nom), e == ENOENT   ? Argument(Raison(CodeRaison::FichierAbsent))
                                     : e == EACCES ? Argument(Raison(CodeRaison::AccesRefuse))
                                                   : litteral(std::strerror(e))});
        return nullptr;
    }
    struct stat st;
    const bool lu = ::fstat(fd, &st) == 0;
    if (!lu || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (nonOrdinaire)
            *nonOrdinaire = lu;
        const CodeRaison code = lu && S_ISDIR(st.st_mode)    ? CodeRaison::EstUnDossier
                                : lu && S_ISFIFO(st.st_mode) ? CodeRaison::EstUnTube
                                : lu && (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
                                    ? CodeRaison::EstUnPeripherique
                                    : CodeRaison::PasUnFichierOrdinaire;
        raison = Raison(code, {::nom(nom)});
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE *f = ::fdopen(fd, "rb");
    if (!f) {
        ::close(fd);
        raison = Raison(CodeRaison::OuvertureImpossible, {::nom(nom)});
    }
    return f;
}

} // namespace tarnis_texte
