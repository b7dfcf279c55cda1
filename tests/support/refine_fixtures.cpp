#include "refine_fixtures.h"

#include <cstdio>
#include <unordered_map>

#include "support.h"

namespace tarnis_test {

namespace {

std::string hex(double v)
{
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%a", v);
    return tampon;
}

std::string hex(const point3 &p)
{
    return hex(p.x) + " " + hex(p.y) + " " + hex(p.z);
}

void ecrirePoints(std::string &t, const std::vector<PointSimplex *> &points, const std::vector<Maille *> &mailles)
{
    std::unordered_map<const PointSimplex *, long> indice;
    for (std::size_t i = 0; i < points.size(); ++i)
        indice.emplace(points[i], static_cast<long>(i));
    auto ref = [&indice](const PointSimplex *p) {
        if (!p)
            return std::string("null");
        auto it = indice.find(p);
        return it == indice.end() ? std::string("ailleurs") : std::to_string(it->second);
    };
    for (const PointSimplex *p : points)
        t += hex(p->Position) + " " + ref(p->Voisin1) + " " + ref(p->Voisin2) + " " + ref(p->Voisin3) + "\n";
    for (const Maille *m : mailles) {
        t += std::to_string(m->size()) + ":";
        for (const PointSimplex *p : *m)
            t += " " + ref(p);
        t += "\n";
    }
}

} // namespace

std::string empreinte(const Simplex &s)
{
    std::string t = "maillage\n";
    ecrirePoints(t, s.ListePointsSimplex, s.ListeMailles);
    t += "compagnon\n";
    ecrirePoints(t, s.ListePointsSuivants, s.ListeMaillesSuivantes);
    t += "precedents\n";
    for (const PointSimplex *p : s.ListePointsPrecedents)
        t += hex(p->Position) + "\n";
    return t;
}

std::string empreinte(const Maillage &m)
{
    std::string t;
    for (const point3 &p : m.listeSommets)
        t += hex(p) + "\n";
    for (const Face &f : m.listeFaces)
        t += std::to_string(f.s1) + " " + std::to_string(f.s2) + " " + std::to_string(f.s3) + "\n";
    t += "aretes " + std::to_string(m.nbAretes) + "\n";
    for (const Arete &a : m.listeAretes)
        t += std::to_string(a.a1) + " " + std::to_string(a.a2) + " " + std::to_string(a.face1) + " " +
             std::to_string(a.face2) + "\n";
    return t;
}

bool convertir(Simplex &s, const std::vector<point3> &sommets, const std::vector<Face> &faces)
{
    bool fait = false;
    captureStdout([&] {
        s.maillageOrigine = Maillage(sommets, faces);
        captureStderr([&] { fait = s.triangleToSimplex(); });
    });
    return fait;
}

bool chargerGabarit(Simplex &s)
{
    int lu = 0;
    captureStdout([&] { lu = s.charger(std::string(TARNIS_SOURCE_DIR) + "/SMM_/icosa.smm"); });
    return lu == 1;
}

} // namespace tarnis_test
