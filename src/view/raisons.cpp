#include "raisons.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

// The engine's reasons as it writes them, %N standing for what it puts in: a name, a number, or a
// shorter reason translated in turn. A long reason is several of these: "x.smm, ligne 3 : point 2 :
// indice de voisin 9 hors de 0..3" is "%1, ligne %2 : %3", then "point %1 : %2", then "indice de
// voisin %1 hors de 0..%2". A text the engine gains and this table lacks is shown in French.
const char *const motifs[] = {
    // Files (src/maillage, src/moteur/Ouverture.cpp)
    QT_TRANSLATE_NOOP("Moteur", "« %1 » ne peut pas être ouvert (%2)"),
    QT_TRANSLATE_NOOP("Moteur", "fichier absent"),
    QT_TRANSLATE_NOOP("Moteur", "accès refusé"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » ne peut pas être ouvert"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » est un dossier, pas un fichier"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » est un tube, pas un fichier ordinaire"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » est un périphérique, pas un fichier ordinaire"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » n'est pas un fichier ordinaire"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » ne peut pas être créé"),
    QT_TRANSLATE_NOOP("Moteur", "l'écriture de « %1 » a échoué"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » : %2"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » incomplet : %2"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » n'est pas un nuage de points reconnu (.pts, .hdr, .img)"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » n'est pas un maillage reconnu (.smm, .off, .obj)"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » ne contient aucune face"),
    QT_TRANSLATE_NOOP("Moteur", "mémoire insuffisante pour l'index du nuage « %1 »"),
    QT_TRANSLATE_NOOP("Moteur", "mémoire insuffisante pour l'arbre des points"),
    // Clouds (PTS)
    QT_TRANSLATE_NOOP("Moteur", "« %1 » n'est pas un fichier PTS : la ligne 1 ne commence pas par « PTS »"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 », ligne %2 : nombre de points illisible (%3)"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 », ligne %2 : nombre de points négatif (%3)"),
    QT_TRANSLATE_NOOP("Moteur", "%1 points annoncés, %2 lus ; la lecture s'est arrêtée ligne %3 (point %4) : %5"),
    QT_TRANSLATE_NOOP("Moteur", "le fichier s'arrête là"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » n'est pas un nombre"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » n'est pas un nombre entier"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » sort des limites des entiers"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » sort des limites de la simple précision"),
    // Triangle meshes (OFF, OBJ)
    QT_TRANSLATE_NOOP("Moteur", "« %1 » n'est pas un fichier OFF : la ligne 1 ne commence pas par « OFF »"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » : %2 faces refusées (indice de sommet hors de la liste des sommets)"),
    QT_TRANSLATE_NOOP("Moteur", "face de %1 sommets (trois au moins) ligne %2"),
    QT_TRANSLATE_NOOP("Moteur", "nombres de sommets, de faces et d'arêtes absents ; la lecture s'est arrêtée ligne %1"),
    QT_TRANSLATE_NOOP("Moteur", "%1 sommets annoncés, %2 lus ; la lecture s'est arrêtée ligne %3"),
    QT_TRANSLATE_NOOP("Moteur", "%1 faces annoncées, %2 lues ; la lecture s'est arrêtée ligne %3"),
    QT_TRANSLATE_NOOP("Moteur", "sommet illisible ligne %1"),
    QT_TRANSLATE_NOOP("Moteur", "sommet de face illisible ligne %1"),
    QT_TRANSLATE_NOOP("Moteur", "face de moins de trois sommets ligne %1"),
    // Analyze volumes
    QT_TRANSLATE_NOOP("Moteur", "volume « %1 » (.hdr, .img) : %2"),
    QT_TRANSLATE_NOOP("Moteur", "en-tête : %1"),
    QT_TRANSLATE_NOOP("Moteur", "image : %1"),
    QT_TRANSLATE_NOOP("Moteur", "« %1 » n'est pas un volume Analyze (.hdr, .img)"),
    QT_TRANSLATE_NOOP("Moteur", "Dimensions de volume invalides : %1 x %2 x %3"),
    QT_TRANSLATE_NOOP("Moteur", "Volume trop grand : %1 x %2 x %3"),
    QT_TRANSLATE_NOOP("Moteur", "Mémoire insuffisante pour le volume %1 x %2 x %3"),
    QT_TRANSLATE_NOOP("Moteur", "En-tête Analyze vide : <%1>"),
    QT_TRANSLATE_NOOP("Moteur", "En-tête Analyze incomplet (%1 octets sur 348) : <%2>"),
    QT_TRANSLATE_NOOP("Moteur", "Type de voxel Analyze non pris en charge (%1) : %2"),
    QT_TRANSLATE_NOOP("Moteur", "Fichier image Analyze trop court : %1.img (%2 octets attendus, %3 présents)"),
    QT_TRANSLATE_NOOP("Moteur", "Erreur de lecture du fichier Analyze : %1.img"),
    QT_TRANSLATE_NOOP("Moteur", "le volume « %1 » ne donne aucun point avec les seuils %2 à %3 et la fenêtre %4 à %5 : "
                                "ses valeurs vont de %6 à %7 ; réglez la fenêtre (nombres minimum et maximum de "
                                "points) dans les préférences, fichiers HDR / IMG, ou prenez-la du volume avec "
                                "« Fenêtre du volume »"),
    // Simplex meshes (SMM, SM)
    QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : %3"),
    QT_TRANSLATE_NOOP("Moteur", "%1 : %2"),
    QT_TRANSLATE_NOOP("Moteur", "fichier absent, illisible ou vide"),
    QT_TRANSLATE_NOOP("Moteur", "fichier vide ou première ligne vide"),
    QT_TRANSLATE_NOOP("Moteur", "format incorrect (la première ligne doit commencer par OFF, SM ou SMM)"),
    QT_TRANSLATE_NOOP("Moteur", "un fichier SM ne se relit pas (il ne contient pas les mailles)"),
    QT_TRANSLATE_NOOP("Moteur", "nombres de points et de mailles illisibles"),
    QT_TRANSLATE_NOOP("Moteur", "nombre de points ou de mailles négatif ou trop grand"),
    QT_TRANSLATE_NOOP("Moteur", "point %1 incomplet ou illisible"),
    QT_TRANSLATE_NOOP("Moteur", "point %1 : %2"),
    QT_TRANSLATE_NOOP("Moteur", "indice de voisin %1 hors de 0..%2"),
    QT_TRANSLATE_NOOP("Moteur", "maille %1 : %2"),
    QT_TRANSLATE_NOOP("Moteur", "maille %1 incomplète ou illisible"),
    QT_TRANSLATE_NOOP("Moteur", "taille illisible ou négative"),
    QT_TRANSLATE_NOOP("Moteur", "indice de point %1 hors de 0..%2"),
    QT_TRANSLATE_NOOP("Moteur", "%1 points pour %2 triplets de voisins"),
    QT_TRANSLATE_NOOP("Moteur", "%1 : création impossible"),
    QT_TRANSLATE_NOOP("Moteur", "%1 : format %2 inconnu (1 SM, 2 SMM)"),
    QT_TRANSLATE_NOOP("Moteur", "%1 : écriture impossible"),
    // Refinements, conversion, triangulation, deformation
    QT_TRANSLATE_NOOP("Moteur", "indice de maille %1 hors de 0..%2"),
    QT_TRANSLATE_NOOP("Moteur", "%1 points, trop peu pour la couper"),
    QT_TRANSLATE_NOOP("Moteur", "sa maille suivante a %1 points pour %2"),
    QT_TRANSLATE_NOOP("Moteur", "un de ses points n'est pas dans la liste des points"),
    QT_TRANSLATE_NOOP("Moteur", "les mailles voisines n'ont pas été trouvées"),
    QT_TRANSLATE_NOOP("Moteur", "la première maille voisine n'a pas été trouvée"),
    QT_TRANSLATE_NOOP("Moteur", "la seconde maille voisine n'a pas été trouvée"),
    QT_TRANSLATE_NOOP("Moteur", "%1 (maillage suivant)"),
    QT_TRANSLATE_NOOP("Moteur", "ordre des points incohérent"),
    QT_TRANSLATE_NOOP("Moteur", "RaffinageT26, point %1, %2"),
    QT_TRANSLATE_NOOP("Moteur", "RaffinageT26Global, point %1, %2"),
    QT_TRANSLATE_NOOP("Moteur", "Erreur dans la modification d'une maille (%1): le point simplex courant et son voisin "
                                "présent dans la maille ne sont pas consécutifs dans la liste des points simplex "
                                "constituant la maille"),
    QT_TRANSLATE_NOOP("Moteur", "Erreur dans la modification d'une maille (%1): le point simplex courant n'a qu'un seul "
                                "voisin présent dans la maille courante"),
    QT_TRANSLATE_NOOP("Moteur", "Erreur dans la modification de la maille (%1): aucun des voisin du point simplex "
                                "courant n'est présent dans la maille courante"),
    QT_TRANSLATE_NOOP("Moteur", "Erreur dans la modification d'une maille (%1): les voisins du points simplex courant ne "
                                "sont pas dans un ordre cohérent dans la maille courante"),
    QT_TRANSLATE_NOOP("Moteur", "le point %1 n'a pas ses trois voisins"),
    QT_TRANSLATE_NOOP("Moteur", "les listes suivantes (%1 points, %2 mailles) ne couvrent pas le maillage (%3 points, "
                                "%4 mailles)"),
    QT_TRANSLATE_NOOP("Moteur", "le maillage triangulaire n'a aucune face"),
    QT_TRANSLATE_NOOP("Moteur", "la face %1 désigne le sommet %2 qui n'existe pas"),
    QT_TRANSLATE_NOOP("Moteur", "la face %1 a deux sommets confondus"),
    QT_TRANSLATE_NOOP("Moteur", "le maillage est ouvert : l'arête %1-%2 n'appartient qu'à une face"),
    QT_TRANSLATE_NOOP("Moteur", "l'arête %1-%2 est partagée par %3 faces"),
    QT_TRANSLATE_NOOP("Moteur", "les deux faces de l'arête %1-%2 ne sont pas orientées de façon cohérente"),
    QT_TRANSLATE_NOOP("Moteur", "le sommet %1 n'appartient à aucune face"),
    QT_TRANSLATE_NOOP("Moteur", "les faces autour du sommet %1 ne forment pas un cycle"),
    QT_TRANSLATE_NOOP("Moteur", "le point %1 de la maille %2 n'est pas dans la liste des points"),
    QT_TRANSLATE_NOOP("Moteur", "nombre de pas de déformation négatif : %1"),
    QT_TRANSLATE_NOOP("Moteur", "déformation divergente : au pas %1, le point %2 n'a plus de position finie"),
    // Fit and placement (src/ajustement)
    QT_TRANSLATE_NOOP("Moteur", "impossible de placer le maillage de référence sur le nuage : %1"),
    QT_TRANSLATE_NOOP("Moteur", "le centre de sa boîte englobante est sur sa surface"),
    QT_TRANSLATE_NOOP("Moteur", "le maillage n'est pas un maillage simplexe fermé : %1"),
    QT_TRANSLATE_NOOP("Moteur", "il a %1 point(s) simplexe(s)"),
    QT_TRANSLATE_NOOP("Moteur", "ses listes compagnes sont trop courtes"),
    QT_TRANSLATE_NOOP("Moteur", "un point y figure deux fois"),
    QT_TRANSLATE_NOOP("Moteur", "le point %1 n'a pas trois voisins dans le maillage"),
    QT_TRANSLATE_NOOP("Moteur", "le point %1 est son propre voisin"),
    QT_TRANSLATE_NOOP("Moteur", "le voisinage du point %1 n'est pas symétrique"),
    QT_TRANSLATE_NOOP("Moteur", "le point %1 a deux fois le même voisin"),
    QT_TRANSLATE_NOOP("Moteur", "le point %1 a une position non finie"),
    QT_TRANSLATE_NOOP("Moteur", "il n'a aucune maille"),
    QT_TRANSLATE_NOOP("Moteur", "le nuage ne contient aucun point"),
    QT_TRANSLATE_NOOP("Moteur", "le nuage contient une coordonnée non finie"),
    QT_TRANSLATE_NOOP("Moteur", "le nuage est réduit à un point"),
    QT_TRANSLATE_NOOP("Moteur", "le maillage diverge (au pas %1, un point s'éloigne à plus de dix diagonales du "
                                "nuage) : diminuer les forces"),
    QT_TRANSLATE_NOOP("Moteur", "erreur interne : %1"),
    QT_TRANSLATE_NOOP("Moteur", "erreur interne inconnue"),
    // Operations and phases, named in front of a reason or of a stop
    QT_TRANSLATE_NOOP("Moteur", "%1 : interrompu à la demande"),
    QT_TRANSLATE_NOOP("Moteur", "Lecture de « %1 »"),
    QT_TRANSLATE_NOOP("Moteur", "Lecture de %1"),
    QT_TRANSLATE_NOOP("Moteur", "Le mode automatique"),
    QT_TRANSLATE_NOOP("Moteur", "Deformation du maillage (x%1)"),
    QT_TRANSLATE_NOOP("Moteur", "Deformation finale"),
    QT_TRANSLATE_NOOP("Moteur", "Déformation"),
    QT_TRANSLATE_NOOP("Moteur", "Raffinage T26 Global"),
    QT_TRANSLATE_NOOP("Moteur", "Raffinage T26 global"),
    QT_TRANSLATE_NOOP("Moteur", "Raffinage T26 par angles"),
    QT_TRANSLATE_NOOP("Moteur", "Raffinage T22 par surfaces"),
    QT_TRANSLATE_NOOP("Moteur", "Raffinage T22 Point par maille"),
    QT_TRANSLATE_NOOP("Moteur", "Raffinage T22 par points par maille"),
    QT_TRANSLATE_NOOP("Moteur", "Conversion en maillage simplexe"),
    QT_TRANSLATE_NOOP("Moteur", "Triangularisation"),
    QT_TRANSLATE_NOOP("Moteur", "Ajustement"),
    QT_TRANSLATE_NOOP("Moteur", "Ajustement : niveau %1"),
};

const QRegularExpression &marque()
{
    static const QRegularExpression m(QStringLiteral("%(\\d+)"));
    return m;
}

struct Motif
{
    const char *source;
    QRegularExpression forme; ///< the whole reason, each %N a capture
    std::vector<int> numeros; ///< the N of each capture
    qsizetype litteral;       ///< characters outside the %N: of two patterns that fit, the longer says more
};

/// The patterns as expressions, the most literal first.
const std::vector<Motif> &formes()
{
    static const std::vector<Motif> liste = [] {
        std::vector<Motif> v;
        for (const char *s : motifs) {
            const QString source = QString::fromUtf8(s);
            Motif m{s, {}, {}, source.size()};
            QString forme;
            qsizetype debut = 0;
            for (const QRegularExpressionMatch &p : marque().globalMatch(source)) {
                forme += QRegularExpression::escape(source.mid(debut, p.capturedStart() - debut)) + "(.*?)";
                m.numeros.push_back(p.captured(1).toInt());
                m.litteral -= p.capturedLength();
                debut = p.capturedEnd();
            }
            forme += QRegularExpression::escape(source.mid(debut));
            m.forme = QRegularExpression(QRegularExpression::anchoredPattern(forme),
                                         QRegularExpression::DotMatchesEverythingOption);
            v.push_back(std::move(m));
        }
        std::stable_sort(v.begin(), v.end(), [](const Motif &a, const Motif &b) { return a.litteral > b.litteral; });
        return v;
    }();
    return liste;
}

/// modele with each %N replaced by valeurs[N - 1] in one pass, so that a name holding "%2" stays
/// as it is.
QString remplir(const QString &modele, const QStringList &valeurs)
{
    QString texte;
    qsizetype debut = 0;
    for (const QRegularExpressionMatch &p : marque().globalMatch(modele)) {
        const int n = p.captured(1).toInt();
        texte += modele.mid(debut, p.capturedStart() - debut);
        texte += n >= 1 && n <= valeurs.size() ? valeurs[n - 1] : p.captured();
        debut = p.capturedEnd();
    }
    return texte + modele.mid(debut);
}

QString traduire(const QString &raison)
{
    for (const Motif &m : formes()) {
        const QRegularExpressionMatch trouve = m.forme.match(raison);
        if (!trouve.hasMatch())
            continue;
        // Every pattern has literal text, so each capture is shorter than the reason.
        QStringList valeurs;
        for (std::size_t i = 0; i < m.numeros.size(); ++i) {
            while (valeurs.size() < m.numeros[i])
                valeurs.append(QString());
            valeurs[m.numeros[i] - 1] = traduire(trouve.captured(static_cast<int>(i) + 1));
        }
        return remplir(QCoreApplication::translate("Moteur", m.source), valeurs);
    }
    return raison;
}

} // namespace

QString traduireRaison(const std::string &raison)
{
    return traduire(QString::fromStdString(raison));
}

QStringList motifsDesRaisons()
{
    QStringList liste;
    for (const char *s : motifs)
        liste.append(QString::fromUtf8(s));
    return liste;
}
