#!/usr/bin/python3
"""Makes the themes Mavren installs, in resources/themes/NAME/:

  index.htm    the index page boilerplate
  content.htm  the content page boilerplate
  theme.css    the style sheet of both
  theme.js     the script of both
  theme.txt    the one-line description mavren-cli themes lists
  photoswipe*  the photo viewer of index pages (third_party/photoswipe), with its licence

A theme is a pair of ordinary boilerplate files: the generated page body goes where
the boilerplate tag stands, the page's heading in its title and description, the
language of the pages in its HTML tag and the page's own head elements in its head, and
everything around them comes from the theme. The style sheet and the scripts are files
the boilerplates name with the file tag: a run copies each once into the site, named
after its bytes, so that every page shares them and browsers keep them. Nothing is
fetched from elsewhere. The style sheet works on the pages as Mavren writes them (the
tables, the CENTER and FONT tags, the links cell of content pages), so no generated
page changes for a theme, and the pages work without the script.

The themes share one layout; each brings its colours and a few rules of its own.
Edit this script and run it again rather than the files it writes.

usage: scripts/make-themes.py
"""

import os
import shutil

TAG = "<MAVREN-" + "BOILERPLATE>"
# The page's heading as text, and the language of the pages.
TITLE = "<MAVREN-" + "TITLE>"
LANGUAGE = "<MAVREN-" + "LANGUAGE>"
HEAD = "<MAVREN-" + "HEAD>"


def file_tag(name):
    """The address of the theme's file name in the site."""
    return "<MAVREN-" + "FILE:" + name + ">"


# The viewer, as third_party/photoswipe holds it: [file in the package, name in a theme].
PHOTOSWIPE_VERSION = "5.4.4"
PHOTOSWIPE = [
    ("photoswipe.umd.min.js", "photoswipe.umd.min.js"),
    ("photoswipe-lightbox.umd.min.js", "photoswipe-lightbox.umd.min.js"),
    ("photoswipe.css", "photoswipe.css"),
    ("LICENSE", "photoswipe-LICENSE.txt"),
]

# The layout every theme shares. "entries" is the table of an index page and "cells"
# the two rows of a content page: the heading (and the credit badge), then the
# content and the links cell, which becomes a bar of links above the content.
LAYOUT = """\
*,*::before,*::after{box-sizing:border-box}
html{-webkit-text-size-adjust:100%;text-size-adjust:100%}
body{margin:0;background:var(--page);color:var(--text);
 font:1.0625rem/1.55 system-ui,-apple-system,"Segoe UI",Roboto,"Noto Sans","DejaVu Sans",sans-serif;
 overflow-wrap:anywhere}
main{max-width:var(--width);margin:0 auto;padding:1rem clamp(.75rem,3vw,2rem) 2.5rem}
a{color:var(--link)}
a:visited{color:var(--visited)}
/* Keyboard focus shows on every control. */
:focus-visible{outline:3px solid var(--link);outline-offset:2px}
h1{font-size:clamp(1.35rem,4vw,2.1rem);line-height:1.2;margin:.4rem 0 1rem;font-weight:600}
img{max-width:100%;height:auto}
pre{white-space:pre-wrap}
table{max-width:100%}
/* The site's name and the album's path, linked, above everything. */
nav.site-path{margin:0 0 .5rem;font-size:.9rem;line-height:1.4;text-align:left;color:var(--text)}
nav.site-path a{display:inline-block;padding:.25rem 0;color:var(--link);text-decoration:none}
nav.site-path a:hover{text-decoration:underline}
/* Index pages: the entries take as many columns as fit (two at least on a phone), each a
   card, the row in the middle of the page whatever their count. */
.index center>table:first-of-type{display:grid;width:100%;gap:var(--gap);justify-content:center;
 grid-template-columns:repeat(auto-fit,
  minmax(min(100%,var(--cell)),min(var(--cell-max),calc(50% - var(--gap)/2))))}
.index center>table:first-of-type td:empty{display:none}
.index center>table:first-of-type>tbody,
.index center>table:first-of-type>tbody>tr{display:contents}
.index center>table:first-of-type td{display:flex;flex-direction:column;justify-content:center;
 align-items:center;padding:.75rem;background:var(--card);border:1px solid var(--line);
 border-radius:var(--round);font-size:.9rem;line-height:1.35}
/* The picture in the middle of the card, the label at its foot. */
.index center>table:first-of-type td a{display:flex;flex-direction:column;align-items:center;
 gap:.4rem;width:100%;height:100%;text-decoration:none;color:var(--text)}
.index center>table:first-of-type td img{display:block;margin:auto 0;border-radius:calc(var(--round)/2)}
/* Previous and Next of index pages, and the links of content pages: a row of buttons. */
.index center>table:last-of-type{display:block;width:100%;margin-top:1.25rem}
.index center>table:last-of-type>tbody{display:block}
.index center>table:last-of-type>tbody>tr{display:flex;flex-wrap:wrap;justify-content:center;gap:.5rem}
.index center>table:last-of-type td{display:block}
.index center>table:last-of-type a,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:last-child:not(.shown),td.links)>a,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:last-child:not(.shown),td.links)>p>a,
.slideshow{padding:.45rem 1rem;border:1px solid var(--line);border-radius:999px;
 background:var(--card);color:var(--link);text-decoration:none;white-space:nowrap}
.index center>table:last-of-type a:hover,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:last-child:not(.shown),td.links) a:hover,
.slideshow:hover{border-color:var(--link)}
/* The slideshow button, which the script adds, looks like the links beside it. */
.slideshow{font:inherit;cursor:pointer}
/* Content pages: the heading row, then the links above the content. */
.content :is(main,main>font)>table{display:block;width:100%}
.content :is(main,main>font)>table>tbody{display:flex;flex-direction:column;gap:.75rem}
.content :is(main,main>font)>table>tbody>tr{display:flex;flex-wrap:wrap;align-items:center;
 justify-content:space-between;gap:.5rem 1rem}
.content :is(main,main>font)>table>tbody>tr>td{display:block;padding:0;min-width:0}
.content :is(main,main>font)>table>tbody>tr:first-child>td:first-child{flex:1 1 14rem;text-align:left}
.content :is(main,main>font)>table>tbody>tr:first-child>td:first-child h1{margin:0}
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown){flex:1 1 100%;overflow-x:auto}
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:last-child:not(.shown),td.links){order:-1;flex:1 1 100%;
 display:flex;flex-wrap:wrap;justify-content:center;gap:.5rem}
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:last-child:not(.shown),td.links)>p{display:contents}
/* The picture of a content page, also when it is a link, and a video: as large as the
   screen allows. */
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown)>img,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown)>a>img,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown)>picture>img,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown)>a>picture>img,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown)>video{
 --room:calc(100vh - var(--above));display:block;width:auto;height:auto;max-width:100%;
 max-height:var(--room);margin:0 auto;border-radius:var(--round);
 /* Where the browser reads the picture's size from its attributes, the picture holds its
    place before it loads, so that nothing moves when it comes. */
 width:min(100%,calc(attr(width type(<number>))*1px),
  calc(var(--room)*attr(width type(<number>))/attr(height type(<number>))))}
/* Photo pages: the caption and the date taken under the picture, on the screen with it. */
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown):has(>.photo-facts)>img,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown):has(>.photo-facts)>a>img,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown):has(>.photo-facts)>picture>img,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown):has(>.photo-facts)>a>picture>img,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown):has(>.photo-facts)>video{
 --room:calc(100vh - var(--above) - 3rem)}
.photo-facts{display:flex;flex-wrap:wrap;justify-content:center;align-items:baseline;
 gap:.25rem 1rem;margin:.75rem auto 0;text-align:center}
.photo-taken,.video-duration{font-size:.875rem;opacity:.75}
/* A video's thumbnail: the play sign and its length over its lower corner. */
.video-thumb{position:relative;display:block;margin:auto 0}
.index center>table:first-of-type td .video-thumb img{margin:0}
.video-mark{position:absolute;left:.35rem;bottom:.35rem;padding:.1rem .5rem;border-radius:999px;
 background:rgba(0,0,0,.65);color:#fff;font-size:.8rem;line-height:1.4;
 font-variant-numeric:tabular-nums;white-space:nowrap;pointer-events:none}
/* The viewer: the caption and the date at the foot of the photo, focus as on the page. */
.pswp__caption{position:absolute;left:0;right:0;bottom:0;padding:.75rem 1rem
 calc(.75rem + env(safe-area-inset-bottom));text-align:center;color:#f2f2f2;
 background:linear-gradient(transparent,rgba(0,0,0,.65));pointer-events:none}
.pswp__caption:empty{display:none}
.pswp__caption p{margin:0 auto;max-width:60rem}
.pswp__caption time{display:block;font-size:.85rem;opacity:.8}
.pswp__button:focus-visible{outline:3px solid #fff;outline-offset:-6px;opacity:1}
"""

# The script every theme shares: the viewer on index pages whose entries carry its data;
# the keys and, on a touch screen, swipes follow the links the page has; content pages put
# their links in screen order around Index, before the content; and a slideshow button
# moves on by itself. Without scripts the pages work as they are.
SCRIPT = r"""(function () {
  'use strict';
  var viewing = false;  // the viewer is open: keys and swipes are its own

  // Index pages whose entries carry the viewer's data open a photo in the viewer on top of
  // the page. The address follows the photo shown, its own page, so that it can be shared,
  // and Back closes the viewer. Without the data, or without the viewer's scripts, the
  // links lead to the photos' pages as ever.
  function startViewer() {
    var links = document.querySelectorAll('a[data-pswp-src]');
    if (!links.length || !window.PhotoSwipeLightbox || !window.PhotoSwipe) {
      return;
    }
    var lightbox = new PhotoSwipeLightbox({
      gallery: 'main',
      children: 'a[data-pswp-src]',
      pswpModule: PhotoSwipe,
      bgOpacity: 0.94,
      returnFocus: false,
      closeTitle: 'Close (Esc)',
      zoomTitle: 'Zoom (Z)',
      arrowPrevTitle: 'Previous (arrow left)',
      arrowNextTitle: 'Next (arrow right)'
    });
    var pushed = false, byBack = false, shown = null;
    function address(url) {
      // Where the browser refuses (some do on pages opened from a folder), the viewer
      // goes on without.
      try {
        if (pushed) {
          history.replaceState({ viewer: true }, '', url);
        } else {
          history.pushState({ viewer: true }, '', url);
          pushed = true;
        }
      } catch (refused) {
      }
    }
    function current() {
      var slide = lightbox.pswp && lightbox.pswp.currSlide;
      return slide && slide.data.element;
    }
    lightbox.on('uiRegister', function () {
      var ui = lightbox.pswp.ui;
      ui.registerElement({
        name: 'caption',
        order: 9,
        isButton: false,
        appendTo: 'root',
        onInit: function (element, pswp) {
          element.setAttribute('aria-live', 'polite');
          pswp.on('change', function () {
            var link = current();
            element.textContent = '';
            [['data-caption', 'p'], ['data-taken', 'time']].forEach(function (part) {
              var text = link && link.getAttribute(part[0]);
              if (text) {
                element.appendChild(document.createElement(part[1])).textContent = text;
              }
            });
          });
        }
      });
      if (document.fullscreenEnabled) {
        ui.registerElement({
          name: 'fullscreen',
          title: 'Full screen (F)',
          order: 9,
          isButton: true,
          html: {
            isCustomSVG: true,
            inner: '<path d="M8 8h6v2h-4v4H8zm10 0h6v6h-2v-4h-4zM8 18h2v4h4v2H8zm14 0h2v6h-6v-2h4z" ' +
              'id="pswp__icn-fullscreen"/>',
            outlineID: 'pswp__icn-fullscreen'
          },
          onClick: toggleFullScreen
        });
      }
    });
    function toggleFullScreen() {
      if (document.fullscreenElement) {
        document.exitFullscreen();
      } else {
        document.documentElement.requestFullscreen().catch(function () {});
      }
    }
    lightbox.on('change', function () {
      shown = current() || shown;
      if (shown) {
        address(shown.href);
      }
    });
    lightbox.on('keydown', function (event) {
      var key = event.originalEvent;
      if (key.key === 'f' && document.fullscreenEnabled && !key.ctrlKey && !key.metaKey) {
        toggleFullScreen();
      }
    });
    lightbox.on('beforeOpen', function () {
      viewing = true;
    });
    lightbox.on('close', function () {
      if (document.fullscreenElement) {
        document.exitFullscreen();
      }
      if (pushed && !byBack) {
        history.back();  // back to the index page's own entry
      }
      pushed = false;
      byBack = false;
    });
    lightbox.on('destroy', function () {
      viewing = false;
      if (shown) {
        shown.focus({ preventScroll: true });
      }
    });
    addEventListener('popstate', function (event) {
      if (viewing && pushed) {
        byBack = true;
        lightbox.pswp.close();
      } else if (!viewing && event.state && event.state.viewer) {
        location.reload();  // Forward to a photo's address: its page
      }
    });
    lightbox.init();
  }
  startViewer();

  // The pages around this one: by the REL of their links where the page has them, else by
  // the names Mavren gave them (GEN0001.HTM, INDEX001.HTM), so link texts of any wording
  // work. Without scripts the pages work as they are.
  var PAGE = /^(GEN|INDEX)(\d+)\.HTM$/i;
  var named = document.querySelector('a[rel~="next"][href],a[rel~="prev"][href]') !== null;
  var own = /(GEN|INDEX)(\d+)\.HTM$/i.exec(location.pathname);
  if (!named && !own) {
    return;
  }
  var content = named ? document.body.classList.contains('content') : own[1].toUpperCase() === 'GEN';
  var arrival = /^#(slideshow|last|last-photo)$/.test(location.hash) ? location.hash : '';
  if (arrival) {
    // A page reached by a slideshow or on the way to the end shows itself when visited again.
    history.replaceState(null, '', location.pathname + location.search);
  }
  var bar = content && document.querySelector(
    ':is(main,main>font)>table>tbody>tr:last-child>td:last-child');

  function byRel(rel) {
    var link = document.querySelector('a[rel~="' + rel + '"][href]');
    return link && link.getAttribute('href');
  }

  var next, previous, first, escape, goToEnd;
  if (named) {
    next = byRel('next');
    previous = byRel('prev');
    first = byRel('first');
    escape = content ? byRel('up') : null;
    goToEnd = byRel('last');
    if (bar) {
      var rank = { first: 0, prev: 1, up: 2, next: 3, last: 4 };
      putInOrder(bar.querySelectorAll('a[rel]'), function (link) {
        var rel = link.getAttribute('rel').split(/\s+/).filter(function (word) {
          return word in rank;
        })[0];
        return rel ? rank[rel] : 5;
      });
    }
  } else {
    var kind = own[1].toUpperCase(), here = parseInt(own[2], 10);

    // The links of root to the site's pages, each as [kind, number, link].
    var pageLinks = function (root) {
      var found = [];
      root.querySelectorAll('a[href]').forEach(function (link) {
        var name = PAGE.exec(link.getAttribute('href'));
        if (name) {
          found.push([name[1].toUpperCase(), parseInt(name[2], 10), link]);
        }
      });
      return found;
    };
    var pages = {}, index = null, highest = -1, toNext = 0;
    pageLinks(document).forEach(function (page) {
      var href = page[2].getAttribute('href');
      if (page[0] !== kind) {
        index = index || href;
        return;
      }
      pages[page[1]] = href;
      highest = Math.max(highest, page[1]);
      if (page[1] === here + 1 && !page[2].querySelector('img')) {
        toNext++;
      }
    });
    next = pages[here + 1];
    previous = pages[here - 1];
    first = here > 0 ? pages[0] || own[0].replace(/\d+(?=\.HTM$)/i, own[2].replace(/\d/g, '0'))
                     : null;
    escape = content ? index : null;

    // The last page: the target of an End link (beyond Next, or a second text link to Next),
    // else found by following Next from index page to index page; a content page ends on
    // the last entry of the last index page. Over HTTP the index pages are fetched; from a
    // folder, where pages cannot be fetched, they are visited, each passing on at once.
    var lastOf = function (root, number, photo) {
      var after = null, last = null;
      pageLinks(root).forEach(function (page) {
        if (page[0] === 'INDEX' && page[1] === number + 1) {
          after = page;
        } else if (photo && page[0] === 'GEN' && (!last || page[1] > last[1])) {
          last = page;
        }
      });
      return after ? { after: after[2].getAttribute('href'), number: after[1] }
                   : { last: last && last[2].getAttribute('href') };
    };
    var visit = function (href, photo) {
      location.href = href + (photo ? '#last-photo' : '#last');
    };
    var walk = function (href, number, photo, done) {
      fetch(href).then(function (response) {
        return response.ok ? response.text() : Promise.reject(response.status);
      }).then(function (text) {
        var found = lastOf(new DOMParser().parseFromString(text, 'text/html'), number, photo);
        if (found.after) {
          walk(found.after, found.number, photo, done);
        } else {
          done(photo ? found.last : href);
        }
      }, function () {
        visit(href, photo);
      });
    };
    goToEnd = function () {
      var photo = kind === 'GEN';
      if (photo && (highest > here + 1 || toNext > 1)) {
        location.href = pages[highest];
        return;
      }
      var start = photo ? index : next;
      if (!next || !start) {
        return;
      }
      if (location.protocol === 'file:') {
        visit(start, photo);
        return;
      }
      walk(start, parseInt(PAGE.exec(start)[2], 10), photo, function (last) {
        if (last && (!photo || parseInt(PAGE.exec(last)[2], 10) > here)) {
          location.href = last;
        }
      });
    };
    if (kind === 'INDEX' && /^#last(-photo)?$/.test(arrival)) {
      var found = lastOf(document, here, arrival === '#last-photo');
      if (found.after) {
        location.replace(found.after + arrival);
        return;
      }
      if (found.last) {
        location.replace(found.last);
        return;
      }
    }
    // Content pages: Beginning and Previous, then Index, then Next and End.
    if (bar) {
      putInOrder(pageLinks(bar).map(function (page) {
        return page[2];
      }), function (link) {
        var page = PAGE.exec(link.getAttribute('href'));
        var number = parseInt(page[2], 10);
        return page[1].toUpperCase() !== 'GEN' ? 1e6 : number < here ? number : 2e6 + number;
      });
    }
  }

  // Moves the links into the order of their ranks (equal ranks keep theirs) at the end of
  // their cell, and the cell before the content, so that Tab follows what the screen shows;
  // the cells are marked for the style sheet, which finds them by place without scripts.
  function putInOrder(links, rankOf) {
    var ranked = Array.prototype.map.call(links, function (link, at) {
      return [rankOf(link), at, link];
    }).sort(function (a, b) {
      return a[0] - b[0] || a[1] - b[1];
    });
    ranked.forEach(function (entry) {
      bar.appendChild(entry[2]);
    });
    bar.classList.add('links');
    if (bar.previousElementSibling) {
      bar.previousElementSibling.classList.add('shown');
    }
    bar.parentNode.insertBefore(bar, bar.parentNode.firstElementChild);
  }

  // The slideshow: the next page every few seconds, carried on from page to page by the
  // address, until a key, a touch or a click; it ends on the last page.
  var button = null, timer = 0;
  function showing(on) {
    button.textContent = on ? 'Stop slideshow' : 'Slideshow';
    button.setAttribute('aria-pressed', on);
  }
  function stop() {
    clearTimeout(timer);
    timer = 0;
    showing(false);
  }
  function play() {
    showing(true);
    timer = setTimeout(function () {
      location.href = next + '#slideshow';
    }, 4000);
  }
  if (bar && next) {
    button = document.createElement('button');
    button.type = 'button';
    button.className = 'slideshow';
    button.addEventListener('click', function () {
      timer ? stop() : play();
    });
    bar.appendChild(button);
    document.addEventListener('pointerdown', function (event) {
      if (timer && event.target !== button) {
        stop();
      }
    }, true);
    // A page kept for the Back button does not move on when shown again.
    addEventListener('pagehide', stop);
    arrival === '#slideshow' ? play() : showing(false);
  }

  var keys = {
    ArrowRight: next,
    ArrowLeft: previous,
    Home: first,
    End: goToEnd,
    Escape: escape
  };
  document.addEventListener('keydown', function (event) {
    var target = event.target;
    if (viewing || event.altKey || event.ctrlKey || event.metaKey || event.shiftKey ||
        event.defaultPrevented || target.isContentEditable ||
        /^(INPUT|TEXTAREA|SELECT)$/.test(target.tagName)) {
      return;
    }
    var action = keys[event.key];
    // Enter and Space on the button are its click.
    if (timer && !(target === button && /^(Enter| )$/.test(event.key))) {
      event.preventDefault();
      stop();
      return;
    }
    // A focused video takes its keys: the arrows seek, Space plays.
    if (/^(VIDEO|AUDIO)$/.test(target.tagName)) {
      return;
    }
    if (action) {
      event.preventDefault();
    }
    if (typeof action === 'function') {
      action();
    } else if (action) {
      location.href = action;
    }
  });

  // On a touch screen a swipe to the left is Next, to the right Previous; not while the
  // page is zoomed in, nor on something that scrolls sideways, nor on a video, whose
  // controls take a swipe along its time.
  var touch = null;
  function scrollsSideways(element) {
    for (; element && element !== document.body; element = element.parentElement) {
      if (element.scrollWidth > element.clientWidth &&
          /auto|scroll/.test(getComputedStyle(element).overflowX)) {
        return true;
      }
    }
    return false;
  }
  document.addEventListener('touchstart', function (event) {
    var zoomed = window.visualViewport && visualViewport.scale > 1.01;
    touch = event.touches.length === 1 && !zoomed && !viewing && !scrollsSideways(event.target) &&
      !event.target.closest('video') ?
      { x: event.touches[0].clientX, y: event.touches[0].clientY } : null;
  }, { passive: true });
  document.addEventListener('touchend', function (event) {
    var start = touch, end = event.changedTouches[0];
    touch = null;
    if (!start || viewing || event.touches.length) {
      return;
    }
    var dx = end.clientX - start.x, dy = end.clientY - start.y;
    var target = dx < 0 ? next : previous;
    if (target && Math.abs(dx) > 60 && Math.abs(dx) > 2 * Math.abs(dy)) {
      location.href = target;
    }
  });
  document.addEventListener('touchcancel', function () {
    touch = null;
  });
})();
"""

# Each theme: its description, its colours and sizes, and rules of its own that refine
# the shared layout.
THEMES = {
    "light": (
        "Light: dark text on a warm white page, the entries as cards",
        """\
:root{color-scheme:light;--page:#f7f6f2;--text:#1f2328;--link:#0b57d0;--visited:#6f42c1;
 --card:#fff;--line:#dcd9d0;--width:68rem;--cell:10.5rem;--cell-max:15rem;--gap:1rem;--round:10px;--above:9rem}
""",
        "",
    ),
    "dark": (
        "Dark: light text on a dark page",
        """\
:root{color-scheme:dark;--page:#15171a;--text:#e3e5e8;--link:#8ab4f8;--visited:#c58af9;
 --card:#1f2226;--line:#353a40;--width:68rem;--cell:10.5rem;--cell-max:15rem;--gap:1rem;--round:10px;--above:9rem}
""",
        "",
    ),
    "gallery": (
        "Photo gallery: a wide grid of thumbnails and large pictures on a dark page",
        """\
:root{color-scheme:dark;--page:#0c0c0d;--text:#d8d8d8;--link:#f0c674;--visited:#d9b060;
 --card:#18181a;--line:#2a2a2d;--width:none;--cell:10rem;--cell-max:15rem;--gap:.5rem;--round:4px;--above:8rem}
""",
        """\
main{padding:.75rem clamp(.5rem,1.5vw,1.5rem) 2rem}
h1{font-weight:300;letter-spacing:.02em}
.index center>table:first-of-type td{padding:.5rem;border:0}
.index center>table:first-of-type td a{color:#9a9a9a}
.index center>table:first-of-type td img{box-shadow:0 2px 10px #000}
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown)>img,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown)>a>img,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown)>picture>img,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown)>a>picture>img,
.content :is(main,main>font)>table>tbody>tr:last-child>:is(td:first-child:not(.links),td.shown)>video{box-shadow:0 4px 24px #000}
""",
    ),
}

PAGE = """\
<!DOCTYPE html>
<html lang="{language}">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{title}</title>
<meta name="description" content="{title}">
<link rel="icon" href="data:,">
{links}{head}
</head>
<body class="{kind}">
<main>
{tag}
</main>
</body>
</html>
"""

# What each kind of page loads, in order: the viewer only on index pages.
STYLES = {"index": ["photoswipe.css", "theme.css"], "content": ["theme.css"]}
SCRIPTS = {"index": ["photoswipe.umd.min.js", "photoswipe-lightbox.umd.min.js", "theme.js"],
           "content": ["theme.js"]}


# The viewer's licence asks that its notice go wherever the viewer goes: the pages that
# load it link to it, which also copies it into the site.
LICENCES = {"index": ["photoswipe-LICENSE.txt"], "content": []}


def head_links(kind):
    """The head's style sheets, licences and deferred scripts of a kind of page."""
    return "".join('<link rel="stylesheet" href="%s">\n' % file_tag(name)
                   for name in STYLES[kind]) + \
        "".join('<link rel="license" href="%s">\n' % file_tag(name) for name in LICENCES[kind]) + \
        "".join('<script defer src="%s"></script>\n' % file_tag(name) for name in SCRIPTS[kind])


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write(text)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.join(here, "..", "resources", "themes")
    viewer = os.path.join(here, "..", "third_party", "photoswipe")
    with open(os.path.join(viewer, "README.md"), encoding="utf-8") as readme:
        if PHOTOSWIPE_VERSION not in readme.readline():
            raise SystemExit("third_party/photoswipe holds another version than "
                             + PHOTOSWIPE_VERSION)
    for name, (description, colours, own_rules) in THEMES.items():
        folder = os.path.join(root, name)
        os.makedirs(folder, exist_ok=True)
        for kind in ("index", "content"):
            write(os.path.join(folder, kind + ".htm"),
                  PAGE.format(title=TITLE, language=LANGUAGE, links=head_links(kind), head=HEAD,
                              kind=kind, tag=TAG))
        write(os.path.join(folder, "theme.css"), colours + LAYOUT + own_rules)
        write(os.path.join(folder, "theme.js"), SCRIPT)
        write(os.path.join(folder, "theme.txt"), description + "\n")
        for source, target in PHOTOSWIPE:
            shutil.copyfile(os.path.join(viewer, source), os.path.join(folder, target))


if __name__ == "__main__":
    main()
