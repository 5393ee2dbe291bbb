// Sound effects: short mono sounds, each built from a few voices and shaped
// noise, mastered to the same peak so none stands out.
#include "effects.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kEffectPeak = 0.8f;

int Frames(double seconds) { return static_cast<int>(seconds * kSampleRate); }
int64_t At(double seconds) { return static_cast<int64_t>(seconds * kSampleRate); }

// A swept sine: pitch glides exponentially from `from` to `to` Hz.
void Glide(AudioBuffer* out, double start, double length, double from, double to, float gain,
           float decay) {
  double phase = 0.0;
  const int64_t len = At(length);
  for (int64_t i = 0; i < len; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double freq = from * std::pow(to / from, t / length);
    phase += freq / kSampleRate;
    const float edge = static_cast<float>(std::min(1.0, t / 0.002) * std::min(1.0, (length - t) / 0.01));
    AddSample(out, At(start) + i, FastSine(phase) * std::exp(-decay * static_cast<float>(t)) * edge * gain, Pan{});
  }
}

AudioBuffer Finish(AudioBuffer buffer, float peak = kEffectPeak) {
  Master(&buffer, peak);
  return buffer;
}

}  // namespace

AudioBuffer EffectBlock() {
  AudioBuffer out = MakeBuffer(1, Frames(0.16), false);
  Glide(&out, 0.0, 0.15, 820.0, 360.0, 1.0f, 22.0f);
  Glide(&out, 0.0, 0.05, 1640.0, 900.0, 0.25f, 60.0f);
  return Finish(out);
}

AudioBuffer EffectMake() {
  AudioBuffer out = MakeBuffer(1, Frames(0.95), false);
  VoiceBell(&out, NoteSpec{0, 88, 0.9, 0.5f, 0});           // E6
  VoiceBell(&out, NoteSpec{At(0.06), 95, 0.85, 0.45f, 0});  // B6
  VoiceBell(&out, NoteSpec{At(0.12), 100, 0.8, 0.25f, 0});  // E7
  return Finish(out);
}

AudioBuffer EffectMiss() {
  AudioBuffer out = MakeBuffer(1, Frames(0.5), false);
  LowPass muffle;
  muffle.SetCutoff(900.0f);
  double phase = 0.0;
  for (int i = 0; i < out.frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    // A buzzy low tone that sags in pitch: the sound of a flop.
    const double freq = 120.0 * std::pow(0.7, t / 0.5) * (1.0 + 0.03 * FastSine(t * 14.0));
    phase += freq / kSampleRate;
    const double p = phase - std::floor(phase);
    const float saw = static_cast<float>(2.0 * p - 1.0);
    const float env = Adsr(t, 0.38, 0.01, 0.1, 0.8f, 0.11);
    out.samples[i] = muffle.Step(saw) * env;
  }
  // A sustained buzz sounds louder than a ping of the same peak.
  return Finish(out, 0.55f);
}

AudioBuffer EffectEat() {
  AudioBuffer out = MakeBuffer(1, Frames(0.42), false);
  Random rng(7);
  // Two chomps: a low thump with a crunchy burst of filtered noise each.
  for (int bite = 0; bite < 2; ++bite) {
    const double start = bite * 0.17;
    Glide(&out, start, 0.12, 210.0, 90.0, 0.8f, 18.0f);
    LowPass crunch;
    crunch.SetCutoff(bite == 0 ? 2600.0f : 2000.0f);
    const int64_t len = At(0.1);
    for (int64_t i = 0; i < len; ++i) {
      const double t = static_cast<double>(i) / kSampleRate;
      // Grainy: the noise comes in little clusters.
      const float grain = 0.5f + 0.5f * FastSine(t * 95.0);
      const float env = std::exp(-30.0f * static_cast<float>(t)) * static_cast<float>(std::min(1.0, t / 0.002));
      AddSample(&out, At(start) + i, crunch.Step(rng.Bipolar()) * grain * env * 1.2f, Pan{});
    }
  }
  return Finish(out);
}

AudioBuffer EffectFever() {
  AudioBuffer out = MakeBuffer(1, Frames(1.3), false);
  // Up a C major arpeggio over two octaves, then a ringing top note.
  const int notes[] = {72, 76, 79, 84, 88, 91, 96};
  for (int i = 0; i < 7; ++i) {
    VoiceLead(&out, NoteSpec{At(i * 0.055), static_cast<double>(notes[i]), 0.09, 0.35f, 0});
    VoiceBell(&out, NoteSpec{At(i * 0.055), static_cast<double>(notes[i] + 12), 0.5, 0.18f, 0});
  }
  VoiceLead(&out, NoteSpec{At(0.39), 100, 0.45, 0.35f, 0});
  VoiceBell(&out, NoteSpec{At(0.39), 100, 0.9, 0.35f, 0});
  Glide(&out, 0.0, 0.4, 300.0, 1800.0, 0.15f, 0.0f);
  return Finish(out);
}

AudioBuffer EffectOrder() {
  AudioBuffer out = MakeBuffer(1, Frames(1.25), false);
  // "Ta-da-da-daa": G5 C6 E6 then a held G6 over a C major chord.
  const double starts[] = {0.0, 0.1, 0.2, 0.32};
  const int notes[] = {79, 84, 88, 91};
  const double holds[] = {0.08, 0.08, 0.1, 0.55};
  for (int i = 0; i < 4; ++i) {
    VoiceLead(&out, NoteSpec{At(starts[i]), static_cast<double>(notes[i]), holds[i], 0.4f, 0});
    VoiceBell(&out, NoteSpec{At(starts[i]), static_cast<double>(notes[i]), 0.8, 0.2f, 0});
  }
  for (int note : {60, 64, 67, 72}) VoicePluck(&out, NoteSpec{At(0.32), static_cast<double>(note), 0.6, 0.18f, 0});
  return Finish(out);
}

AudioBuffer EffectNewPlate() {
  AudioBuffer out = MakeBuffer(1, Frames(1.0), false);
  Random rng(11);
  // A shower of high pings rising in pitch, like light glinting.
  for (int i = 0; i < 9; ++i) {
    const double note = 86 + i * 1.6 + rng.Uniform() * 3.0;
    VoiceBell(&out, NoteSpec{At(i * 0.045 + rng.Uniform() * 0.02), note, 0.4, 0.22f, 0});
  }
  LowPass soft;
  soft.SetCutoff(9000.0f);
  float last = 0.0f;
  for (int64_t i = 0; i < At(0.5); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const float white = rng.Bipolar();
    const float hiss = soft.Step(white - last);
    last = white;
    const float env = static_cast<float>(std::sin(kPi * t / 0.5)) * 0.12f;
    AddSample(&out, i, hiss * env, Pan{});
  }
  return Finish(out);
}

AudioBuffer EffectPageFlip() {
  AudioBuffer out = MakeBuffer(1, Frames(0.32), false);
  Random rng(5);
  LowPass low, high;
  for (int i = 0; i < out.frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    // A band of noise sweeping upward, swelling and falling: a page turned fast.
    const float centre = static_cast<float>(700.0 + 4500.0 * t / 0.32);
    low.SetCutoff(centre * 1.8f);
    high.SetCutoff(centre * 0.6f);
    const float x = rng.Bipolar();
    const float band = low.Step(x) - high.Step(x);
    const float swell = static_cast<float>(std::sin(kPi * std::pow(t / 0.32, 0.6)));
    // A little flutter as the paper flaps.
    const float flutter = 0.75f + 0.25f * FastSine(t * 38.0);
    out.samples[i] = band * swell * flutter;
  }
  return Finish(out);
}
