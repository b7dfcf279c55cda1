// Must not compile as a source of a layer: a header of a layer above it (ENTETE_AU_DESSUS).
#include ENTETE_AU_DESSUS
