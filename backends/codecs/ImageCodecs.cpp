#include "backends/codecs/ImageCodecs.h"
