#pragma once

#include <cairo.h>
#include <glib-object.h>
#include <pango/pango.h>

#include <memory>

namespace brivora {

// Owning handles for the Cairo, Pango and GLib objects this backend creates.
struct CairoSurfaceRelease {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoRelease {
  void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
};
struct CairoPatternRelease {
  void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};
struct CairoFontOptionsRelease {
  void operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
};
struct GObjectRelease {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct PangoFontDescriptionRelease {
  void operator()(PangoFontDescription* description) const {
    pango_font_description_free(description);
  }
};
struct PangoAttrListRelease {
  void operator()(PangoAttrList* list) const { pango_attr_list_unref(list); }
};

using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceRelease>;
using Cairo = std::unique_ptr<cairo_t, CairoRelease>;
using CairoPattern = std::unique_ptr<cairo_pattern_t, CairoPatternRelease>;
using CairoFontOptions = std::unique_ptr<cairo_font_options_t, CairoFontOptionsRelease>;
using PangoFontMapHandle = std::unique_ptr<PangoFontMap, GObjectRelease>;
using PangoContextHandle = std::unique_ptr<PangoContext, GObjectRelease>;
using PangoLayoutHandle = std::unique_ptr<PangoLayout, GObjectRelease>;
using PangoFontDescriptionHandle =
    std::unique_ptr<PangoFontDescription, PangoFontDescriptionRelease>;
using PangoAttrListHandle = std::unique_ptr<PangoAttrList, PangoAttrListRelease>;

}  // namespace brivora
