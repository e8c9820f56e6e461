#pragma once

#include <string>

// The scripts the capture runs in the page. Each gives an array of numbers, or null.
namespace pagrovix {

// Scripts run in a world of their own, so a page that replaces scrollTo or Math cannot fool them.
inline constexpr const char* kScriptWorld = "pagrovix-capture";

// The larger of the body's and the root element's scroll sizes: with a doctype the body's alone
// misses its own margins and whatever lies outside it.
inline constexpr const char* kMeasureScript = R"js((() => {
  const root = document.documentElement;
  if (!root) return null;
  const body = document.body;
  return [Math.max(root.scrollWidth, body ? body.scrollWidth : 0),
          Math.max(root.scrollHeight, body ? body.scrollHeight : 0)];
})())js";

// The view's size and the document area within it (less the scroll bars).
inline constexpr const char* kViewSizeScript = R"js((() => {
  const area = document.scrollingElement || document.documentElement;
  return [innerWidth, innerHeight,
          area ? area.clientWidth : innerWidth, area ? area.clientHeight : innerHeight];
})())js";

// Whether the images in view have loaded. A view off the screen never sees its lazy images come
// into view, so those in view are asked to load now, as scrolling to them would.
inline constexpr const char* kContentScript = R"js((() => {
  const w = innerWidth, h = innerHeight;
  let loaded = 1;
  for (const image of document.images) {
    if (image.complete) continue;
    const r = image.getBoundingClientRect();
    if (r.bottom > 0 && r.top < h && r.right > 0 && r.left < w) {
      if (image.loading === 'lazy') image.loading = 'eager';
      loaded = 0;
    }
  }
  return [loaded];
})())js";

// Scrolls to row y and gives the position reached, [scrollX, scrollY].
std::string ScrollScript(int y);

}  // namespace pagrovix
