// Song rendering: parses the text lines of a Song and plays every note with
// the synthesiser's voices into a wrapping buffer, so the tails of the last bar
// sound over the first one, exactly as when the loop repeats.
#include "song.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Event {
  int step;
  int length;
  int note;  // MIDI note, -1 for a rest
};

struct Chord {
  int step;
  int length;
  int root;                // pitch class 0..11
  std::vector<int> tones;  // intervals above the root
};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "sound_gen: bad song text: %s\n", what.c_str());
  std::exit(1);
}

int PitchClass(const char** p) {
  static const int kLetters[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  const char letter = **p;
  if (letter < 'A' || letter > 'G') Fail(std::string("note letter ") + letter);
  int pc = kLetters[letter - 'A'];
  ++*p;
  if (**p == '#') {
    ++pc;
    ++*p;
  } else if (**p == 'b') {
    --pc;
    ++*p;
  }
  return (pc + 12) % 12;
}

std::vector<std::string> Tokens(const char* text) {
  std::vector<std::string> out;
  std::string current;
  for (const char* p = text; *p; ++p) {
    if (std::isspace(static_cast<unsigned char>(*p)) || *p == '|') {
      if (!current.empty()) out.push_back(current);
      current.clear();
    } else {
      current += *p;
    }
  }
  if (!current.empty()) out.push_back(current);
  return out;
}

int StepsOf(const std::string& token) {
  const size_t colon = token.find(':');
  if (colon == std::string::npos) Fail(token);
  return std::atoi(token.c_str() + colon + 1);
}

std::vector<Event> ParseMelody(const char* text, int totalSteps) {
  std::vector<Event> events;
  int step = 0;
  for (const std::string& token : Tokens(text)) {
    const int length = StepsOf(token);
    int note = -1;
    if (token[0] != 'r') {
      const char* p = token.c_str();
      const int pc = PitchClass(&p);
      const int octave = *p - '0';
      note = 12 * (octave + 1) + pc;
      // B#, Cb style spellings cross the octave boundary.
      if (token[0] == 'C' && token[1] == 'b') note += 12;
      if (token[0] == 'B' && token[1] == '#') note -= 12;
    }
    events.push_back(Event{step, length, note});
    step += length;
  }
  if (step != totalSteps) Fail("melody has " + std::to_string(step) + " steps, want " + std::to_string(totalSteps));
  return events;
}

std::vector<Chord> ParseChords(const char* text, int totalSteps) {
  std::vector<Chord> chords;
  int step = 0;
  for (const std::string& token : Tokens(text)) {
    const int length = StepsOf(token);
    const char* p = token.c_str();
    Chord chord{step, length, PitchClass(&p), {}};
    const std::string quality(p, token.c_str() + token.find(':'));
    if (quality.empty()) chord.tones = {0, 4, 7};
    else if (quality == "m") chord.tones = {0, 3, 7};
    else if (quality == "7") chord.tones = {0, 4, 7, 10};
    else if (quality == "m7") chord.tones = {0, 3, 7, 10};
    else if (quality == "maj7") chord.tones = {0, 4, 7, 11};
    else Fail("chord " + token);
    chords.push_back(chord);
    step += length;
  }
  if (step != totalSteps) Fail("chords have " + std::to_string(step) + " steps, want " + std::to_string(totalSteps));
  return chords;
}

const Chord& ChordAt(const std::vector<Chord>& chords, int step) {
  for (const Chord& c : chords) {
    if (step >= c.step && step < c.step + c.length) return c;
  }
  return chords.back();
}

// Chord tone voiced close to `centre` (MIDI), for smooth stab voicings.
int Voiced(int pitchClass, int centre) {
  int note = centre - ((centre - pitchClass) % 12 + 12) % 12;
  if (centre - note > 6) note += 12;
  return note;
}

char PatternAt(const char* pattern, int step) {
  const size_t n = std::strlen(pattern);
  if (n == 0) return '.';
  return pattern[static_cast<size_t>(step) % n];
}

}  // namespace

AudioBuffer RenderSong(const Song& song) {
  const int totalSteps = song.bars * 16;
  // Whole frames per step: the loop is exactly its bars, with no drift.
  const int stepFrames = static_cast<int>(std::lround(kSampleRate * 60.0 / song.bpm / 4.0));
  const double stepSeconds = static_cast<double>(stepFrames) / kSampleRate;
  const std::vector<Event> melody = ParseMelody(song.melody, totalSteps);
  const std::vector<Chord> chords = ParseChords(song.chords, totalSteps);
  AudioBuffer mix = MakeBuffer(2, totalSteps * stepFrames, true);
  AudioBuffer lead = MakeBuffer(2, mix.frames, true);
  Random rng(song.seed);
  auto frameOf = [stepFrames](int step) { return static_cast<int64_t>(step) * stepFrames; };

  for (const Event& e : melody) {
    if (e.note < 0) continue;
    const double held = e.length * stepSeconds * 0.9;
    VoiceLead(&lead, NoteSpec{frameOf(e.step), static_cast<double>(e.note), held, song.leadGain, 0.1f});
    if (song.bellDouble > 0) {
      VoiceBell(&lead, NoteSpec{frameOf(e.step), static_cast<double>(e.note + 12), 0.6, song.bellDouble, 0.25f});
    }
  }
  // Echo on the melody only, a dotted eighth apart, crossing the channels.
  AddEcho(&lead, stepFrames * 3, 0.35f, 0.3f);

  int bellTone = 0;
  for (int step = 0; step < totalSteps; ++step) {
    const Chord& chord = ChordAt(chords, step);
    const int bar = step / 16;
    const bool fillBar = (bar % 4) == 3;
    // Bass: a note lasts until the next symbol of the pattern.
    const char b = PatternAt(song.bass, step);
    if (b != '.' && b != '-') {
      int length = 1;
      while (length < 4 && PatternAt(song.bass, step + length) == '.') ++length;
      int interval = 0;
      if (b == 'F') interval = 7;
      else if (b == 'O') interval = 12;
      else if (b == 'T') interval = chord.tones[1];
      VoiceBass(&mix, NoteSpec{frameOf(step), 36.0 + chord.root + interval, length * stepSeconds * 0.85, 0.32f, 0.0f});
    }
    if (PatternAt(song.stabs, step) == 'x') {
      for (int tone : chord.tones) {
        const int note = Voiced((chord.root + tone) % 12, 66);
        VoicePluck(&mix, NoteSpec{frameOf(step), static_cast<double>(note), stepSeconds * 1.5, 0.075f, -0.35f});
      }
    }
    if (PatternAt(song.bells, step) == 'x') {
      const int tone = chord.tones[static_cast<size_t>(bellTone++) % chord.tones.size()];
      VoiceBell(&mix, NoteSpec{frameOf(step), 84.0 + ((chord.root + tone) % 12), 0.5, 0.06f, 0.45f});
    }
    if (step == chord.step && song.padGain > 0) {
      for (int tone : chord.tones) {
        const int note = Voiced((chord.root + tone) % 12, 60);
        VoicePad(&mix, NoteSpec{frameOf(step), static_cast<double>(note), chord.length * stepSeconds * 0.95,
                                song.padGain, tone == 0 ? -0.2f : 0.2f});
      }
    }
    if (PatternAt(song.kick, step) == 'k') DrumKick(&mix, frameOf(step), 0.55f);
    const char s = PatternAt(fillBar ? song.fillSnare : song.snare, step);
    if (s == 's') DrumSnare(&mix, frameOf(step), 0.3f, &rng);
    if (s == 'c') DrumClap(&mix, frameOf(step), 0.35f, &rng);
    const char h = PatternAt(song.hats, step);
    if (h == 'h' || h == 'o') DrumHat(&mix, frameOf(step), (step % 4 == 2) ? 0.12f : 0.08f, h == 'o', &rng);
  }
  for (size_t i = 0; i < mix.samples.size(); ++i) mix.samples[i] += lead.samples[i];
  Master(&mix, 0.85f);
  return mix;
}
