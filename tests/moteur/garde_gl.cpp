// Must not compile under the engine's rules: OpenGL itself.
#include <GL/gl.h>
