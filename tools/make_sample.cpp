// Writes the bundled sample cloud: points spread evenly over a closed pebble
// shape (a flattened ellipsoid with a lobe, a dent and three low ridges round
// its waist), with a little measurement noise. Deterministic for a given seed.
//
//   make_sample OUT.pts [COUNT [SEED]]     (defaults: 30000 points, seed 20261206)

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <string>

namespace {

const double Pi = 3.14159265358979323846;

// Uniform in [0, 1) from the raw 64-bit generator (the same on every platform,
// unlike the standard distributions).
double uniforme(std::mt19937_64 &g)
{
    return static_cast<double>(g() >> 11) * 0x1.0p-53;
}

double gauss(std::mt19937_64 &g)
{
    double u1 = std::max(uniforme(g), 1e-300), u2 = uniforme(g);
    return std::sqrt(-2 * std::log(u1)) * std::cos(2 * Pi * u2);
}

struct P
{
    double x, y, z;
};

P moins(P a, P b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
double norme(P a)
{
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}
P vect(P u, P v)
{
    return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

P direction(double u, double phi)
{
    double s = std::sqrt(std::max(0.0, 1 - u * u));
    return {s * std::cos(phi), s * std::sin(phi), u};
}

double bosse(P w, P centre, double largeur)
{
    P d = moins(w, centre);
    return std::exp(-(d.x * d.x + d.y * d.y + d.z * d.z) / largeur);
}

// The surface point in the direction w (a unit vector), in millimetres.
P surface(P w)
{
    const P lobe{0.80, 0.35, 0.49}, creux{-0.55, -0.60, 0.58};
    double r = 1 + 0.22 * bosse(w, lobe, 0.30) - 0.20 * bosse(w, creux, 0.25) +
               0.08 * std::sin(3 * std::atan2(w.y, w.x)) * (1 - w.z * w.z);
    return {50 * r * w.x, 36 * r * w.y, 28 * r * w.z};
}

// Area element of the surface per unit of (u, phi), where u = cos(theta).
double densite(double u, double phi)
{
    const double h = 1e-5;
    u = std::clamp(u, -1 + 2 * h, 1 - 2 * h);
    P su = moins(surface(direction(u + h, phi)), surface(direction(u - h, phi)));
    P sp = moins(surface(direction(u, phi + h)), surface(direction(u, phi - h)));
    return norme(vect(su, sp)) / (4 * h * h);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 4) {
        std::cerr << "usage : make_sample SORTIE.pts [NOMBRE [GRAINE]]" << std::endl;
        return 2;
    }
    const long nombre = argc > 2 ? std::atol(argv[2]) : 30000;
    const unsigned long long graine = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20261206ULL;
    if (nombre < 1) {
        std::cerr << "make_sample : nombre de points incorrect" << std::endl;
        return 2;
    }

    // Largest area element, for the rejection test, with some room to spare.
    double maximum = 0;
    for (int i = 0; i <= 400; ++i)
        for (int j = 0; j < 800; ++j)
            maximum = std::max(maximum, densite(-1 + 2.0 * i / 400, 2 * Pi * j / 800));
    maximum *= 1.25;

    std::ofstream f(argv[1], std::ios::trunc);
    if (!f) {
        std::cerr << "make_sample : impossible de créer " << argv[1] << std::endl;
        return 1;
    }
    f << "PTS\n" << nombre << "\n";
    std::mt19937_64 g(graine);
    long ecrits = 0;
    while (ecrits < nombre) {
        double u = -1 + 2 * uniforme(g), phi = 2 * Pi * uniforme(g);
        if (uniforme(g) * maximum > densite(u, phi))
            continue;
        P p = surface(direction(u, phi));
        // Noise of 0.05 mm standard deviation on each coordinate.
        p.x += 0.05 * gauss(g);
        p.y += 0.05 * gauss(g);
        p.z += 0.05 * gauss(g);
        f << p.x << " " << p.y << " " << p.z << "\n";
        ++ecrits;
    }
    f.close();
    if (!f) {
        std::cerr << "make_sample : écriture incomplète de " << argv[1] << std::endl;
        return 1;
    }
    return 0;
}
