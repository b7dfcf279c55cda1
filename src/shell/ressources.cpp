#include "ressources.h"

#include <QtCore/qglobal.h>

void initialiserRessources()
{
    static bool fait = false;
    if (!fait) {
        Q_INIT_RESOURCE(tarnis);
        fait = true;
    }
}
