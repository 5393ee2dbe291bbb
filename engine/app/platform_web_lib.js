// Functions of the browser's side that the web build takes in place of
// Emscripten's own. Linked with --js-library beside platform_web.cpp.

mergeInto(LibraryManager.library, {
  // The pixels per CSS pixel that SDL gives the canvas's drawing buffer (it
  // asks at start-up and at each resize of the window). The game draws its
  // 1024 x 576 picture, so a buffer beyond that adds no detail but costs
  // fill: the ratio is held down to what makes the canvas's box 1024 x 576
  // pixels (never below the screen's own ratio where the box is smaller),
  // and the browser scales the canvas to its box. Input positions are in CSS
  // pixels and do not change.
  emscripten_get_device_pixel_ratio: function () {
    var kPictureWidth = 1024;
    var kPictureHeight = 576;
    var ratio = (typeof devicePixelRatio == 'number' && devicePixelRatio) || 1.0;
    var canvas = Module['canvas'];
    if (!canvas || !canvas.getBoundingClientRect) return ratio;
    // SDL sizes the buffer from the box's whole CSS pixels times the ratio,
    // rounded down: the cap is reckoned the same way and nudged up, so a
    // capped buffer is 1024 wide, not 1023.
    var box = canvas.getBoundingClientRect();
    var width = Math.floor(box.width);
    var height = Math.floor(box.height);
    if (!(width > 0 && height > 0)) return ratio;
    var cap = Math.max(kPictureWidth / width, kPictureHeight / height) * (1 + 1e-9);
    return Math.min(ratio, cap);
  },
});
