// Colour values are 0x00BBGGRR; a top byte of 0xFF names a system colour.
#include "toolkit/pure/colors.h"
