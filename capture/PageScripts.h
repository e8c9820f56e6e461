#pragma once

#include <string>

// The scripts the capture runs in the page. Each gives an array of numbers, or null.
namespace pagrovix {

// Scripts run in a world of their own, so a page that replaces scrollTo or Math cannot fool them,
// and what they keep between calls is out of the page's reach.
inline constexpr const char* kScriptWorld = "pagrovix-capture";

// The document's scroll size, the larger of the body's and the root element's (with a doctype the
// body's alone misses its own margins and whatever lies outside it), then the view's document
// area (less its scroll bars).
inline constexpr const char* kMeasureScript = R"js((() => {
  const root = document.documentElement;
  if (!root) return null;
  const body = document.body;
  const area = document.scrollingElement || root;
  return [Math.max(root.scrollWidth, body ? body.scrollWidth : 0),
          Math.max(root.scrollHeight, body ? body.scrollHeight : 0),
          area.clientWidth, area.clientHeight];
})())js";

// The body of an async function of budget (milliseconds): the page is made ready for its picture
// within that time, and whatever has not arrived by then is left out. Content that loads as it
// comes into view is asked for now, since a view painted off the screen never scrolls to it;
// then fonts, images and their decoding, and two animation frames, so that what the page draws
// after load has been painted. Gives [1] when everything was ready, [0] when the time ran out.
inline constexpr const char* kReadyScript = R"js(
const end = performance.now() + budget;
let late = false;
const within = (promise) => new Promise((done) => {
  const left = end - performance.now();
  if (left <= 0) { late = true; done(); return; }
  const timer = setTimeout(() => { late = true; done(); }, left);
  Promise.resolve(promise).catch(() => {}).then(() => { clearTimeout(timer); done(); });
});
const loaded = (element) => new Promise((done) => {
  element.addEventListener('load', done, {once: true});
  element.addEventListener('error', done, {once: true});
});
const waits = [];
// A frame whose page has arrived gives no second load event: only one still showing its first
// empty document is waited for (a frame from another site has arrived once it is out of reach).
const arrived = (frame) => {
  const inside = frame.contentDocument;
  return !inside || (inside.readyState === 'complete' &&
                     (inside.URL !== 'about:blank' || !frame.getAttribute('src')));
};
for (const frame of document.querySelectorAll('iframe[loading="lazy" i]')) {
  if (!arrived(frame)) waits.push(loaded(frame));
  frame.loading = 'eager';
}
for (const image of document.images) {
  if (image.loading === 'lazy') image.loading = 'eager';
  if (!image.complete) waits.push(loaded(image));
}
if (document.fonts) waits.push(document.fonts.ready);
await within(Promise.all(waits));
await within(Promise.all(Array.from(document.images, (image) =>
    image.complete && image.naturalWidth ? image.decode().catch(() => {}) : null)));
await within(new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
return [late ? 0 : 1];
)js";

// Sticky elements go where they are at the top of the page (in the flow: the place is kept for
// them, so nothing else moves); the page's own value is kept for kRestoreStylesScript.
inline constexpr const char* kPinStickyScript = R"js((() => {
  const saved = globalThis.pagrovixSaved || (globalThis.pagrovixSaved = []);
  let count = 0;
  for (const element of document.querySelectorAll('*')) {
    const position = getComputedStyle(element).position;
    if (position !== 'sticky' && position !== '-webkit-sticky') continue;
    saved.push([element, 'position', element.style.getPropertyValue('position'),
                element.style.getPropertyPriority('position')]);
    element.style.setProperty('position', 'static', 'important');
    ++count;
  }
  return [count];
})())js";

// Fixed elements out of sight without moving anything; with no transition, so it holds at once.
inline constexpr const char* kHideFixedScript = R"js((() => {
  const saved = globalThis.pagrovixSaved || (globalThis.pagrovixSaved = []);
  let count = 0;
  for (const element of document.querySelectorAll('*')) {
    if (getComputedStyle(element).position !== 'fixed') continue;
    for (const name of ['visibility', 'transition']) {
      saved.push([element, name, element.style.getPropertyValue(name),
                  element.style.getPropertyPriority(name)]);
    }
    element.style.setProperty('transition', 'none', 'important');
    element.style.setProperty('visibility', 'hidden', 'important');
    ++count;
  }
  return [count];
})())js";

// Gives the page back every style the capture changed, newest first, and scrolls to the top.
inline constexpr const char* kRestoreStylesScript = R"js((() => {
  const saved = globalThis.pagrovixSaved || [];
  while (saved.length) {
    const [element, name, value, priority] = saved.pop();
    if (value) element.style.setProperty(name, value, priority);
    else element.style.removeProperty(name);
  }
  window.scrollTo({left: 0, top: 0, behavior: 'instant'});
  return [scrollX, scrollY];
})())js";

// Scrolls to (x, y) and gives the position reached, [scrollX, scrollY].
std::string ScrollScript(int x, int y);

}  // namespace pagrovix
