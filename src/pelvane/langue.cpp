#include "langue.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace pelvane {

namespace {

int &langueChoisie()
{
    static int l = -1; // -1: not chosen, follow the locale
    return l;
}

} // namespace

Langue langueDuSysteme()
{
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *valeur = std::getenv(variable);
        if (!valeur || !*valeur)
            continue;
        const std::string v = valeur;
        return v.rfind("en", 0) == 0 && (v.size() == 2 || v[2] == '_' || v[2] == '.' || v[2] == '@') ? Langue::Anglais
                                                                                                     : Langue::Francais;
    }
    return Langue::Francais;
}

bool lireLangue(const std::string &valeur, Langue &l)
{
    if (valeur != "en" && valeur != "fr")
        return false;
    l = valeur == "en" ? Langue::Anglais : Langue::Francais;
    return true;
}

Langue langue()
{
    const int l = langueChoisie();
    return l < 0 ? langueDuSysteme() : static_cast<Langue>(l);
}

void choisirLangue(Langue l)
{
    langueChoisie() = static_cast<int>(l);
}

const char *motifAnglais(const char *francais)
{
    static const std::vector<const PaireTraduite *> index = [] {
        std::vector<const PaireTraduite *> v;
        for (std::size_t i = 0; i < nombrePairesAnglaises; ++i)
            v.push_back(&pairesAnglaises[i]);
        std::sort(v.begin(), v.end(), [](const PaireTraduite *a, const PaireTraduite *b) {
            return std::strcmp(a->francais, b->francais) < 0;
        });
        return v;
    }();
    const auto it = std::lower_bound(index.begin(), index.end(), francais, [](const PaireTraduite *p, const char *f) {
        return std::strcmp(p->francais, f) < 0;
    });
    return it != index.end() && std::strcmp((*it)->francais, francais) == 0 ? (*it)->anglais : nullptr;
}

std::string texteDansLaLangue(const Raison &r, Langue l)
{
    if (l == Langue::Francais)
        return texte(r);
    std::vector<std::string> valeurs;
    valeurs.reserve(r.arguments.size());
    for (const Argument &a : r.arguments)
        valeurs.push_back(a.genre == Argument::Genre::Raison && !a.sous.empty() ? texteDansLaLangue(a.sous.front(), l)
                                                                                : a.texte);
    const char *francais = motifRaison(r.code);
    const char *anglais = *francais ? motifAnglais(francais) : nullptr;
    return remplirMotif(anglais ? anglais : francais, valeurs);
}

const char *nomDuCode(CodeRaison code)
{
    const auto i = static_cast<std::size_t>(code);
    return i < nombreNomsDesCodes ? nomsDesCodes[i] : "";
}

} // namespace pelvane
