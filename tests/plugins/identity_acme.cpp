// A vendor's plug-in with a plain name.
#define ORVANE_NAME "Plate Reverb"
#define ORVANE_VENDOR "Acme Audio"
#include "identity.inc"
