// Must not compile under the engine's rules: the interface toolkit.
#include <QString>
