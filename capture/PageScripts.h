#pragma once

#include <string>

// The scripts the capture runs in the page. Each gives an array of numbers, or null.
namespace pagrovix {

// Scripts run in a world of their own, so a page that replaces scrollTo or Math cannot fool them,
// and what they keep between calls is out of the page's reach.
inline constexpr const char* kScriptWorld = "pagrovix-capture";

// The document's scrolling area, as the engine paints it, then the view's document area (less
// its scroll bars). The scrolling element is the root with a doctype and the body without one;
// either way its scroll size is the whole area the view scrolls over, margins and what lies
// outside the body included, and content pulled above the top left out, as the engine leaves it.
inline constexpr const char* kMeasureScript = R"js((() => {
  const root = document.documentElement;
  if (!root) return null;
  const area = document.scrollingElement || root;
  return [area.scrollWidth, area.scrollHeight, area.clientWidth, area.clientHeight];
})())js";

// How far down the page the readying brings it into view at most, in CSS pixels: a page that
// keeps growing as it is scrolled (an endless feed) is followed no further.
inline constexpr int kRevealCap = 100000;

// Gives back, newest first, what the capture changed since saved held mark entries: a function
// undoes what it stands for; [element, name, value, priority] is a property of the element's own
// style as it was.
inline constexpr const char* kRestoreToFunction = R"js(
const restoreTo = (saved, mark) => {
  while (saved.length > mark) {
    const entry = saved.pop();
    if (typeof entry === 'function') { entry(); continue; }
    const [element, name, value, priority] = entry;
    if (value) element.style.setProperty(name, value, priority);
    else element.style.removeProperty(name);
  }
};
)js";

// The body of an async function of budget and rest (milliseconds) and cap (pixels): the page is
// made ready for its picture, and whatever has not arrived in time is left out.
// - Scroll snapping is switched off for the capture, so the view stops where it is sent, and
//   sections under content-visibility: auto are drawn, whether in view or not.
// - A page that scrolls inside an element filling the view, not as a document, is laid out with
//   that element at its full height, when it loads and again if its scripts set it up later.
// - A page with something hidden that scrolling may show (sections that appear as they come into
//   view, marks of scripts that load content then) is brought into view from top to bottom, a
//   frame at each step (a little longer where something is still hidden, for pages that look on
//   a timer), down to cap, within a part of budget. Then it goes back where it was, heard, so
//   that what follows the scroll position (a header, a title, parallax) is as at the top; a page
//   that then hides again what it showed is brought into view once more and goes back unheard.
//   The page hears of no scrolling until the capture ends. A page with nothing of the kind is
//   not scrolled, so a simple page costs no time here.
// - Style sheets still loading are waited for. Content that loads as it comes into view is asked
//   for now, since a view painted off the screen never scrolls to it; then fonts, images, the
//   images the style uses where it is painted (backgrounds, border images, list images, image-set
//   choices, pseudo-elements the style sheets give images), posters and SVG images, loaded and
//   decoded: the style's images only when the page's style can give any.
// - A playing video is shown by a canvas holding its frame, standing in its place.
// - Then, within rest, the page comes to rest: finite animations and transitions are taken to
//   their end, and it waits until neither the document nor a canvas has changed for a short
//   while; infinite animations are not waited for. A page that changed on the way (content its
//   scripts showed or added once it had started) is looked at again for images to wait for, and
//   if there were any, brought to rest again within what is left of rest. What the page changes
//   after that is watched until kSettleAgainScript, when the capture begins.
// Everything changed is kept in pagrovixSaved for kRestoreStylesScript. Gives [ready, moving,
// cut, grew]: ready 1 when everything arrived within budget; moving 1 when the page still
// changed after rest; cut the row where bringing the page into view stopped short of its end,
// or -1; grew 1 when the page had grown as it was scrolled by then.
inline const std::string kReadyScript = kRestoreToFunction + std::string(R"js(
const start = performance.now();
const end = start + budget;
let late = false;
const within = (promise, until = end) => new Promise((done) => {
  const left = until - performance.now();
  if (left <= 0) { late = true; done(); return; }
  const timer = setTimeout(() => { late = true; done(); }, left);
  Promise.resolve(promise).catch(() => {}).then(() => { clearTimeout(timer); done(); });
});
const loaded = (element) => new Promise((done) => {
  element.addEventListener('load', done, {once: true});
  element.addEventListener('error', done, {once: true});
});
const nextFrame = () => new Promise((done) => requestAnimationFrame(() => done()));
// Once a frame has been drawn, and with it what the page checks of the view at each frame.
const frameDrawn = () => new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0)));
const pause = (ms) => new Promise((done) => setTimeout(done, ms));
// Finite animations and transitions taken to their end.
const finishFinite = () => {
  if (!document.getAnimations) return;
  for (const animation of document.getAnimations()) {
    const timing = animation.effect && animation.effect.getComputedTiming();
    if (timing && Number.isFinite(timing.endTime) && animation.playState === 'running') {
      try { animation.finish(); } catch (error) {}
    }
  }
};
const saved = globalThis.pagrovixSaved || (globalThis.pagrovixSaved = []);
const setStyle = (element, name, value) => {
  saved.push([element, name, element.style.getPropertyValue(name),
              element.style.getPropertyPriority(name)]);
  element.style.setProperty(name, value, 'important');
};
// What the page changes tells whether it is at rest; the capture's own changes are taken out.
let changedAt = -1;
const changes = new MutationObserver(() => { changedAt = performance.now(); });
changes.observe(document, {subtree: true, childList: true, attributes: true,
                           characterData: true});
const root = document.documentElement;
const area = document.scrollingElement || root;
for (const element of [root, document.body]) {
  if (element && getComputedStyle(element).scrollSnapType !== 'none') {
    setStyle(element, 'scroll-snap-type', 'none');
  }
}

const urls = new Set();
// The sections a scan found hidden in the flow, once one has: what bringing the page into view
// may show.
const hiddenSections = [];
const hides = (style) => style.opacity === '0' || style.visibility === 'hidden';
const isHidden = (element) => hides(getComputedStyle(element));
const urlPattern = /url\(\s*(?:"((?:[^"\\]|\\.)*)"|'((?:[^'\\]|\\.)*)'|([^)\s]*))\s*\)/g;
const imageProperties = ['background-image', 'border-image-source', 'list-style-image'];
const collect = (style) => {
  for (const name of imageProperties) {
    const value = style.getPropertyValue(name);
    if (!value || !value.includes('url(')) continue;
    for (const match of value.matchAll(urlPattern)) {
      const url = match[1] ?? match[2] ?? match[3];
      if (url) urls.add(url);
    }
  }
};
// Each displayed element's own style, read once. Nothing under an element that is not displayed is
// painted, so its subtree is passed over: working out the style of hidden menus and dialogs took
// most of the time. A pseudo-element's style is read only for the elements a rule of the page's
// style sheets gives one with an image, as reading them all would cost thrice the time.
const following = (element, root, inside) => {
  if (inside && element.firstElementChild) return element.firstElementChild;
  for (let at = element; at && at !== root; at = at.parentElement) {
    if (at.nextElementSibling) return at.nextElementSibling;
  }
  return null;
};
const pseudoRules = (rules, out) => {
  for (const rule of rules) {
    if (rule.cssRules && !rule.selectorText) pseudoRules(rule.cssRules, out);
    else if (rule.selectorText && /::?(before|after)/i.test(rule.selectorText) &&
             rule.style.cssText.includes('url(')) out.push(rule.selectorText);
  }
  return out;
};
// Which of what the scan looks for the page's style can give at all: images, hidden (opacity or
// visibility) and content-visibility. Read from the declarations of its rules, style attributes and
// presentational attributes; what it cannot read (a sheet from elsewhere, a custom element, which
// its shadow tree's sheets may style) counts as giving all. On a page of many elements that sets
// none of them, reading every element's style for them took a tenth of a second.
const styleGives = () => {
  const gives = {images: false, hidden: false, contentVisibility: false};
  const all = () => Object.assign(gives, {images: true, hidden: true, contentVisibility: true});
  const custom = document.evaluate("//*[contains(local-name(), '-')]", document, null,
                                   XPathResult.FIRST_ORDERED_NODE_TYPE, null);
  if (custom.singleNodeValue) return all();
  const declarations = (style) => {
    for (let i = 0; i < style.length; ++i) {
      const name = style[i];
      if (name === 'opacity' || name === 'visibility') {
        gives.hidden = true;
      } else if (name === 'content-visibility') {
        gives.contentVisibility = true;
      } else if (name.startsWith('--')) {
        if (/url\(|image-set\(/i.test(style.getPropertyValue(name))) gives.images = true;
      } else if (imageProperties.includes(name)) {
        // An image-set's plain strings are addresses too. A shorthand holding var() leaves its
        // longhands empty until it is used.
        const value = style.getPropertyValue(name);
        if (value === '' || /url\(|image-set\(|var\(/i.test(value)) gives.images = true;
      }
    }
  };
  const rules = (list) => {
    for (const rule of list) {
      if (rule.styleSheet) sheet(rule.styleSheet);
      if (rule.style) declarations(rule.style);
      if (rule.cssRules) rules(rule.cssRules);
    }
  };
  const sheet = (styleSheet) => {
    let list;
    try { list = styleSheet.cssRules; } catch (error) { all(); return; }
    if (list) rules(list);
  };
  for (const styleSheet of document.styleSheets) sheet(styleSheet);
  for (const styleSheet of document.adoptedStyleSheets || []) sheet(styleSheet);
  // Asked of the document as a whole, and once when no element has any of them: touching each
  // element from this script costs as much as reading its style.
  const images = '[style*="url(" i], [style*="image-set(" i], [style*="var(" i], [background]';
  const hiding = '[style*="opacity" i], [style*="visibility" i], [opacity], [visibility]';
  if (document.querySelector(images + ', ' + hiding)) {
    if (document.querySelector(images)) gives.images = true;
    if (document.querySelector(hiding)) gives.hidden = true;
    if (document.querySelector('[style*="content-visibility" i]')) gives.contentVisibility = true;
  }
  if (document.getAnimations && document.getAnimations().length > 0) gives.hidden = true;
  return gives;
};
const scan = () => {
  const gives = styleGives();
  const body = document.body;
  const looking = gives.hidden && hiddenSections.length === 0;
  const walk = gives.images || gives.contentVisibility || looking;
  for (let next = walk ? body : null; next; ) {
    const element = next;
    const style = getComputedStyle(element);
    const displayed = style.display !== 'none';
    next = following(element, body, displayed);
    if (!displayed) continue;
    if (gives.contentVisibility && style.contentVisibility === 'auto') {
      setStyle(element, 'content-visibility', 'visible');
    }
    // A section waiting to be shown in the flow, not a small mark, nor a button or a dialog
    // placed over the page until it is hovered or opened.
    if (looking && hides(style) &&
        (style.position === 'static' || style.position === 'relative')) {
      const box = element.getBoundingClientRect();
      if (box.width >= 40 && box.height >= 40) hiddenSections.push(element);
    }
    if (gives.images) collect(style);
  }
  for (const sheet of gives.images ? document.styleSheets : []) {
    let selectors = [];
    try { selectors = pseudoRules(sheet.cssRules, []); } catch (error) {}
    for (const selector of selectors) {
      for (const part of selector.split(',')) {
        const pseudo = (part.match(/::?(before|after)/i) || [])[0];
        if (!pseudo) continue;
        try {
          const owner = part.replace(/::?(before|after)/ig, '') || '*';
          for (const element of document.querySelectorAll(owner)) {
            collect(getComputedStyle(element, pseudo));
          }
        } catch (error) {}
      }
    }
  }
  for (const image of document.querySelectorAll('image')) {
    const href = image.href && image.href.baseVal;
    if (href) urls.add(new URL(href, document.baseURI).href);
  }
  for (const video of document.querySelectorAll('video[poster]')) urls.add(video.poster);
  // What the scan changed itself is not the page moving.
  changes.takeRecords();
};
// Style sheets still on their way (one a script added after load, say) come first: what they ask
// for is read from the style.
await within(Promise.all(Array.from(document.querySelectorAll('link[rel~="stylesheet" i]'),
    (link) => link.sheet || link.disabled ? null : loaded(link))));

// The element under the middle of the view (or two other points of it) that scrolls by more than
// the document's own overflow and fills most of the view, if any.
const scrollerInView = (own) => {
  const scrolls = (element) => element !== area &&
      element.scrollHeight - element.clientHeight > own &&
      element.clientWidth >= innerWidth / 2 && element.clientHeight >= innerHeight / 2 &&
      /^(auto|scroll|overlay)$/.test(getComputedStyle(element).overflowY);
  for (const [x, y] of [[0.5, 0.5], [0.5, 0.8], [0.8, 0.5]]) {
    for (let at = document.elementFromPoint(innerWidth * x, innerHeight * y); at;
         at = at.parentElement) {
      if (scrolls(at)) return at;
    }
  }
  return null;
};
// How far down an element's content reaches, from its last elements that show something: text,
// a picture, a box filled with colour (not one about as tall as the whole, as a list's stand-in for
// the rows it does not draw is).
const contentReach = (element) => {
  const box = element.getBoundingClientRect();
  const all = element.getElementsByTagName('*');
  let reach = box.top;
  for (let i = all.length - 1, found = 0; i >= 0 && found < 20; --i) {
    const r = all[i].getBoundingClientRect();
    if (r.bottom <= box.top || r.height === 0) continue;
    let shows = /^(IMG|CANVAS|SVG|VIDEO|IFRAME|INPUT|TEXTAREA|SELECT|OBJECT|EMBED)$/i.test(
                    all[i].tagName) ||
                Array.prototype.some.call(all[i].childNodes,
                                          (node) => node.nodeType === 3 && node.data.trim());
    if (!shows && r.height < box.height / 2) {
      const style = getComputedStyle(all[i]);
      shows = style.backgroundImage !== 'none' || style.backgroundColor !== 'rgba(0, 0, 0, 0)';
    }
    if (shows) {
      reach = Math.max(reach, r.bottom);
      ++found;
    }
  }
  return reach - box.top;
};
// A page whose document scrolls little or not at all, but an element filling most of the view does
// (the body under a root that hides its overflow, the main part of an application's frame): that
// element and those around it grow by what it hides, so the document holds the whole of it, and
// what is placed from their bottoms (a tab bar) comes at its end. What filled the element's height
// inside it (a full-screen section) keeps that height. A list that draws only the rows in view (a
// data grid) would come out as a tall empty area, and a page that did not grow gains nothing:
// either is given back as it was.
const unroll = () => {
  if (!root) return;
  const own = area.scrollHeight - area.clientHeight;
  if (own >= innerHeight / 4) return;
  const scroller = scrollerInView(own);
  if (!scroller) return;
  const grow = scroller.scrollHeight - scroller.clientHeight;
  // Read before anything changes: a computed style follows its element.
  const inner = getComputedStyle(scroller);
  const contentHeight = scroller.clientHeight - parseFloat(inner.paddingTop) -
                        parseFloat(inner.paddingBottom);
  const fill = Array.from(scroller.children, (child) => [child, getComputedStyle(child).height])
      .filter(([child]) => Math.abs(child.getBoundingClientRect().height - contentHeight) < 1);
  const chain = [];
  for (let element = scroller; element; element = element.parentElement) {
    const {height, position, top} = getComputedStyle(element);
    const parent = element.parentElement && getComputedStyle(element.parentElement);
    const inColumn = !!parent && parent.display.endsWith('flex') &&
                     parent.flexDirection.startsWith('column');
    chain.push({element, height: parseFloat(height), position, top, inColumn});
  }
  const mark = saved.length;
  // Given back once its styles are, where the person had scrolled it to.
  const {scrollTop, scrollLeft} = scroller;
  saved.push(() => scroller.scrollTo({left: scrollLeft, top: scrollTop, behavior: 'instant'}));
  for (const [child, height] of fill) setStyle(child, 'height', height);
  // The element no longer scrolls, but still holds its content as it did (its margins, what
  // lies beside it); it may grow further, should its content.
  setStyle(scroller, 'overflow', 'hidden');
  for (const {element, height, position, top, inColumn} of chain) {
    if (Number.isFinite(height)) {
      if (element === scroller) {
        setStyle(element, 'height', 'auto');
        setStyle(element, 'min-height', height + grow + 'px');
      } else {
        setStyle(element, 'height', height + grow + 'px');
      }
    }
    setStyle(element, 'max-height', 'none');
    // A frame placed over the view grows down from where it starts.
    if (position === 'fixed' || position === 'absolute') {
      setStyle(element, 'position', 'absolute');
      setStyle(element, 'top', top);
      setStyle(element, 'bottom', 'auto');
    }
    if (inColumn) setStyle(element, 'flex', 'none');
  }
  if (area.scrollHeight - area.clientHeight <= own ||
      contentReach(scroller) < scroller.getBoundingClientRect().height / 2) {
    restoreTo(saved, mark);
  }
};
unroll();
scan();

let cut = -1;
let grew = false;
// Marks of the scripts that load or show content as it comes into view.
const byScript = document.querySelector(
    '[data-src], [data-srcset], [data-bg], [data-lazy], [data-aos], [class*="lazy"]');
if ((hiddenSections.length > 0 || byScript) && area.scrollHeight > area.clientHeight) {
  const startX = scrollX, startY = scrollY;
  const until = start + budget * 0.6;
  const step = Math.max(1, area.clientHeight);
  const startHeight = area.scrollHeight;
  // Time for scroll handlers that the page calls only every so often.
  const everySoOften = 150;
  // Pages that look at the scroll position on a timer commonly do so every 50 ms: with hold, a
  // view with a section still hidden in it a frame after it came is held that long, once for each
  // section, as long as the rest of the page can still be brought into view by deadline.
  const glance = 60;
  const held = new Set();
  const waiting = () => hiddenSections.filter((element) => {
    const box = element.getBoundingClientRect();
    return !held.has(element) && box.bottom > 0 && box.top < innerHeight && isHidden(element);
  });
  // Down the page a view at a time, a frame at each, until deadline.
  const pass = async (hold, deadline) => {
    const begun = performance.now();
    let steps = 0;
    let holding = 0;
    for (let y = 0; ; y = Math.min(y + step, area.scrollHeight - area.clientHeight)) {
      window.scrollTo({left: startX, top: y, behavior: 'instant'});
      await frameDrawn();
      ++steps;
      if (hold) {
        // Intersection observers hear of the view in a task of their own after the frame.
        if (waiting().length > 0) await pause(0);
        finishFinite();
        const still = waiting();
        const now = performance.now();
        const rest = Math.ceil((area.scrollHeight - area.clientHeight - y) / step) *
                     (now - begun - holding) / steps;
        if (still.length > 0 && now + glance + rest < deadline) {
          still.forEach((element) => held.add(element));
          await pause(glance);
          holding += performance.now() - now;
        }
      }
      if (y >= area.scrollHeight - area.clientHeight) break;
      if (y >= cap || performance.now() >= deadline) {
        cut = y + area.clientHeight;
        grew = area.scrollHeight > startHeight;
        break;
      }
    }
    await pause(everySoOften);
    finishFinite();
  };
  await pass(true, until);
  const shown = hiddenSections.filter((element) => !isHidden(element));
  // Back where it was, heard by the page: what follows the scroll position (a header that hides
  // on the way down, a title that fades, parallax) is as it is for a person who opens the page.
  window.scrollTo({left: startX, top: startY, behavior: 'instant'});
  await frameDrawn();
  await pause(everySoOften);
  finishFinite();
  // A page that hides again what it showed is brought into view once more, and does not hear the
  // way back. From here until the capture ends the page hears of no more scrolling, so what it has
  // shown stays shown as the capture scrolls it.
  const hidesAgain = shown.some(isHidden);
  if (hidesAgain) {
    cut = -1;
    grew = false;
    await pass(false, end);
  }
  const unheard = (event) => event.stopImmediatePropagation();
  window.addEventListener('scroll', unheard, true);
  saved.push(() => window.removeEventListener('scroll', unheard, true));
  if (hidesAgain) {
    window.scrollTo({left: startX, top: startY, behavior: 'instant'});
    await frameDrawn();
  }
  scan();
}

// A frame whose page has arrived gives no second load event: only one still showing its first
// empty document is waited for (a frame from another site has arrived once it is out of reach).
const arrived = (frame) => {
  const inside = frame.contentDocument;
  return !inside || (inside.readyState === 'complete' &&
                     (inside.URL !== 'about:blank' || !frame.getAttribute('src')));
};
const seenImages = new WeakSet();
const askedUrls = new Set();
// Waits for what the document holds now that was not waited for before. Gives whether there was
// anything new to wait for.
const arrival = async () => {
  const waits = [];
  const styleImages = [];
  for (const frame of document.querySelectorAll('iframe[loading="lazy" i]')) {
    if (!arrived(frame)) waits.push(loaded(frame));
    frame.loading = 'eager';
  }
  const images = [];
  for (const image of document.images) {
    if (seenImages.has(image)) continue;
    seenImages.add(image);
    images.push(image);
    if (image.loading === 'lazy') image.loading = 'eager';
    if (!image.complete) {
      waits.push(loaded(image));
    } else if (!image.naturalWidth && image.getAttribute('src')) {
      // An image that failed to load may be drawn by the engine, on the page's first visit, as a
      // square as wide as its box, where later visits and other browsers draw a small box: asked
      // for again, it fails as on a later visit.
      waits.push(image.decode().then(() => null, () => {
        const source = image.getAttribute('src');
        image.setAttribute('src', '');
        image.setAttribute('src', source);
        changes.takeRecords();
        return image.complete ? null : loaded(image);
      }));
    }
  }
  changes.takeRecords();
  if (document.fonts && document.fonts.status !== 'loaded') waits.push(document.fonts.ready);
  // Asked for again, the style's images come from the same cache the page's style fills.
  for (const url of urls) {
    if (askedUrls.has(url)) continue;
    askedUrls.add(url);
    const image = new Image();
    image.src = url;
    styleImages.push(image);
  }
  await within(Promise.all(waits));
  await within(Promise.all([...images, ...styleImages].map((image) =>
      image.complete && image.naturalWidth ? image.decode().catch(() => {}) :
      image.complete ? null : loaded(image).then(() => image.decode()).catch(() => {}))));
  return waits.length > 0 || styleImages.length > 0;
};
await arrival();

for (const video of document.querySelectorAll('video')) {
  if (video.readyState < 2 || !video.videoWidth || !video.videoHeight) continue;
  const style = getComputedStyle(video);
  if (style.display === 'none') continue;
  const still = document.createElement('canvas');
  still.width = video.videoWidth;
  still.height = video.videoHeight;
  try {
    still.getContext('2d').drawImage(video, 0, 0, still.width, still.height);
  } catch (error) {
    continue;
  }
  for (const name of style) still.style.setProperty(name, style.getPropertyValue(name));
  still.style.setProperty('transition', 'none');
  still.style.setProperty('animation', 'none');
  video.parentNode.insertBefore(still, video);
  setStyle(video, 'display', 'none');
  saved.push(() => still.remove());
}
changes.takeRecords();

// A canvas is compared by a small copy of it; one the page has tainted cannot be read, and
// counts as unchanged.
const sample = document.createElement('canvas');
sample.width = sample.height = 64;
const sampler = sample.getContext('2d', {willReadFrequently: true});
const canvasState = () => Array.from(document.querySelectorAll('canvas'), (canvas) => {
  if (!canvas.width || !canvas.height) return 0;
  try {
    sampler.clearRect(0, 0, 64, 64);
    sampler.drawImage(canvas, 0, 0, 64, 64);
    let hash = 0;
    for (const word of new Uint32Array(sampler.getImageData(0, 0, 64, 64).data.buffer)) {
      hash = (Math.imul(hash, 31) + word) | 0;
    }
    return hash;
  } catch (error) {
    return 0;
  }
}).join();
const quiet = 100;
// Until the page is at rest, or restMs have passed: whether it still moved then.
const settle = async (restMs) => {
  const restEnd = performance.now() + restMs;
  let canvases = canvasState();
  // A painted frame at least, so what the page draws after load is in it, even with no rest; a
  // page that changed nothing by then is at rest. A canvas gets two: its small copy can miss what
  // one frame of a slow animation adds.
  const fewest = canvases ? 2 : 1;
  for (let frames = 1; ; ++frames) {
    finishFinite();
    await frameDrawn();
    const now = canvasState();
    if (now !== canvases) { changedAt = performance.now(); canvases = now; }
    if (frames < fewest) continue;
    if (changedAt < 0 || performance.now() - changedAt >= quiet) return false;
    if (performance.now() >= restEnd) return true;
  }
};
const restUntil = performance.now() + rest;
let moving = await settle(rest);
// What the page showed or added by then (content its scripts put in once it had started) may
// bring images of its own, which the engine asks for only as it paints them: they are waited for
// too, and the page brought to rest again within what is left of rest. One still moving is not
// waited for twice.
if (changedAt >= 0 && !moving) {
  // A page may set up the element it scrolls in only once its scripts have run (a presentation
  // shown as one scrolling list).
  unroll();
  scan();
  if (await arrival()) moving = await settle(Math.max(0, restUntil - performance.now()));
}
// The capture may come a while later, when the page's turn comes: what the page changes until
// then is seen, and kSettleAgainScript brings it to rest again first.
const restedCanvases = canvasState();
changedAt = -1;
const answer = (still) => [late ? 0 : 1, still ? 1 : 0, cut, grew ? 1 : 0];
globalThis.pagrovixRest = {
  again: async (restMs) => {
    // One that never came to rest is not waited for twice.
    const changed = !moving && (changes.takeRecords().length > 0 || changedAt >= 0 ||
                                canvasState() !== restedCanvases);
    const still = changed ? await settle(restMs) : moving;
    changes.disconnect();
    globalThis.pagrovixRest = null;
    return answer(still);
  },
  end: () => changes.disconnect(),
};
return answer(moving);
)js");

// The body of an async function of rest (milliseconds), run when the capture begins after
// kReadyScript: a page that changed since is brought to rest again, within rest. Gives
// kReadyScript's answer, brought up to date, or null when the page is no longer the one made ready.
inline constexpr const char* kSettleAgainScript = R"js(
const watch = globalThis.pagrovixRest;
return watch ? await watch.again(rest) : null;
)js";

// Run in every page at its start, in the page's own world: a canvas drawn with WebGL keeps its
// picture once it has been read. Readying reads every canvas to tell whether it still changes,
// and without this a WebGL canvas drawn once would then be painted blank into the capture.
inline constexpr const char* kKeepWebGlPictureScript = R"js((() => {
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (type, options) {
    if (/^(webgl2?|experimental-webgl)$/i.test(String(type))) {
      options = Object.assign({}, options, {preserveDrawingBuffer: true});
    }
    return getContext.call(this, type, options);
  };
})();)js";

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

// Gives the page back every style the capture changed and takes out what it added, newest
// first, and scrolls to the top.
inline const std::string kRestoreStylesScript = "(() => {" + std::string(kRestoreToFunction) + R"js(
  if (globalThis.pagrovixRest) {
    globalThis.pagrovixRest.end();
    globalThis.pagrovixRest = null;
  }
  restoreTo(globalThis.pagrovixSaved || [], 0);
  window.scrollTo({left: 0, top: 0, behavior: 'instant'});
  return [scrollX, scrollY];
})())js";

// Scrolls to (x, y) and gives the position reached, [scrollX, scrollY].
std::string ScrollScript(int x, int y);

}  // namespace pagrovix
