#pragma once
// The pace of playback in the preview area.

// Milliseconds between frames at a rate: 1000 / rate, whole milliseconds (41
// at 24 frames per second). A rate below 1 plays at one frame per second.
int PlaybackInterval(int rate);

// What a tick does after showing frame `shown` of `frames`.
enum class TickEnd {
  Advance,  // more frames follow: move the indicators, go on with the next
  Restart,  // the last frame was shown and playback loops: frame 1 is next
  Stop,     // the last frame was shown: playback ends
};
TickEnd AfterTick(int shown, int frames, bool loop);
