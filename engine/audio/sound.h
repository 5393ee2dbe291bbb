// Sound effects decoded whole into OpenAL buffers, and background music
// streamed by a thread of its own (or, without threads, by the main loop's
// passes), both behind the Sound handle.
//
// Thread rules: effects are loaded and released on the main thread and played
// from either thread. For music, the controlling thread (LoadMusic, PlaySound,
// SetSoundLoop, ReleaseSound) and the music thread share only the atomic words
// kind, command, position, playing and loop. Only one music stream at a time.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct Sound {
  std::atomic<int32_t> kind;      // 0 effect, 1 music starting, 2 music running
  std::atomic<uint32_t> source;
  std::atomic<uint32_t> buffer;
  std::atomic<int32_t> size;
  std::atomic<int32_t> loop;
  std::atomic<int32_t> command;   // 0 none, 1 restart at position, -1 end thread
  std::atomic<int32_t> position;
  std::atomic<int32_t> playing;
  // An effect's entry in the audio module's voice table (0 none): the names
  // above follow a device change at the handle's next use, so nothing ever
  // writes into a handle that is not being used.
  std::atomic<uint32_t> voice;
};

struct PcmData {
  int32_t channels;
  int32_t rate;
  int32_t bytesPerSecond;
  int32_t blockAlign;
  int32_t bitsPerSample;
  uint8_t* data;
  int32_t size;   // bytes actually decoded
};

// SoundFormat codes: 0 mono8, 1 mono16, 2 stereo8, 3 stereo16; -1 none.
int32_t SoundFormatFor(int32_t channels, int32_t bits);

int32_t LoadSoundEffect(Sound* sound, const char* path);
// Decodes a whole Ogg Vorbis stream; closes the file in every case. Refuses
// (1) streams of other than 1 or 2 channels, unreadable or absurd lengths
// (over 64 MiB of PCM), streams that decode no samples and decode errors.
int32_t DecodeOggFile(FILE* file, PcmData* out);
// The same decode from a block of bytes (nothing is opened or closed).
int32_t DecodeOggMemory(const uint8_t* bytes, size_t size, PcmData* out);
int32_t CreateSoundSource(Sound* sound, const void* pcm, int32_t size, int32_t code, int32_t rate);
void FreePcmData(PcmData* pcm);
int32_t PlaySound(Sound* sound);
void StopSound(Sound* sound);
void SetSoundLoop(Sound* sound, int32_t flag);
int32_t ReleaseSound(Sound* sound);

// Starts the one music stream; 1 for a path of 264 bytes or more, a file that
// cannot be streamed, no audio device, or a stream that is still running.
int32_t LoadMusic(Sound* sound, const char* path);
int32_t QueueMusicChunk(Sound* sound, const void* chunk, int32_t bytes, int32_t code, int32_t rate);
// Main thread, once per main-loop pass. Where the system has no threads the
// pass feeds the music stream: up to 8 chunks into its queue. Does nothing
// while a music thread feeds it, or without music.
void RefillMusicFromFrame();

void SetSoundGain(Sound* sound, float gain);
void SetSoundPitch(Sound* sound, float pitch);
void SeekSound(Sound* sound, int32_t offset);
int32_t GetSoundOffset(Sound* sound);

// The gain over everything played, 0 (silent) to 1 (as recorded), applied to
// the OpenAL listener at once and again when the device opens. Any thread.
void SetMasterVolume(float volume);
float GetMasterVolume();
