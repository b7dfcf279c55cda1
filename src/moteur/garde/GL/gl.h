// Seen first on the engine's include path: the engine does not draw.
#error "le moteur ne dessine pas : OpenGL est réservé à tarnis_gl"
