#include "backends/cairo/CairoGraphicsContext.h"
