// History of a document: its mesh and cloud as each step left them, undone and redone through
// Qt's undo stack.
#include "glwidget.h"

#include "MaillageGL.h"
#include "SimplexGL.h"

#include <QUndoCommand>

#include <array>
#include <set>
#include <unordered_map>

/// The simplex mesh as index lists (every list of points, the cells), its triangle meshes and
/// what the view shows of it. The vision cone is a preference, not part of the mesh: it stays.
struct EtatMaillage
{
    std::vector<point3> positions, precedents, suivants, initiaux;
    std::vector<std::array<int, 3>> voisins;
    std::vector<std::vector<int>> mailles;
    Maillage origine, triangule;
    point3 centre;
    int avancement = 0;
    QString nom, suffixe;
    bool estTriangule = false, triangulationAJour = false;
    int mode = 1, dejaDeforme = 0;

    bool operator==(const EtatMaillage &a) const
    {
        return positions == a.positions && voisins == a.voisins && mailles == a.mailles && precedents == a.precedents &&
               suivants == a.suivants && initiaux == a.initiaux && origine.listeSommets == a.origine.listeSommets &&
               triangule.listeSommets == a.triangule.listeSommets &&
               origine.listeFaces.size() == a.origine.listeFaces.size() &&
               triangule.listeFaces.size() == a.triangule.listeFaces.size() && nom == a.nom && suffixe == a.suffixe;
    }
    std::size_t octets() const
    {
        std::size_t n =
            sizeof(*this) + sizeof(point3) * (positions.size() + precedents.size() + suivants.size() + initiaux.size() +
                                              origine.listeSommets.size() + triangule.listeSommets.size());
        n += sizeof(std::array<int, 3>) * voisins.size();
        n += sizeof(Face) * (origine.listeFaces.size() + triangule.listeFaces.size());
        for (const std::vector<int> &m : mailles)
            n += sizeof(m) + sizeof(int) * m.size();
        return n;
    }
};

/// The cloud (shared with the view as long as it is its cloud) and its volume.
struct EtatNuage
{
    std::shared_ptr<MaillageGL> nuage;
    std::vector<point3> volume;
    std::string fichierVolume;
    bool millimetres = false;
    QString repere, niveau, nom, suffixe;

    std::size_t octets() const
    {
        return sizeof(*this) + sizeof(point3) * (nuage->ListePointsInterets.size() + volume.size());
    }
};

/// One step: the document before and after it. The first redo, when the step is pushed, has
/// nothing to do: the change is already made.
class CommandeDocument : public QUndoCommand
{
public:
    CommandeDocument(GLWidget *document, const QString &nom, EtatDocument etatAvant, EtatDocument etatApres,
                     int numeroDeFusion)
        : QUndoCommand(nom), vue(document), avant(std::move(etatAvant)), apres(std::move(etatApres)),
          fusion(numeroDeFusion)
    {}
    void undo() override { vue->restaurer(avant); }
    void redo() override
    {
        if (!premier)
            vue->restaurer(apres);
        premier = false;
    }
    int id() const override { return fusion; }
    bool mergeWith(const QUndoCommand *autre) override
    {
        apres = static_cast<const CommandeDocument *>(autre)->apres;
        return true;
    }
    /// The oldest steps give their states up (the step is then dropped when reached).
    void abandonner()
    {
        avant = apres = EtatDocument();
        setObsolete(true);
    }

    GLWidget *vue;
    EtatDocument avant, apres;
    int fusion;
    bool premier = true;
};

std::shared_ptr<EtatMaillage> GLWidget::etatDuSimplex(const Simplex &s)
{
    auto m = std::make_shared<EtatMaillage>();
    std::unordered_map<const PointSimplex *, int> indice;
    indice.reserve(s.ListePointsSimplex.size());
    for (std::size_t i = 0; i < s.ListePointsSimplex.size(); ++i)
        indice.emplace(s.ListePointsSimplex[i], static_cast<int>(i));
    const auto rang = [&](const PointSimplex *p) {
        const auto it = indice.find(p);
        return it == indice.end() ? -1 : it->second;
    };
    for (const PointSimplex *p : s.ListePointsSimplex) {
        if (!p) {
            m->positions.emplace_back();
            m->voisins.push_back({-1, -1, -1});
            continue;
        }
        m->positions.push_back(p->Position);
        m->voisins.push_back({rang(p->Voisin1), rang(p->Voisin2), rang(p->Voisin3)});
    }
    for (auto [liste, cible] :
         {std::pair{&s.ListePointsPrecedents, &m->precedents}, std::pair{&s.ListePointsSuivants, &m->suivants},
          std::pair{&s.ListePointsInitiaux, &m->initiaux}})
        for (const PointSimplex *p : *liste)
            cible->push_back(p ? p->Position : point3());
    for (const Maille *c : s.ListeMailles) {
        m->mailles.emplace_back();
        if (c)
            for (const PointSimplex *p : *c)
                m->mailles.back().push_back(rang(p));
    }
    m->origine = s.maillageOrigine;
    m->triangule = s.maillageTriangule;
    m->centre = s.Centre ? *s.Centre : point3();
    m->avancement = s.Avancement;
    return m;
}

bool GLWidget::etatComplet(const EtatMaillage &m)
{
    // A mesh with a neighbour outside its list cannot be rebuilt from indices.
    for (const auto &v : m.voisins)
        for (int j : v)
            if (j < 0)
                return false;
    for (const auto &c : m.mailles)
        for (int j : c)
            if (j < 0)
                return false;
    return true;
}

bool GLWidget::rebatirSimplex(Simplex &s, const EtatMaillage &m)
{
    if (!s.construire(m.positions, m.voisins, m.mailles))
        return false;
    // The companion lists go back to where the step left them (the retention pulls towards them).
    for (auto [liste, source] :
         {std::pair{&s.ListePointsPrecedents, &m.precedents}, std::pair{&s.ListePointsSuivants, &m.suivants},
          std::pair{&s.ListePointsInitiaux, &m.initiaux}})
        for (std::size_t i = 0; i < liste->size() && i < source->size(); ++i)
            if ((*liste)[i])
                (*liste)[i]->Position = (*source)[i];
    s.maillageOrigine = m.origine;
    s.maillageTriangule = m.triangule;
    if (s.Centre)
        *s.Centre = m.centre;
    s.Avancement = m.avancement;
    return true;
}

EtatDocument GLWidget::photographier()
{
    EtatDocument etat;
    std::shared_ptr<EtatMaillage> m = etatDuSimplex(*instanceSimplex);
    m->nom = nomSimplex;
    m->suffixe = suffixeSimplex;
    m->estTriangule = estTriangule;
    m->triangulationAJour = triangulationAJour;
    m->mode = modeDisplayMaille;
    m->dejaDeforme = dejaDeforme;
    if (etatConnu.maillage && *etatConnu.maillage == *m)
        etat.maillage = etatConnu.maillage;
    else
        etat.maillage = std::move(m);

    const EtatNuage *connu = etatConnu.nuage.get();
    if (connu && connu->nuage == instanceMaillage && connu->nom == nomPts && connu->fichierVolume == fichierVolume &&
        connu->niveau == niveauVolume) {
        etat.nuage = etatConnu.nuage;
    } else {
        auto n = std::make_shared<EtatNuage>();
        *n = EtatNuage{instanceMaillage, pointsVolume, fichierVolume, volumeEnMillimetres,
                       repereVolume,     niveauVolume, nomPts,        suffixePts};
        etat.nuage = std::move(n);
    }
    return etat;
}

void GLWidget::restaurer(const EtatDocument &etat)
{
    if (!etat.maillage || !etat.nuage)
        return;
    const EtatMaillage &m = *etat.maillage;
    if (!rebatirSimplex(*instanceSimplex, m)) {
        echec(tr("L'état du maillage n'a pas pu être rétabli."));
        return;
    }
    nomSimplex = m.nom;
    suffixeSimplex = m.suffixe;
    estTriangule = m.estTriangule;
    triangulationAJour = m.triangulationAJour;
    modeDisplayMaille = m.mode;
    dejaDeforme = m.dejaDeforme;

    const EtatNuage &n = *etat.nuage;
    instanceMaillage = n.nuage;
    pointsVolume = n.volume;
    fichierVolume = n.fichierVolume;
    volumeEnMillimetres = n.millimetres;
    repereVolume = n.repere;
    niveauVolume = n.niveau;
    nomPts = n.nom;
    suffixePts = n.suffixe;

    etatConnu = etat;
    mettreAJourLegende();
    if (coupe != 0)
        calculCoupes();
    cadrerSiBesoin();
    update();
    emit documentRestaure();
}

void GLWidget::commencerEtape()
{
    if (profondeurEtape++ == 0)
        etatAvant = photographier();
}

void GLWidget::terminerEtape(const QString &nom, int fusion)
{
    if (profondeurEtape == 0 || --profondeurEtape > 0)
        return;
    EtatDocument apres = photographier();
    EtatDocument avant = std::move(etatAvant);
    etatAvant = EtatDocument();
    etatConnu = apres;
    if (avant.nuage != apres.nuage)
        mettreAJourLegende();
    const bool meme = avant.maillage == apres.maillage && avant.nuage == apres.nuage;
    // A mesh with a neighbour outside its list cannot be rebuilt from indices: it is not recorded.
    if (meme || !avant.maillage || !etatComplet(*avant.maillage) || !etatComplet(*apres.maillage))
        return;
    historique.push(new CommandeDocument(this, nom, std::move(avant), std::move(apres), fusion));
    limiterHistorique();
}

std::size_t GLWidget::tailleHistorique() const
{
    std::set<const void *> vus;
    std::size_t total = 0;
    for (int i = 0; i < historique.count(); ++i) {
        const auto *c = static_cast<const CommandeDocument *>(historique.command(i));
        for (const EtatDocument *e : {&c->avant, &c->apres}) {
            if (e->maillage && vus.insert(e->maillage.get()).second)
                total += e->maillage->octets();
            if (e->nuage && vus.insert(e->nuage.get()).second)
                total += e->nuage->octets();
        }
    }
    return total;
}

void GLWidget::limiterHistorique()
{
    // The oldest steps still holding states give them up, one by one, while the history is
    // over budget; the latest step always keeps its own.
    for (int i = 0; i + 1 < historique.count() && tailleHistorique() > budgetHistorique; ++i) {
        auto *c = const_cast<CommandeDocument *>(static_cast<const CommandeDocument *>(historique.command(i)));
        if (!c->isObsolete())
            c->abandonner();
    }
}

void GLWidget::annuler()
{
    if (!historiqueDisponible())
        return;
    // A step that gave its states up is dropped without effect, as are those below it.
    historique.undo();
    while (historique.index() > 0 && historique.command(historique.index() - 1)->isObsolete())
        historique.undo();
}

void GLWidget::retablir()
{
    if (historiqueDisponible())
        historique.redo();
}
