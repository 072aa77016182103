#pragma once
// The pace of playback in the preview area.

// Milliseconds between frames at a rate: 1000 / rate, whole milliseconds (41
// at 24 frames per second). A rate below 1 plays at one frame per second; no
// rate goes faster than a frame every 10 ms.
int PlaybackInterval(int rate);

// The progress bar one step on: past its end it starts over from the start
// of its range, keeping in step with the frames.
int StepProgress(int value, int minimum, int maximum);

// What a tick does after showing frame `shown` of `frames`.
enum class TickEnd {
  Advance,  // more frames follow: move the indicators, go on with the next
  Restart,  // the last frame was shown and playback loops: frame 1 is next
  Stop,     // the last frame was shown: playback ends
};
TickEnd AfterTick(int shown, int frames, bool loop);
