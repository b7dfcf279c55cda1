#ifndef TARNIS_PILOTE_GL_H
#define TARNIS_PILOTE_GL_H

namespace tarnis_test {

/// Loads the OpenGL driver (through a throwaway context) and keeps it mapped until the process
/// ends, so that the leak check at exit can name the driver's own blocks (and its suppression
/// file can leave them out). Needs the application object; does nothing without a display.
void garderPiloteOpenGL();

} // namespace tarnis_test

#endif
