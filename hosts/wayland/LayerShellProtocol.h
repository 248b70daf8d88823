#pragma once

// The generated layer-shell header names a parameter `namespace`, a C++ keyword, so it is
// included under another name for it.
#include <wayland-client.h>

#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client.h"
#undef namespace
