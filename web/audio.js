// Web Audio behind web/audio.cpp. The AudioContext may start suspended (browsers allow sound
// only after a user gesture): the page resumes it on START, and the first key or click on the
// page resumes it too. Sounds decode asynchronously; a channel whose sound has not decoded
// yet stays silent, as a channel with no sound does in the desktop library.
var VantrelAudioLibrary = {
  $vantrelAudio: {
    context: null,
    output: null,
    buffers: [],        // by slot: channels 0..6, then the engine loop
    voices: [],         // playing one-shot sources by voice
    engine: null,       // {source, gain} while the loop runs
    engineSlot: -1,
    engineRate: 1,
    engineGain: 0,
    stats: {decoded: 0, played: 0, failed: 0},
    glideSeconds: 0.023,  // the desktop library's buffer: a level change never clicks

    resumeOnGesture: function() {
      var resume = function() {
        if (vantrelAudio.context && vantrelAudio.context.state === 'suspended') vantrelAudio.context.resume();
        document.removeEventListener('keydown', resume, true);
        document.removeEventListener('pointerdown', resume, true);
      };
      document.addEventListener('keydown', resume, true);
      document.addEventListener('pointerdown', resume, true);
    },

    glide: function(param, value) {
      var now = vantrelAudio.context.currentTime;
      param.cancelScheduledValues(now);
      param.setValueAtTime(param.value, now);
      param.linearRampToValueAtTime(value, now + vantrelAudio.glideSeconds);
    },
  },

  vantrel_audio_open__deps: ['$vantrelAudio'],
  vantrel_audio_open: function(engineSlot) {
    vantrelAudio.engineSlot = engineSlot;
    var Context = typeof window !== 'undefined' && (window.AudioContext || window.webkitAudioContext);
    if (!Context) {
      console.warn('vantrel: no audio output (this browser has no Web Audio); playing without sound');
      return 0;
    }
    try {
      vantrelAudio.context = new Context();
    } catch (e) {
      console.warn('vantrel: no audio output (' + e.message + '); playing without sound');
      return 0;
    }
    vantrelAudio.output = vantrelAudio.context.destination;
    if (vantrelAudio.context.state === 'suspended') vantrelAudio.resumeOnGesture();
    Module['vantrelAudio'] = {
      resume: function() { return vantrelAudio.context ? vantrelAudio.context.resume() : Promise.resolve(); },
      stats: vantrelAudio.stats,
    };
    return 1;
  },

  vantrel_audio_close__deps: ['$vantrelAudio', 'vantrel_audio_engine_stop'],
  vantrel_audio_close: function() {
    _vantrel_audio_engine_stop();
    vantrelAudio.voices.forEach(function(source) { if (source) source.stop(); });
    vantrelAudio.voices = [];
    vantrelAudio.buffers = [];
    if (vantrelAudio.context) vantrelAudio.context.close();
    vantrelAudio.context = null;
  },

  vantrel_audio_load__deps: ['$vantrelAudio', '$FS', 'vantrel_audio_engine_start'],
  vantrel_audio_load: function(slot, pathPointer) {
    var path = UTF8ToString(pathPointer);
    var bytes;
    try {
      bytes = FS.readFile(path);
    } catch (e) {
      return 0;
    }
    // decodeAudioData takes the buffer over, so it gets a copy of its own.
    var copy = bytes.slice().buffer;
    vantrelAudio.buffers[slot] = null;
    vantrelAudio.context.decodeAudioData(copy).then(function(buffer) {
      if (!vantrelAudio.context) return;
      vantrelAudio.buffers[slot] = buffer;
      vantrelAudio.stats.decoded++;
      if (vantrelAudio.engine && slot === vantrelAudio.engineSlot) _vantrel_audio_engine_start();
    }, function(error) {
      vantrelAudio.stats.failed++;
      console.warn('vantrel: ' + path + ' cannot be played (' + (error && error.message || error) + ')');
    });
    return 1;
  },

  vantrel_audio_play__deps: ['$vantrelAudio'],
  vantrel_audio_play: function(slot, voice, gain) {
    var buffer = vantrelAudio.buffers[slot];
    if (!buffer) return;
    var previous = vantrelAudio.voices[voice];
    if (previous) previous.stop();
    var context = vantrelAudio.context;
    var source = context.createBufferSource();
    var volume = context.createGain();
    source.buffer = buffer;
    volume.gain.value = gain;
    source.connect(volume).connect(vantrelAudio.output);
    source.onended = function() {
      if (vantrelAudio.voices[voice] === source) vantrelAudio.voices[voice] = null;
    };
    vantrelAudio.voices[voice] = source;
    source.start();
    vantrelAudio.stats.played++;
  },

  vantrel_audio_engine_start__deps: ['$vantrelAudio', 'vantrel_audio_engine_stop'],
  vantrel_audio_engine_start: function() {
    _vantrel_audio_engine_stop();
    var context = vantrelAudio.context;
    var running = {source: null, gain: context.createGain()};
    vantrelAudio.engine = running;
    running.gain.gain.value = 0;
    running.gain.connect(vantrelAudio.output);
    var buffer = vantrelAudio.buffers[vantrelAudio.engineSlot];
    if (!buffer) return;  // starts once the loop's sound has decoded
    running.source = context.createBufferSource();
    running.source.buffer = buffer;
    running.source.loop = true;
    running.source.playbackRate.value = vantrelAudio.engineRate;
    running.source.connect(running.gain);
    running.source.start();
    vantrelAudio.glide(running.gain.gain, vantrelAudio.engineGain);
  },

  vantrel_audio_engine_set__deps: ['$vantrelAudio'],
  vantrel_audio_engine_set: function(rate, gain) {
    vantrelAudio.engineRate = rate;
    vantrelAudio.engineGain = gain;
    var running = vantrelAudio.engine;
    if (!running) return;
    if (running.source) running.source.playbackRate.value = rate;
    vantrelAudio.glide(running.gain.gain, gain);
  },

  vantrel_audio_engine_stop__deps: ['$vantrelAudio'],
  vantrel_audio_engine_stop: function() {
    var running = vantrelAudio.engine;
    vantrelAudio.engine = null;
    if (!running) return;
    if (running.source) running.source.stop();
    running.gain.disconnect();
  },
};

mergeInto(LibraryManager.library, VantrelAudioLibrary);
