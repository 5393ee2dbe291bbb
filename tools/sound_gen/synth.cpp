// Oscillators, envelopes, filters and voices of the synthesiser.
#include "synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSineTableSize = 4096;

const std::vector<float>& SineTable() {
  static const std::vector<float> table = [] {
    std::vector<float> t(kSineTableSize + 1);
    for (int i = 0; i <= kSineTableSize; ++i) t[i] = static_cast<float>(std::sin(2 * kPi * i / kSineTableSize));
    return t;
  }();
  return table;
}

int64_t Frames(double seconds) { return static_cast<int64_t>(seconds * kSampleRate); }

// Additive oscillator: harmonics up to a safe limit below Nyquist, so high
// notes stay clean. amp(k) gives each harmonic's amplitude.
template <typename Amp>
float Harmonics(double phase, double freq, int maxHarmonic, Amp amp) {
  float sum = 0.0f;
  for (int k = 1; k <= maxHarmonic; ++k) {
    if (freq * k > 15000.0) break;
    const float a = amp(k);
    if (a != 0.0f) sum += a * FastSine(phase * k);
  }
  return sum;
}

}  // namespace

AudioBuffer MakeBuffer(int channels, int frames, bool wrap) {
  AudioBuffer b;
  b.channels = channels;
  b.frames = frames;
  b.wrap = wrap;
  b.samples.assign(static_cast<size_t>(channels) * frames, 0.0f);
  return b;
}

Pan PanAt(float position) {
  const double angle = (std::clamp(position, -1.0f, 1.0f) + 1.0) * kPi / 4;
  return Pan{static_cast<float>(std::cos(angle) * 1.41421356), static_cast<float>(std::sin(angle) * 1.41421356)};
}

void AddSample(AudioBuffer* buffer, int64_t frame, float value, Pan pan) {
  if (buffer->wrap) {
    frame %= buffer->frames;
    if (frame < 0) frame += buffer->frames;
  } else if (frame < 0 || frame >= buffer->frames) {
    return;
  }
  if (buffer->channels == 1) {
    buffer->samples[static_cast<size_t>(frame)] += value;
    return;
  }
  buffer->samples[static_cast<size_t>(frame) * 2] += value * pan.left;
  buffer->samples[static_cast<size_t>(frame) * 2 + 1] += value * pan.right;
}

void Master(AudioBuffer* buffer, float peak) {
  float max = 0.0f;
  for (float& s : buffer->samples) {
    s = std::tanh(s * 0.9f) / 0.9f;
    max = std::max(max, std::fabs(s));
  }
  if (max <= 0.0f) return;
  const float scale = peak / max;
  for (float& s : buffer->samples) s *= scale;
}

void AddEcho(AudioBuffer* buffer, int delay, float feedback, float mix) {
  const int ch = buffer->channels;
  const int64_t n = buffer->frames;
  std::vector<float> wet(buffer->samples.size(), 0.0f);
  // Echo of the dry signal, fed back; a wrapping buffer goes round three times
  // so the echoes of the loop's end arrive at its start.
  const int passes = buffer->wrap ? 3 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    for (int64_t i = 0; i < n; ++i) {
      int64_t j = i - delay;
      if (j < 0) {
        if (!buffer->wrap) continue;
        j += n;
      }
      for (int c = 0; c < ch; ++c) {
        const int src = ch == 2 ? 1 - c : c;
        wet[i * ch + c] = buffer->samples[j * ch + src] + feedback * wet[j * ch + src];
      }
    }
  }
  for (size_t i = 0; i < wet.size(); ++i) buffer->samples[i] += mix * wet[i];
}

uint64_t Random::Next() {
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return state;
}

float Random::Uniform() { return static_cast<float>((Next() >> 11) * (1.0 / 9007199254740992.0)); }
float Random::Bipolar() { return Uniform() * 2.0f - 1.0f; }

double MidiFrequency(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

float FastSine(double phase) {
  phase -= std::floor(phase);
  const double pos = phase * kSineTableSize;
  const int i = static_cast<int>(pos);
  const float f = static_cast<float>(pos - i);
  const std::vector<float>& t = SineTable();
  return t[i] + (t[i + 1] - t[i]) * f;
}

void LowPass::SetCutoff(float hz) {
  a = 1.0f - std::exp(static_cast<float>(-2.0 * kPi * hz / kSampleRate));
}

float LowPass::Step(float x) {
  y += a * (x - y);
  return y;
}

float Adsr(double t, double hold, double attack, double decay, float sustain, double release) {
  if (t < 0) return 0.0f;
  auto held = [&](double u) -> float {
    if (u < attack) return static_cast<float>(u / attack);
    if (u < attack + decay) return static_cast<float>(1.0 - (1.0 - sustain) * (u - attack) / decay);
    return sustain;
  };
  if (t < hold) return held(t);
  const double r = t - hold;
  if (r >= release) return 0.0f;
  return held(hold) * static_cast<float>(1.0 - r / release);
}

void VoiceLead(AudioBuffer* out, const NoteSpec& n) {
  const Pan pan = PanAt(n.pan);
  const double freq = MidiFrequency(n.note);
  const double release = 0.08;
  const int64_t len = Frames(n.seconds + release);
  double phase = 0.0;
  LowPass tone;
  tone.SetCutoff(3800.0f);
  for (int64_t i = 0; i < len; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    // Vibrato fades in after the first tenth of a second.
    const double vib = 1.0 + 0.004 * std::min(1.0, t * 6.0) * FastSine(t * 5.5);
    phase += freq * vib / kSampleRate;
    const float wave = Harmonics(phase, freq, 9, [](int k) { return (k % 2) ? 1.0f / k : 0.12f / k; });
    const float env = Adsr(t, n.seconds, 0.008, 0.12, 0.7f, release);
    AddSample(out, n.frame + i, tone.Step(wave) * env * n.gain, pan);
  }
}

void VoiceBell(AudioBuffer* out, const NoteSpec& n) {
  const Pan pan = PanAt(n.pan);
  const double freq = MidiFrequency(n.note);
  const double length = std::max(n.seconds, 0.9);
  const int64_t len = Frames(length);
  // Inharmonic partials with their own decay rates make the metallic ring.
  const double ratios[4] = {1.0, 2.0, 3.01, 4.17};
  const float amps[4] = {1.0f, 0.45f, 0.22f, 0.12f};
  const float decays[4] = {3.5f, 6.0f, 9.0f, 13.0f};
  for (int64_t i = 0; i < len; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    float s = 0.0f;
    for (int p = 0; p < 4; ++p) {
      if (freq * ratios[p] > 16000.0) continue;
      s += amps[p] * std::exp(-decays[p] * static_cast<float>(t)) * FastSine(freq * ratios[p] * t);
    }
    const float attack = static_cast<float>(std::min(1.0, t / 0.002));
    const float tail = static_cast<float>(std::min(1.0, (length - t) / 0.05));
    AddSample(out, n.frame + i, s * attack * tail * n.gain, pan);
  }
}

void VoicePluck(AudioBuffer* out, const NoteSpec& n) {
  const Pan pan = PanAt(n.pan);
  const double freq = MidiFrequency(n.note);
  const double release = 0.06;
  const int64_t len = Frames(n.seconds + release);
  for (int64_t i = 0; i < len; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    // Upper harmonics die faster than the fundamental, like a plucked string.
    const float bright = std::exp(-10.0f * static_cast<float>(t));
    const float wave = Harmonics(freq * t, freq, 8, [bright](int k) {
      return k == 1 ? 1.0f : bright * 0.7f / static_cast<float>(k);
    });
    const float env = Adsr(t, n.seconds, 0.004, 0.25, 0.35f, release) *
                      std::exp(-1.5f * static_cast<float>(t));
    AddSample(out, n.frame + i, wave * env * n.gain, pan);
  }
}

void VoiceBass(AudioBuffer* out, const NoteSpec& n) {
  const Pan pan = PanAt(n.pan);
  const double freq = MidiFrequency(n.note);
  const double release = 0.05;
  const int64_t len = Frames(n.seconds + release);
  for (int64_t i = 0; i < len; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const float pluck = std::exp(-8.0f * static_cast<float>(t));
    const float wave = Harmonics(freq * t, freq, 7, [pluck](int k) {
      if (k == 1) return 1.0f;
      return (k % 2) ? (0.35f + 0.4f * pluck) / static_cast<float>(k * k) * 4.0f : 0.15f * pluck / k;
    });
    const float env = Adsr(t, n.seconds, 0.006, 0.15, 0.75f, release);
    AddSample(out, n.frame + i, wave * env * n.gain, pan);
  }
}

void VoicePad(AudioBuffer* out, const NoteSpec& n) {
  const Pan pan = PanAt(n.pan);
  const double freq = MidiFrequency(n.note);
  const double release = 0.25;
  const int64_t len = Frames(n.seconds + release);
  for (int64_t i = 0; i < len; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    // Two slightly detuned soft waves beat gently against each other.
    const float a = Harmonics(freq * t, freq, 5, [](int k) { return 0.8f / (k * k); });
    const float b = Harmonics(freq * 1.004 * t + 0.3, freq, 5, [](int k) { return 0.8f / (k * k); });
    const float env = Adsr(t, n.seconds, 0.12, 0.3, 0.8f, release);
    AddSample(out, n.frame + i, (a + b) * 0.5f * env * n.gain, pan);
  }
}

void DrumKick(AudioBuffer* out, int64_t frame, float gain) {
  const int64_t len = Frames(0.35);
  double phase = 0.0;
  for (int64_t i = 0; i < len; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double freq = 48.0 + 110.0 * std::exp(-t * 28.0);
    phase += freq / kSampleRate;
    const float env = std::exp(-7.0f * static_cast<float>(t)) * static_cast<float>(std::min(1.0, t / 0.001)) *
                      static_cast<float>(std::min(1.0, (0.35 - t) / 0.03));
    AddSample(out, frame + i, FastSine(phase) * env * gain, Pan{});
  }
}

void DrumSnare(AudioBuffer* out, int64_t frame, float gain, Random* rng) {
  const int64_t len = Frames(0.22);
  const Pan snarePan = PanAt(0.05f);
  LowPass body;
  body.SetCutoff(6000.0f);
  for (int64_t i = 0; i < len; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const float noise = body.Step(rng->Bipolar()) * std::exp(-16.0f * static_cast<float>(t));
    const float tone = FastSine(185.0 * t) * std::exp(-25.0f * static_cast<float>(t)) * 0.6f;
    const float edge = static_cast<float>(std::min(1.0, t / 0.001) * std::min(1.0, (0.22 - t) / 0.02));
    AddSample(out, frame + i, (noise + tone) * edge * gain, snarePan);
  }
}

void DrumHat(AudioBuffer* out, int64_t frame, float gain, bool open, Random* rng) {
  const double length = open ? 0.25 : 0.06;
  const int64_t len = Frames(length);
  const Pan hatPan = PanAt(0.3f);
  float last = 0.0f;
  for (int64_t i = 0; i < len; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const float white = rng->Bipolar();
    // The difference of successive noise samples keeps only the sizzle.
    const float high = white - last;
    last = white;
    const float decay = open ? 12.0f : 60.0f;
    const float edge = static_cast<float>(std::min(1.0, t / 0.0005) * std::min(1.0, (length - t) / 0.01));
    AddSample(out, frame + i, high * std::exp(-decay * static_cast<float>(t)) * edge * gain, hatPan);
  }
}

void DrumClap(AudioBuffer* out, int64_t frame, float gain, Random* rng) {
  const int64_t len = Frames(0.2);
  const Pan clapPan = PanAt(-0.2f);
  LowPass band;
  band.SetCutoff(2500.0f);
  float last = 0.0f;
  for (int64_t i = 0; i < len; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    // Three quick bursts, then a short tail: hands clapping.
    const double burst = std::fmod(t, 0.011);
    float env = t < 0.033 ? static_cast<float>(std::exp(-burst * 300.0))
                          : std::exp(-20.0f * static_cast<float>(t - 0.033));
    env *= static_cast<float>(std::min(1.0, (0.2 - t) / 0.02));
    const float lp = band.Step(rng->Bipolar());
    const float bp = lp - last * 0.7f;
    last = lp;
    AddSample(out, frame + i, bp * env * gain, clapPan);
  }
}
