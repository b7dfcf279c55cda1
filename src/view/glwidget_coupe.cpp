// Slices of the cloud: three slabs, one across each axis.
#include "glwidget.h"

#include "MaillageGL.h"

void GLWidget::setCoupe(unsigned short axe)
{
    if (axe >= 4)
        return;
    coupe = axe;
    // The slab shown must be the one of the current cloud and settings.
    if (coupe != 0)
        calculCoupes();
}

void GLWidget::setTailleTrancheCoupe(int taille)
{
    tailleTrancheCoupe = taille;
    if (coupe != 0)
        calculCoupes();
}

void GLWidget::setCoordCoupe(int coord)
{
    coordCoupe = coord;
    if (coupe != 0)
        calculCoupes();
}

void GLWidget::calculCoupes()
{
    const std::vector<point3> *source = nullptr;
    if (!fichierVolume.empty())
        source = &pointsVolume;
    else if (suffixePts == "pts")
        source = &instanceMaillage->ListePointsInterets;
    else
        return;

    const float lo = static_cast<float>(coordCoupe) - static_cast<float>(tailleTrancheCoupe);
    const float hi = static_cast<float>(coordCoupe) + static_cast<float>(tailleTrancheCoupe);
    std::vector<point3> tranchesX, tranchesY, tranchesZ;
    for (const point3 &p : *source) {
        if (lo < p.x && p.x < hi)
            tranchesX.push_back(p);
        if (lo < p.y && p.y < hi)
            tranchesY.push_back(p);
        if (lo < p.z && p.z < hi)
            tranchesZ.push_back(p);
    }
    coupeX->ListePointsInterets = std::move(tranchesX);
    coupeY->ListePointsInterets = std::move(tranchesY);
    coupeZ->ListePointsInterets = std::move(tranchesZ);
}
