// A song written as text: tempo, bars, a melody line, the chords and one-bar
// patterns for bass, chord stabs and drums; RenderSong plays it into a
// wrapping stereo buffer of exactly its bars.
#pragma once

#include "synth.h"

// Melody and chord lines are tokens "NAME:steps" (steps are sixteenth notes).
//   melody: "E5:4 G5:2 r:2" (r rests);  chords: "C:16 Am:8 G7:8".
// Patterns have 16 characters per bar, repeated every bar:
//   bass: R root, F fifth, O octave, T third, . hold, - silence;
//   stabs / bells: x plays, . nothing;  drums: k kick, s snare, c clap,
//   h closed hat, o open hat, . nothing. The fill pattern replaces the drums
//   in every fourth bar.
struct Song {
  int bpm;
  int bars;
  const char* melody;
  const char* chords;
  const char* bass;
  const char* stabs;
  const char* bells;
  const char* kick;
  const char* snare;
  const char* hats;
  const char* fillSnare;
  float leadGain;
  float bellDouble;  // gain of a chime doubling the melody an octave up
  float padGain;
  uint64_t seed;
};

AudioBuffer RenderSong(const Song& song);
