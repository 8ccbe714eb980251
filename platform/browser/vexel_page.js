// platform: the page's side of the browser backend (an Emscripten JavaScript library): the
// canvas, pointer and key events queued for the program, the clock, the waits that hand the
// thread back to the browser, in-page message boxes and what the page shows at the program's end.
// Where the canvas is shown larger than the frame in device pixels (CSS size x device pixel
// ratio: a large window, a projector, a dense screen), its backing store may take a larger frame,
// drawn at that size; the pointer still speaks in the frame's pixels.
// The page (shell.html) holds the elements; this file only finds them by id.

mergeInto(LibraryManager.library, {
  $vexelPage__deps: ['$callUserCallback'],
  $vexelPage__postset: 'vexelPage.start();',
  $vexelPage: {
    events: [],           // [kind, a, b, c, d], taken by vexel_page_next_event
    canvas: null,
    context: null,
    frameWidth: 800,      // the program's frame, in whose pixels the pointer is given
    frameHeight: 600,
    deviceSize: null,     // [width, height]: the canvas as shown, in device pixels
    deviceRatio: 0,       // the device pixel ratio it was measured at
    image: null,          // ImageData over the program's RGBA frame (or the larger one)
    imageAt: 0,           // its address and the memory it views (the memory may grow)
    imageBuffer: null,
    windowOpen: false,    // the program's window exists: input is wanted
    boxOpen: false,
    lastStopBox: null,    // caption and text of the last stop box, shown if the program fails
    // what tests and the benchmark read: frames presented, our time per frame in ms (from the
    // end of the wait for an animation frame to the frame on the canvas), and the rectangles and
    // pixels the canvas took; the figure line last copied
    stats: { frames: 0, firstFrameAt: 0, work: [], workAt: 0, rectangles: 0, pixels: 0,
             copied: null, ended: false, exitCode: null },
    resumedAt: 0,

    // Key codes of the page (KeyboardEvent.code) as virtual-key codes.
    keyCodes: {
      Backspace: 0x08, Tab: 0x09, Enter: 0x0D, NumpadEnter: 0x0D, ShiftLeft: 0x10,
      ShiftRight: 0x10, ControlLeft: 0x11, ControlRight: 0x11, AltLeft: 0x12, AltRight: 0x12,
      Pause: 0x13, CapsLock: 0x14, Escape: 0x1B, Space: 0x20, PageUp: 0x21, PageDown: 0x22,
      End: 0x23, Home: 0x24, ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
      PrintScreen: 0x2C, Insert: 0x2D, Delete: 0x2E, MetaLeft: 0x5B, MetaRight: 0x5C,
      ContextMenu: 0x5D, NumpadMultiply: 0x6A, NumpadAdd: 0x6B, NumpadSubtract: 0x6D,
      NumpadDecimal: 0x6E, NumpadDivide: 0x6F, NumLock: 0x90, ScrollLock: 0x91,
      Semicolon: 0xBA, Equal: 0xBB, Comma: 0xBC, Minus: 0xBD, Period: 0xBE, Slash: 0xBF,
      Backquote: 0xC0, BracketLeft: 0xDB, Backslash: 0xDC, BracketRight: 0xDD, Quote: 0xDE,
      IntlBackslash: 0xE2,
    },

    virtualKey: function(e) {
      // letters follow the keyboard layout, as the program's own platform does
      if (e.key && e.key.length === 1) {
        var c = e.key.toUpperCase().charCodeAt(0);
        if (c >= 65 && c <= 90) return c;
      }
      var m;
      if ((m = /^Key([A-Z])$/.exec(e.code))) return m[1].charCodeAt(0);
      if ((m = /^Digit([0-9])$/.exec(e.code))) return 48 + Number(m[1]);
      if ((m = /^Numpad([0-9])$/.exec(e.code))) return 0x60 + Number(m[1]);
      if ((m = /^F([0-9]+)$/.exec(e.code)) && m[1] >= 1 && m[1] <= 24) return 0x6F + Number(m[1]);
      return vexelPage.keyCodes[e.code] || 0;
    },

    // A pointer position in frame pixels, clamped to the frame (whatever the canvas holds).
    framePoint: function(e) {
      var p = vexelPage, r = p.canvas.getBoundingClientRect(), w = p.frameWidth, h = p.frameHeight;
      var x = r.width > 0 ? Math.floor((e.clientX - r.left) * w / r.width) : 0;
      var y = r.height > 0 ? Math.floor((e.clientY - r.top) * h / r.height) : 0;
      return [Math.min(Math.max(x, 0), w - 1), Math.min(Math.max(y, 0), h - 1)];
    },

    // Whether a size in device pixels is larger than the frame both ways: where it is, and only
    // there, the program draws a larger frame.
    largerThanFrame: function(size) {
      var p = vexelPage;
      return !!size && size[0] > p.frameWidth && size[1] > p.frameHeight;
    },

    // Follows the size the canvas is shown at in device pixels: on a resize, and on a change of
    // the device pixel ratio (browser zoom, another screen), which a resize may not come with
    // (and whose event not every browser sends: vexel_page_shown_size looks at the ratio too).
    // Where that size is larger than the frame the larger pictures are asked for.
    watchDeviceSize: function(c) {
      var p = vexelPage;
      var measure = p.measure = function(exact) {
        var r = c.getBoundingClientRect(), ratio = window.devicePixelRatio || 1;
        p.deviceRatio = ratio;
        var size = [Math.round(r.width * ratio), Math.round(r.height * ratio)];
        // the browser's exact count where it agrees with the ratio (an emulated ratio may be
        // left out of it)
        var agrees = exact && Math.abs(exact[0] - size[0]) <= 1 &&
            Math.abs(exact[1] - size[1]) <= 1;
        p.deviceSize = agrees ? exact : size;
        if (p.largerThanFrame(p.deviceSize) && Module['vexelNeedLarge'])
          Module['vexelNeedLarge'](p.deviceSize[0], p.deviceSize[1]);
      };
      if (window.ResizeObserver) {
        var observe = function(box) {
          new ResizeObserver(function(entries) {
            var d = entries[entries.length - 1].devicePixelContentBoxSize;
            measure(d && d[0] ? [d[0].inlineSize, d[0].blockSize] : null);
          }).observe(c, box ? { box: box } : undefined);
        };
        // the exact count of device pixels where the browser tells it
        try {
          observe('device-pixel-content-box');
        } catch (e) {
          observe(null);
        }
      } else {
        window.addEventListener('resize', function() { measure(null); });
      }
      var ratioChange = function() {
        measure(null);
        matchMedia('(resolution: ' + (window.devicePixelRatio || 1) + 'dppx)')
            .addEventListener('change', ratioChange, { once: true });
      };
      ratioChange();
    },

    // The button mask of PointerEvent.buttons as MK_ bits; a touch or a pen on the surface is
    // the left button.
    buttonMask: function(buttons) {
      return (buttons & 1 ? 0x01 : 0) | (buttons & 2 ? 0x02 : 0) | (buttons & 4 ? 0x10 : 0);
    },

    fullscreen: function() {
      var d = document;
      if (d.fullscreenElement) {
        if (d.exitFullscreen) d.exitFullscreen().catch(function() {});
      } else {
        var stage = d.getElementById('stage');
        if (stage.requestFullscreen) stage.requestFullscreen().catch(function() {});
      }
    },

    start: function() {
      var d = document;
      Module['onExit'] = function(code) { vexelPage.ended(code); };
      Module['onAbort'] = function() { vexelPage.ended(-1); };
      window['vexelStats'] = vexelPage.stats;
      var c = vexelPage.canvas = d.getElementById('canvas');
      vexelPage.context = c.getContext('2d', { alpha: false });
      vexelPage.watchDeviceSize(c);
      var queue = function(kind, a, b, c2, d2) {
        if (vexelPage.windowOpen && !vexelPage.boxOpen) vexelPage.events.push([kind, a, b, c2, d2]);
      };
      var pointer = function(e) {
        if (!e.isPrimary) return;
        var p = vexelPage.framePoint(e);
        var mask = vexelPage.buttonMask(e.buttons);
        if (e.type === 'pointermove') {
          queue(1, p[0], p[1], mask, 0);
        } else {
          // button: 0 left (touch, pen tip), 1 middle, 2 right
          if (e.type === 'pointerdown') {
            c.setPointerCapture(e.pointerId);
            c.focus();
          }
          if (e.button === 0 || e.button === 1 || e.button === 2)
            queue(2, p[0], p[1], mask, e.button | (e.type === 'pointerdown' ? 0x100 : 0));
        }
        e.preventDefault();
      };
      ['pointermove', 'pointerdown', 'pointerup', 'pointercancel'].forEach(function(t) {
        c.addEventListener(t, function(e) {
          if (t === 'pointercancel') {
            // the browser took the touch over: the press ends where it was
            var p = vexelPage.framePoint(e);
            queue(2, p[0], p[1], 0, 0);
            return;
          }
          pointer(e);
        });
      });
      c.addEventListener('contextmenu', function(e) { e.preventDefault(); });
      var key = function(e) {
        if (vexelPage.boxOpen) return;
        if (e.code === 'F11') {
          if (e.type === 'keydown' && !e.repeat) vexelPage.fullscreen();
          e.preventDefault();
          return;
        }
        var vk = vexelPage.virtualKey(e);
        if (vk === 0) return;
        queue(3, vk, e.type === 'keydown' ? 1 : 0, e.repeat ? 1 : 0, e.altKey ? 1 : 0);
        // the character the key typed on the user's layout, as Win32's WM_CHAR after the press
        if (e.type === 'keydown' && e.key && e.key.length === 1 && !e.ctrlKey && !e.altKey)
          queue(5, e.key.charCodeAt(0), 0, 0, 0);
        // keys the page would act on (scrolling, the menu bar) belong to the program
        // Ctrl+S saves the figure, not the page
        if (e.altKey || vk === 0x20 || (vk >= 0x21 && vk <= 0x28) || vk === 0x12 ||
            (e.ctrlKey && vk === 0x53))
          e.preventDefault();
      };
      window.addEventListener('keydown', key);
      window.addEventListener('keyup', key);
      d.addEventListener('visibilitychange', function() { queue(4, d.hidden ? 1 : 0, 0, 0, 0); });
      d.getElementById('fullscreen').addEventListener('click', function() {
        vexelPage.fullscreen();
      });
    },

    // Lets the program go on where it handed the thread over; its end (exit) is not an error.
    resume: function(wakeUp) {
      callUserCallback(wakeUp);
    },

    // Shows the end of the program: the last frame stays, a line and a restart link below it.
    ended: function(code) {
      var s = vexelPage.stats;
      if (s.ended) return;
      s.ended = true;
      s.exitCode = code;
      vexelPage.windowOpen = false;
      var d = document;
      if (code !== 0 && vexelPage.lastStopBox) {
        d.getElementById('end-caption').textContent = vexelPage.lastStopBox[0];
        d.getElementById('end-text').textContent = vexelPage.lastStopBox[1];
        d.getElementById('end-error').hidden = false;
      }
      // the restart keeps the figure the address holds: a link to the same address with its
      // fragment would only move to the fragment, so the link reloads the page
      var restart = d.getElementById('restart');
      restart.href = location.href;
      restart.addEventListener('click', function(e) {
        e.preventDefault();
        location.reload();
      });
      d.getElementById('end').hidden = false;
    },
  },

  vexel_page_now__deps: ['$vexelPage'],
  vexel_page_now: function() {
    return performance.now();
  },

  // Hands the thread to the browser until the next animation frame (or a short while, when the
  // page is hidden and gives none).
  vexel_page_wait_frame__deps: ['$vexelPage', '$callUserCallback'],
  vexel_page_wait_frame: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      var done = false, timer = 0;
      var go = function() {
        if (done) return;
        done = true;
        clearTimeout(timer);
        vexelPage.resumedAt = performance.now();
        vexelPage.resume(wakeUp);
      };
      requestAnimationFrame(go);
      timer = setTimeout(go, 250);
    });
  },

  // Hands the thread to the browser for about `ms` milliseconds.
  vexel_page_pause__deps: ['$vexelPage', '$callUserCallback'],
  vexel_page_pause: function(ms) {
    return Asyncify.handleSleep(function(wakeUp) {
      setTimeout(function() {
        vexelPage.resumedAt = performance.now();
        vexelPage.resume(wakeUp);
      }, ms);
    });
  },

  vexel_page_open__deps: ['$vexelPage'],
  vexel_page_open: function(open, titlePtr) {
    vexelPage.windowOpen = !!open;
    vexelPage.events.length = 0;
    if (open) document.title = UTF8ToString(titlePtr);
  },

  // The program's frame: its size is the canvas's, and the pointer's pixels.
  vexel_page_frame_size__deps: ['$vexelPage', 'vexel_page_canvas_size'],
  vexel_page_frame_size: function(width, height) {
    vexelPage.frameWidth = width;
    vexelPage.frameHeight = height;
    _vexel_page_canvas_size(width, height);
  },

  // The canvas's backing store at the size of the frame it is to take (which clears it).
  vexel_page_canvas_size__deps: ['$vexelPage'],
  vexel_page_canvas_size: function(width, height) {
    var c = vexelPage.canvas;
    if (c.width !== width || c.height !== height) {
      c.width = width;
      c.height = height;
      vexelPage.image = null;
    }
  },

  // The size the canvas is shown at in device pixels into out[0..1], where it is larger than the
  // frame (whatever the device pixel ratio) and the larger pictures are in place (or could not be
  // had); else 0: the page shows the frame as it is, enlarged by the browser where it is shown
  // larger.
  vexel_page_shown_size__deps: ['$vexelPage'],
  vexel_page_shown_size: function(out) {
    if ((window.devicePixelRatio || 1) !== vexelPage.deviceRatio) vexelPage.measure(null);
    var size = vexelPage.deviceSize;
    if (!vexelPage.largerThanFrame(size)) return 0;
    if (Module['vexelNeedLarge'] && !Module['vexelNeedLarge'](size[0], size[1])) return 0;
    HEAP32[out >> 2] = size[0];
    HEAP32[(out >> 2) + 1] = size[1];
    return 1;
  },

  // Puts the frame of RGBA pixels at `pixels` on the canvas: of it only the `count` rectangles
  // at `areas` (x, y, width, height each), which hold all that changed.
  vexel_page_show__deps: ['$vexelPage'],
  vexel_page_show: function(pixels, areas, count) {
    var p = vexelPage, c = p.canvas;
    if (!p.image || p.imageAt !== pixels || p.imageBuffer !== HEAPU8.buffer) {
      p.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, c.width * c.height * 4),
                              c.width, c.height);
      p.imageAt = pixels;
      p.imageBuffer = HEAPU8.buffer;
    }
    var s = p.stats;
    for (var i = 0, at = areas >> 2; i < count; i++, at += 4) {
      p.context.putImageData(p.image, 0, 0, HEAP32[at], HEAP32[at + 1], HEAP32[at + 2],
                             HEAP32[at + 3]);
      s.pixels += HEAP32[at + 2] * HEAP32[at + 3];
    }
    s.rectangles += count;
    if (s.frames++ === 0) s.firstFrameAt = performance.now();
    if (p.resumedAt > 0) {
      // a ring of the last 1000 frames
      s.work[s.workAt] = performance.now() - p.resumedAt;
      s.workAt = (s.workAt + 1) % 1000;
      p.resumedAt = 0;
    }
  },

  vexel_page_cursor__deps: ['$vexelPage'],
  vexel_page_cursor: function(visible) {
    vexelPage.canvas.style.cursor = visible ? 'default' : 'none';
  },

  // The next queued event into out[0..4]; 0 when none is waiting.
  vexel_page_next_event__deps: ['$vexelPage'],
  vexel_page_next_event: function(out) {
    var e = vexelPage.events.shift();
    if (!e) return 0;
    for (var i = 0; i < 5; i++) HEAP32[(out >> 2) + i] = e[i];
    return 1;
  },

  // A finished file offered as a download (the page keeps no files); 1 when offered.
  vexel_page_download: function(namePtr, mimePtr, data, size) {
    var name = UTF8ToString(namePtr), mime = UTF8ToString(mimePtr);
    var url = URL.createObjectURL(new Blob([HEAPU8.slice(data, data + size)], { type: mime }));
    var a = document.createElement('a');
    a.href = url;
    a.download = name;
    a.style.display = 'none';
    document.body.appendChild(a);
    a.click();
    a.remove();
    // the browser has read the file long before
    setTimeout(function() { URL.revokeObjectURL(url); }, 60000);
    return 1;
  },

  // The text onto the clipboard; 0 where the page has no clipboard (an address not secure). The
  // browser writes it a moment later; a refusal then is only noted.
  vexel_page_copy__deps: ['$vexelPage'],
  vexel_page_copy: function(textPtr) {
    var text = UTF8ToString(textPtr);
    if (!navigator.clipboard || !navigator.clipboard.writeText) return 0;
    vexelPage.stats.copied = text;
    navigator.clipboard.writeText(text).catch(function(e) {
      console.warn('the clipboard refused the figure line: ' + e);
    });
    return 1;
  },

  // The figure line into the page's address, as its fragment, without a new history entry.
  vexel_page_share: function(linePtr) {
    var line = UTF8ToString(linePtr);
    history.replaceState(history.state, '', '#' + line);
  },

  // A modal box in the page: the program waits until a button is chosen. Answers the button's
  // number (1 OK, 6 Yes, 7 No).
  vexel_page_box__deps: ['$vexelPage', '$callUserCallback'],
  vexel_page_box: function(captionPtr, textPtr, yesNo, stop) {
    var caption = UTF8ToString(captionPtr), text = UTF8ToString(textPtr);
    if (stop) vexelPage.lastStopBox = [caption, text];
    return Asyncify.handleSleep(function(wakeUp) {
      var d = document, box = d.getElementById('box');
      d.getElementById('box-caption').textContent = caption;
      d.getElementById('box-text').textContent = text;
      box.className = stop ? 'stop' : '';
      var buttons = d.getElementById('box-buttons');
      buttons.textContent = '';
      var keys;
      var answer = function(value) {
        window.removeEventListener('keydown', keys, true);
        box.hidden = true;
        vexelPage.boxOpen = false;
        vexelPage.resumedAt = 0;
        vexelPage.resume(function() { wakeUp(value); });
      };
      var choices = yesNo ? [['Yes', 6], ['No', 7]] : [['OK', 1]];
      choices.forEach(function(choice) {
        var b = d.createElement('button');
        b.type = 'button';
        b.textContent = choice[0];
        b.addEventListener('click', function() { answer(choice[1]); });
        buttons.appendChild(b);
      });
      keys = function(e) {
        // Enter takes the first button, Escape the last, as on the desktop
        if (e.key === 'Enter' || e.key === 'Escape') {
          e.preventDefault();
          e.stopPropagation();
          answer(choices[e.key === 'Enter' ? 0 : choices.length - 1][1]);
        }
      };
      window.addEventListener('keydown', keys, true);
      vexelPage.boxOpen = true;
      box.hidden = false;
      buttons.firstChild.focus();
    });
  },
});
