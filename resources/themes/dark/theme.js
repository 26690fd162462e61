(function () {
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
