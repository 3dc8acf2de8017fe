// The chunky effect without chunks and without names by index (see chunky.cpp).
#define CHUNKY_PARAMETERS_ONLY
#include "chunky.cpp"
