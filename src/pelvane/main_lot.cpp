// PelvaneLot.exe: the data side of the batch command tarnis-lot (the clouds of a batch, their
// results folders, the summary). See commandelot.h.

#include "commandelot.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    return pelvane::commandeLot(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
