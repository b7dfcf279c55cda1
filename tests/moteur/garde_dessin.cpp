// Must not compile under the engine's rules: a drawing header reached by a relative path.
#include "../../src/gl/MaillageGL.h"
