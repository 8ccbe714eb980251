// platform: the page's four files (the pictures of the chosen language and the font), put into
// the program's file system before it starts. The page fetches them compressed (gzip, made by
// ./web.sh) and the browser's own DecompressionStream unpacks them; the single-file page carries
// them inside (Module.vexelEmbedded, base64). A file that cannot be had is left out: the program
// then says which one is missing, as it does on the desktop.

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
  Module['preRun'] = [].concat(Module['preRun'] || [], function () {
    addRunDependency('vexel-files');
    files.then(function (loaded) {
      loaded.forEach(function (file) {
        if (!file) return;
        var slash = file[0].lastIndexOf('/');
        if (slash > 0) FS.createPath('/', file[0].slice(0, slash), true, true);
        FS.createDataFile('/' + file[0], null, file[1], true, true, true);
      });
      removeRunDependency('vexel-files');
    });
  });
})();
