#!/usr/bin/python3
"""Makes the themes Mavren installs, in resources/themes/NAME/:

  index.htm    the index page boilerplate
  content.htm  the content page boilerplate
  theme.txt    the one-line description mavren-cli themes lists

A theme is a pair of ordinary boilerplate files: the generated page body goes where
the boilerplate tag stands, the page's heading in its title and description and the
language of the pages in its HTML tag, and everything around them (the head with its inline style
sheet and the short inline script) comes from the theme. Nothing is fetched from
elsewhere. The style sheet works on the pages as Mavren writes them (the tables,
the CENTER and FONT tags, the links cell of content pages), so no generated page
changes for a theme.

The themes share one layout; each brings its colours and a few rules of its own.
Edit this script and run it again rather than the files it writes.

usage: scripts/make-themes.py
"""

import os

TAG = "<MAVREN-" + "BOILERPLATE>"
# The page's heading as text, and the language of the pages.
TITLE = "<MAVREN-" + "TITLE>"
LANGUAGE = "<MAVREN-" + "LANGUAGE>"

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
a:focus-visible{outline:3px solid var(--link);outline-offset:2px}
h1{font-size:clamp(1.35rem,4vw,2.1rem);line-height:1.2;margin:.4rem 0 1rem;font-weight:600}
img{max-width:100%;height:auto}
pre{white-space:pre-wrap}
table{max-width:100%}
/* Index pages: the entries take as many columns as fit, each a card. */
.index center>table:first-of-type{display:grid;width:100%;gap:var(--gap);
 grid-template-columns:repeat(auto-fill,minmax(min(100%,var(--cell)),1fr))}
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
.content :is(main,main>font)>table>tbody>tr:last-child>td:last-child>a,
.content :is(main,main>font)>table>tbody>tr:last-child>td:last-child>p>a,
.slideshow{padding:.45rem 1rem;border:1px solid var(--line);border-radius:999px;
 background:var(--card);color:var(--link);text-decoration:none;white-space:nowrap}
.index center>table:last-of-type a:hover,
.content :is(main,main>font)>table>tbody>tr:last-child>td:last-child a:hover,
.slideshow:hover{border-color:var(--link)}
/* The slideshow button, which the script adds, looks like the links beside it. */
.slideshow{font:inherit;cursor:pointer}
.slideshow:focus-visible{outline:3px solid var(--link);outline-offset:2px}
/* Content pages: the heading row, then the links above the content. */
.content :is(main,main>font)>table{display:block;width:100%}
.content :is(main,main>font)>table>tbody{display:flex;flex-direction:column;gap:.75rem}
.content :is(main,main>font)>table>tbody>tr{display:flex;flex-wrap:wrap;align-items:center;
 justify-content:space-between;gap:.5rem 1rem}
.content :is(main,main>font)>table>tbody>tr>td{display:block;padding:0;min-width:0}
.content :is(main,main>font)>table>tbody>tr:first-child>td:first-child{flex:1 1 14rem;text-align:left}
.content :is(main,main>font)>table>tbody>tr:first-child>td:first-child h1{margin:0}
.content :is(main,main>font)>table>tbody>tr:last-child>td:first-child{flex:1 1 100%;overflow-x:auto}
.content :is(main,main>font)>table>tbody>tr:last-child>td:last-child{order:-1;flex:1 1 100%;
 display:flex;flex-wrap:wrap;justify-content:center;gap:.5rem}
.content :is(main,main>font)>table>tbody>tr:last-child>td:last-child>p{display:contents}
/* The picture of a content page, also when it is a link: as large as the screen allows. */
.content :is(main,main>font)>table>tbody>tr:last-child>td:first-child>img,
.content :is(main,main>font)>table>tbody>tr:last-child>td:first-child>a>img{
 --room:calc(100vh - var(--above));display:block;width:auto;height:auto;max-width:100%;
 max-height:var(--room);margin:0 auto;border-radius:var(--round);
 /* Where the browser reads the picture's size from its attributes, the picture holds its
    place before it loads, so that nothing moves when it comes. */
 width:min(100%,calc(attr(width type(<number>))*1px),
  calc(var(--room)*attr(width type(<number>))/attr(height type(<number>))))}
/* Photo pages: the caption and the date taken under the picture, on the screen with it. */
.content :is(main,main>font)>table>tbody>tr:last-child>td:first-child:has(>.photo-facts)>img,
.content :is(main,main>font)>table>tbody>tr:last-child>td:first-child:has(>.photo-facts)>a>img{
 --room:calc(100vh - var(--above) - 3rem)}
.photo-facts{display:flex;flex-wrap:wrap;justify-content:center;align-items:baseline;
 gap:.25rem 1rem;margin:.75rem auto 0;text-align:center}
.photo-taken{font-size:.875rem;opacity:.75}
"""

# The script every theme shares: the keys and, on a touch screen, swipes follow the links
# the page has, content pages order their links around Index, and a slideshow button moves
# on by itself. Pages are found by the names Mavren gives them (GEN0001.HTM, INDEX001.HTM),
# so link texts of any wording work. Without scripts the pages work as they are.
SCRIPT = r"""(function () {
  var PAGE = /^(GEN|INDEX)(\d+)\.HTM$/i;
  var own = /(GEN|INDEX)(\d+)\.HTM$/i.exec(location.pathname);
  if (!own) {
    return;
  }
  var kind = own[1].toUpperCase(), here = parseInt(own[2], 10);
  var arrival = /^#(slideshow|last|last-photo)$/.test(location.hash) ? location.hash : '';
  if (arrival) {
    // A page reached by a slideshow or on the way to the end shows itself when visited again.
    history.replaceState(null, '', location.pathname);
  }

  // The links of root to the site's pages, each as [kind, number, link].
  function pageLinks(root) {
    var found = [];
    root.querySelectorAll('a[href]').forEach(function (link) {
      var name = PAGE.exec(link.getAttribute('href'));
      if (name) {
        found.push([name[1].toUpperCase(), parseInt(name[2], 10), link]);
      }
    });
    return found;
  }
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
  var next = pages[here + 1], previous = pages[here - 1];
  var first = own[0].replace(/\d+(?=\.HTM$)/i, own[2].replace(/\d/g, '0'));

  // The last page: the target of an End link (beyond Next, or a second text link to Next),
  // else found by following Next from index page to index page; a content page ends on
  // the last entry of the last index page. Over HTTP the index pages are fetched; from a
  // folder, where pages cannot be fetched, they are visited, each passing on at once.
  function lastOf(root, number, photo) {
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
  }
  function visit(href, photo) {
    location.href = href + (photo ? '#last-photo' : '#last');
  }
  function walk(href, number, photo, done) {
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
  }
  function goToEnd() {
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
  }
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

  // Content pages: Beginning and Previous, then Index, then Next and End, in whatever
  // order the page has its links.
  var bar = kind === 'GEN' && document.querySelector(
    ':is(main,main>font)>table>tbody>tr:last-child>td:last-child');
  if (bar) {
    pageLinks(bar).forEach(function (page) {
      page[2].style.order = page[0] !== 'GEN' ? 2 : page[1] < here ? 1 : 3;
    });
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
    button.style.order = 4;
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
    Home: here > 0 ? pages[0] || first : null,
    End: goToEnd,
    Escape: kind === 'GEN' ? index : null
  };
  document.addEventListener('keydown', function (event) {
    var target = event.target;
    if (event.altKey || event.ctrlKey || event.metaKey || event.shiftKey ||
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
  // page is zoomed in, nor on something that scrolls sideways.
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
    touch = event.touches.length === 1 && !zoomed && !scrollsSideways(event.target) ?
      { x: event.touches[0].clientX, y: event.touches[0].clientY } : null;
  }, { passive: true });
  document.addEventListener('touchend', function (event) {
    var start = touch, end = event.changedTouches[0];
    touch = null;
    if (!start || event.touches.length) {
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
 --card:#fff;--line:#dcd9d0;--width:68rem;--cell:10.5rem;--gap:1rem;--round:10px;--above:9rem}
""",
        "",
    ),
    "dark": (
        "Dark: light text on a dark page",
        """\
:root{color-scheme:dark;--page:#15171a;--text:#e3e5e8;--link:#8ab4f8;--visited:#c58af9;
 --card:#1f2226;--line:#353a40;--width:68rem;--cell:10.5rem;--gap:1rem;--round:10px;--above:9rem}
""",
        "",
    ),
    "gallery": (
        "Photo gallery: a wide grid of thumbnails and large pictures on a dark page",
        """\
:root{color-scheme:dark;--page:#0c0c0d;--text:#d8d8d8;--link:#f0c674;--visited:#d9b060;
 --card:#18181a;--line:#2a2a2d;--width:none;--cell:10rem;--gap:.5rem;--round:4px;--above:8rem}
""",
        """\
main{padding:.75rem clamp(.5rem,1.5vw,1.5rem) 2rem}
h1{font-weight:300;letter-spacing:.02em}
.index center>table:first-of-type td{padding:.5rem;border:0}
.index center>table:first-of-type td a{color:#9a9a9a}
.index center>table:first-of-type td img{box-shadow:0 2px 10px #000}
.content :is(main,main>font)>table>tbody>tr:last-child>td:first-child>img,
.content :is(main,main>font)>table>tbody>tr:last-child>td:first-child>a>img{box-shadow:0 4px 24px #000}
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
<style>
{style}</style>
</head>
<body class="{kind}">
<main>
{tag}
</main>
<script>
{script}</script>
</body>
</html>
"""


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write(text)


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "themes")
    for name, (description, colours, own_rules) in THEMES.items():
        folder = os.path.join(root, name)
        os.makedirs(folder, exist_ok=True)
        for kind in ("index", "content"):
            write(os.path.join(folder, kind + ".htm"),
                  PAGE.format(title=TITLE, language=LANGUAGE, style=colours + LAYOUT + own_rules,
                              kind=kind, tag=TAG, script=SCRIPT))
        write(os.path.join(folder, "theme.txt"), description + "\n")


if __name__ == "__main__":
    main()
