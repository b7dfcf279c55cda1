#include "pilote_gl.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <cstring>
#include <dlfcn.h>
#include <link.h>

namespace tarnis_test {

namespace {

int garder(struct dl_phdr_info *info, size_t, void *)
{
    const char *nom = info->dlpi_name;
    if (nom && (std::strstr(nom, "_dri.so") || std::strstr(nom, "libGLX_mesa")))
        dlopen(nom, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

} // namespace

void garderPiloteOpenGL()
{
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext contexte;
    if (!surface.isValid() || !contexte.create() || !contexte.makeCurrent(&surface))
        return;
    dl_iterate_phdr(garder, nullptr);
    contexte.doneCurrent();
}

} // namespace tarnis_test
