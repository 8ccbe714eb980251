// platform: the page's four files (the pictures of the chosen language and the font), put into
// the program's file system before it starts. The page fetches them compressed (gzip, made by
// ./web.sh) and the browser's own DecompressionStream unpacks them; the single-file page carries
// them inside (Module.vexelEmbedded, base64). A file that cannot be had is left out: the program
// then says which one is missing, as it does on the desktop.
// The pictures made at a larger size (menu@2.vex...; Module.vexelLargePictures, named by
// pack_page.mjs) are fetched only once the page shows the canvas at a device pixel ratio above 1
// (Module.vexelNeedLarge, asked by vexel_page.js); the program runs on meanwhile.

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
  // the larger pictures: the chosen language's where it has one, as the program looks for them
  var listed = Module['vexelLargePictures'] || [];
  var largeNames = listed.filter(function (name) {
    if (name.indexOf('/') >= 0) return language !== 'hu' && name.indexOf(language + '/') === 0;
    return language === 'hu' || listed.indexOf(language + '/' + name) < 0;
  });
  var fileSystemReady = false, waiting = [], large = null, largeDone = false;
  function place(file) {
    if (!fileSystemReady) return waiting.push(file);
    var slash = file[0].lastIndexOf('/');
    if (slash > 0) FS.createPath('/', file[0].slice(0, slash), true, true);
    FS.createDataFile('/' + file[0], null, file[1], true, true, true);
  }
  // Starts fetching the larger pictures (once); true when they are in place, or could not be had
  // (the program then enlarges the 800 x 600 ones).
  Module['vexelNeedLarge'] = function () {
    if (!large) {
      large = Promise.all(largeNames.map(function (name) {
        return fileBytes(name).then(function (data) { place([name, new Uint8Array(data)]); },
                                    function () {});
      })).then(function () { largeDone = true; });
    }
    return largeDone;
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
