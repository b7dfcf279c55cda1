// Each header of the layer, compiled with only the layers below on the include path.
#include "Defauts.h"
#include "Divergence.h"
#include "Memoire.h"
#include "Parallele.h"
#include "Progression.h"
#include "Raison.h"
#include "Remplacement.h"
#include "Resultat.h"
