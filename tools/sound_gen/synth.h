// The small synthesiser behind every sound of the game: sample buffers that
// can wrap around (so a music loop's tails land on its start), oscillators,
// envelopes, filters, and the voices the effects and songs are made of.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// Interleaved float samples. A wrapping buffer adds whatever falls past its end
// onto its start: the sound of a loop as it is heard when played round and round.
struct AudioBuffer {
  int channels = 1;
  int frames = 0;
  bool wrap = false;
  std::vector<float> samples;
};

AudioBuffer MakeBuffer(int channels, int frames, bool wrap);
// Channel gains of a position -1 (left) .. 1 (right), equal power.
struct Pan {
  float left = 1.0f;
  float right = 1.0f;
};
Pan PanAt(float position);
// Adds value at frame; mono buffers ignore the pan.
void AddSample(AudioBuffer* buffer, int64_t frame, float value, Pan pan);
// Scales the whole buffer so its peak is `peak`, after a gentle soft clip.
void Master(AudioBuffer* buffer, float peak);
// Circular feedback echo (delay in frames), stereo channels crossed for width.
void AddEcho(AudioBuffer* buffer, int delay, float feedback, float mix);

// Deterministic pseudo-random numbers (xorshift), so every build is identical.
struct Random {
  uint64_t state;
  explicit Random(uint64_t seed) : state(seed * 2654435761u + 0x9E3779B97F4A7C15ull) {}
  uint64_t Next();
  float Uniform();   // 0 .. 1
  float Bipolar();   // -1 .. 1
};

double MidiFrequency(double note);
float FastSine(double phase);  // phase in turns

// One-pole low-pass filter.
struct LowPass {
  float a = 1.0f, y = 0.0f;
  void SetCutoff(float hz);
  float Step(float x);
};

// Attack / decay-to-sustain / release envelope, in seconds; value at time t of
// a note held for `hold` seconds. Every edge is a ramp, so nothing clicks.
float Adsr(double t, double hold, double attack, double decay, float sustain, double release);

// Voices. Each renders one note into the buffer starting at `frame`.
struct NoteSpec {
  int64_t frame = 0;
  double note = 60;       // MIDI note (fractional allowed)
  double seconds = 0.25;  // held length
  float gain = 0.3f;
  float pan = 0.0f;
};
void VoiceLead(AudioBuffer* out, const NoteSpec& n);      // soft square with vibrato
void VoiceBell(AudioBuffer* out, const NoteSpec& n);      // glockenspiel-like chime
void VoicePluck(AudioBuffer* out, const NoteSpec& n);     // plucked chord tone
void VoiceBass(AudioBuffer* out, const NoteSpec& n);      // round bass
void VoicePad(AudioBuffer* out, const NoteSpec& n);       // soft sustained chord tone
void DrumKick(AudioBuffer* out, int64_t frame, float gain);
void DrumSnare(AudioBuffer* out, int64_t frame, float gain, Random* rng);
void DrumHat(AudioBuffer* out, int64_t frame, float gain, bool open, Random* rng);
void DrumClap(AudioBuffer* out, int64_t frame, float gain, Random* rng);
