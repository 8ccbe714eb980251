// platform: the page's four files (the pictures of the chosen language and the font), put into
// the program's file system before it starts. The page fetches them compressed (gzip, made by
// ./web.sh) and the browser's own DecompressionStream unpacks them; the single-file page carries
// them inside (Module.vexelEmbedded, base64). A file that cannot be had is left out: the program
// then says which one is missing, as it does on the desktop.
// The pictures made at larger sizes (menu@2.vex...; Module.vexelLargePictures, named by
// pack_page.mjs) are fetched only once the page shows the canvas larger than 800 x 600 device
// pixels (a large window at any device pixel ratio, or a dense screen), those the size shown needs (Module.vexelNeedLarge, asked by vexel_page.js); the program runs on
// meanwhile.

// The files are asked for at once, while the program itself loads; the program starts when they
// are in place.
(function () {
  var args = Module['arguments'] || [];
  var at = args.indexOf('--lang');
  var language = at >= 0 && args[at + 1] === 'en' ? 'en' : 'hu';
  var names = ['Fonts.fnt'].concat(['menu.vex', 'sugo.vex', 'vex.vex'].map(function (name) {
    return language === 'hu' ? name : language + '/' + name;
  }));
  var embedded = Module['vexelEmbedded'];

  function unpacked(stream) {
    return new Response(stream.pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
  }
  function fileBytes(name) {
    if (embedded) {
      var text = atob(embedded[name]);
      var bytes = new Uint8Array(text.length);
      for (var i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
      return unpacked(new Blob([bytes]).stream());
    }
    return fetch('files/' + name + '.gz').then(function (response) {
      if (!response.ok) throw new Error(response.status + ' for ' + name);
      return unpacked(response.body);
    });
  }

  var files = Promise.all(names.map(function (name) {
    return fileBytes(name).then(function (data) { return [name, new Uint8Array(data)]; },
                                function () { return null; });
  }));
  // The pictures made at larger sizes (name@N.vex) of the chosen language, which lie beside the
  // pictures the program reads, by picture: [[times, name], ...] from the smallest.
  var larger = {};
  (Module['vexelLargePictures'] || []).forEach(function (name) {
    if (language === 'hu' ? name.indexOf('/') >= 0 : name.indexOf(language + '/') !== 0) return;
    var m = /^(.*)@([0-9]+)(\.vex)$/.exec(name);
    if (!m) return;
    (larger[m[1] + m[3]] = larger[m[1] + m[3]] || []).push([Number(m[2]), name]);
  });
  Object.keys(larger).forEach(function (picture) {
    larger[picture].sort(function (a, b) { return a[0] - b[0]; });
  });
  var fileSystemReady = false, waiting = [], asked = {};
  function place(file) {
    if (!fileSystemReady) return waiting.push(file);
    var slash = file[0].lastIndexOf('/');
    if (slash > 0) FS.createPath('/', file[0].slice(0, slash), true, true);
    FS.createDataFile('/' + file[0], null, file[1], true, true, true);
  }
  // For a frame shown at width x height device pixels: asks for the larger pictures the program
  // takes there (of each, the smallest at least as large, else the largest), each once; true when
  // they are all in place or could not be had (the program then enlarges the 800 x 600 ones).
  Module['vexelNeedLarge'] = function (width, height) {
    var scale = Math.max(width / 800, height / 600), ready = true;
    Object.keys(larger).forEach(function (picture) {
      var sizes = larger[picture], chosen = sizes[sizes.length - 1][1];
      for (var i = 0; i < sizes.length; i++) {
        if (sizes[i][0] >= scale) {
          chosen = sizes[i][1];
          break;
        }
      }
      if (!asked[chosen]) {
        asked[chosen] = { done: false };
        var done = function () { asked[chosen].done = true; };
        fileBytes(chosen).then(function (data) {
          place([chosen, new Uint8Array(data)]);
          done();
        }, done);
      }
      ready = ready && asked[chosen].done;
    });
    return ready;
  };

  Module['preRun'] = [].concat(Module['preRun'] || [], function () {
    fileSystemReady = true;
    waiting.splice(0).forEach(place);
    addRunDependency('vexel-files');
    files.then(function (loaded) {
      loaded.forEach(function (file) {
        if (file) place(file);
      });
      removeRunDependency('vexel-files');
    });
  });
})();
