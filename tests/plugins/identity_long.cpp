// A 60-byte UTF-8 name (two-byte characters at both ends) from a vendor named in UTF-8.
#define ORVANE_NAME                                            \
    "\xC4\xBF"                                                 \
    "ong multiband compressor with a name of sixty bytes long" \
    "\xC5\x99"
#define ORVANE_VENDOR \
    "\xC3\x96"        \
    "sterreich Klang"
#include "identity.inc"
