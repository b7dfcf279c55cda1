#ifndef RESSOURCES_H
#define RESSOURCES_H

/// Registers the application's compiled-in pictures (icons, splash). The
/// resources live in the static shell library, so they are registered
/// explicitly; calling this more than once is harmless.
void initialiserRessources();

#endif
