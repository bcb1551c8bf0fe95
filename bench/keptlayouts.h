// The peers' repeated labels: "0" .. "count - 1", each laid out once on a
// copy of a model layout (its font, attributes and context) and kept, as the
// library keeps the layouts of texts it has seen before.
#pragma once

#include <pango/pangocairo.h>

#include <string>
#include <vector>

struct SKeptLayouts {
  std::vector<PangoLayout*> layouts;
  SKeptLayouts(PangoLayout* model, int count) {
    for (int i = 0; i < count; ++i) {
      layouts.push_back(pango_layout_copy(model));
      const std::string text = std::to_string(i);
      pango_layout_set_text(layouts.back(), text.c_str(), int(text.size()));
    }
  }
  ~SKeptLayouts() {
    for (PangoLayout* l : layouts) g_object_unref(l);
  }
  // A new label: `layout` given the text of `label`, laid out again.
  static PangoLayout* Fresh(PangoLayout* layout, long label) {
    const std::string text = std::to_string(label);
    pango_layout_set_text(layout, text.c_str(), int(text.size()));
    return layout;
  }
  SKeptLayouts(const SKeptLayouts&) = delete;
  SKeptLayouts& operator=(const SKeptLayouts&) = delete;
};
