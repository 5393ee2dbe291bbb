// Background music streamed by a thread of its own: 4096-byte chunks decoded
// ahead into up to 48 queued OpenAL buffers on one source, looped, restarted
// and stopped through the words of the Sound handle.
//
// Thread rules: the controlling thread writes position, then command 1 (or
// command -1), and playing and loop; the music thread clears command 1 once
// it has sought and writes kind. Both threads change the source's queue, each
// under musicQueueLock, so an emptied queue stays empty while it is emptied.
#include <AL/al.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "engine/audio/audio_internal.h"
#include "engine/audio/ogg_stream.h"
#include "engine/audio/sound.h"

namespace {

constexpr int32_t kMusicChunkBytes = 4096;
constexpr ALint kMusicMaxQueued = 48;
constexpr int kMusicPollMs = 10;
// As large as the contents path buffer, so any track in the contents folder
// start-up accepted can be streamed.
constexpr size_t kMusicPathCapacity = 264;

constexpr int32_t kStartPending = 0;
constexpr int32_t kStartReady = 1;
constexpr int32_t kStartFailed = 2;

char musicPath[kMusicPathCapacity];
std::atomic<Sound*> currentMusic{nullptr};
// Written and read by the music thread only.
uint8_t musicChunk[kMusicChunkBytes];
std::atomic<int32_t> musicStarted{kStartPending};
std::atomic<bool> musicThreadRunning{false};
std::thread musicThread;
std::mutex musicQueueLock;

void PollSleep() { std::this_thread::sleep_for(std::chrono::milliseconds(kMusicPollMs)); }

// Clears command 1 without overwriting a -1 that arrived meanwhile.
void ClearRestart(Sound* sound) {
  int32_t expected = 1;
  sound->command.compare_exchange_strong(expected, 0);
}

// Stops the source and deletes every buffer still queued on it.
void EmptyQueue(ALuint source) {
  std::lock_guard<std::mutex> lock(musicQueueLock);
  alSourceStop(source);
  for (;;) {
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    if (queued <= 0) break;
    ALuint buffer = 0;
    alSourceUnqueueBuffers(source, 1, &buffer);
    // A stopped source has processed all it holds; an unqueue that gives
    // nothing back means the source is gone, and looping on would never end.
    if (buffer == 0) break;
    alDeleteBuffers(1, &buffer);
  }
}

void FinishMusicThread(Sound* sound, OggStream* stream) {
  OggStreamClose(stream);
  sound->command = 0;
  int32_t expected = kStartPending;
  musicStarted.compare_exchange_strong(expected, kStartFailed);
  musicThreadRunning = false;
}

void MusicThreadMain() {
  Sound* sound = currentMusic.load();
  FILE* file = std::fopen(musicPath, "rb");
  OggStream* stream = file != nullptr ? OggStreamOpenFile(file) : nullptr;
  if (stream == nullptr || OggStreamFrames(stream) <= 0) {
    FinishMusicThread(sound, stream);
    return;
  }
  int32_t code = SoundFormatFor(OggStreamChannels(stream), 16);
  int32_t rate = OggStreamRate(stream);
  sound->command = 0;

  bool last = false;
  // Ends met with no audio since the last one: a stream that yields nothing.
  int emptyEnds = 0;
  while (!last) {
    // The chunk is read before a pending restart is honoured: after PlaySound
    // the first chunk queued still comes from the old place.
    int32_t n = OggStreamRead(stream, musicChunk, kMusicChunkBytes);
    if (sound->command == 1) {
      OggStreamSeek(stream, sound->position);
      ClearRestart(sound);
    }
    if (n == 0) {
      sound->position = 0;
      OggStreamSeek(stream, 0);
      ClearRestart(sound);
      if (sound->loop == 0) StopSound(sound);
      if (++emptyEnds >= 2) last = true;
    } else if (n < 0) {
      last = true;
    } else {
      emptyEnds = 0;
    }
    int32_t queued = QueueMusicChunk(sound, musicChunk, n, code, rate);
    while (queued == 0 && sound->command == 0) {
      // The stream is open and its first chunk is held: LoadMusic may return
      // now, at its first 10 ms poll, rather than one poll of ours later.
      int32_t expected = kStartPending;
      musicStarted.compare_exchange_strong(expected, kStartReady);
      PollSleep();
      int32_t command = sound->command;
      // A restart drops the held chunk; an end request ends the thread.
      if (command != 0) break;
      queued = QueueMusicChunk(sound, musicChunk, n, code, rate);
    }
    if (sound->command == -1) last = true;
  }
  FinishMusicThread(sound, stream);
}

}  // namespace

int32_t LoadMusic(Sound* sound, const char* path) {
  if (sound == nullptr || path == nullptr) return 1;
  size_t length = strnlen(path, kMusicPathCapacity);
  if (length >= kMusicPathCapacity) return 1;
  // No device: the game runs silent, and nothing is decoded for nobody.
  if (!AudioReady()) return 1;
  // Only one stream at a time: the previous one must have been released.
  if (musicThreadRunning) return 1;
  if (musicThread.joinable()) musicThread.join();

  std::memcpy(musicPath, path, length + 1);
  ZeroSound(sound);
  currentMusic = sound;
  sound->kind = 1;
  musicStarted = kStartPending;
  musicThreadRunning = true;
  try {
    musicThread = std::thread(MusicThreadMain);
  } catch (...) {
    musicThreadRunning = false;
    currentMusic = nullptr;
    ZeroSound(sound);
    return 1;
  }
  while (musicStarted == kStartPending) PollSleep();
  if (musicStarted == kStartReady) return 0;

  // The thread has reported its failure and is ending by itself.
  musicThread.join();
  currentMusic = nullptr;
  ALuint source = sound->source;
  if (source != 0) {
    EmptyQueue(source);
    alDeleteSources(1, &source);
  }
  ZeroSound(sound);
  return 1;
}

int32_t QueueMusicChunk(Sound* sound, const void* chunk, int32_t bytes, int32_t code, int32_t rate) {
  if (bytes <= 0) return 1;
  // With the device gone the chunk is held (polled), not decoded past unheard.
  if (!AudioReady()) return 0;
  if (sound->kind == 1) {
    ALuint source = 0;
    alGenSources(1, &source);
    ApplySourceSetup(source, 0.0f);
    sound->source = source;
    sound->loop = 0;
  }
  ALenum format = AlFormatForCode(code);
  if (format == 0) return 1;
  ALuint source = sound->source;
  int32_t result = 0;
  {
    std::lock_guard<std::mutex> lock(musicQueueLock);
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    // Starts playback after PlaySound, and again after an underrun.
    if (state != AL_PLAYING && sound->playing == 1) alSourcePlay(source);
    for (;;) {
      ALint processed = 0;
      alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
      if (processed <= 0) break;
      ALuint done = 0;
      alSourceUnqueueBuffers(source, 1, &done);
      if (done == 0) break;
      alDeleteBuffers(1, &done);
    }
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    if (sound->playing == 1 && queued < kMusicMaxQueued) {
      ALuint buffer = 0;
      alGenBuffers(1, &buffer);
      alBufferData(buffer, format, chunk, bytes, rate);
      alSourceQueueBuffers(source, 1, &buffer);
      sound->buffer = buffer;
      result = 1;
    }
  }
  sound->kind = 2;
  return result;
}

void StopMusic(Sound* sound) {
  ALuint source = sound->source;
  if (source == 0 || !AudioReady()) return;
  EmptyQueue(source);
}

void ReleaseMusic(Sound* sound) {
  if (sound == currentMusic.load()) {
    if (musicThreadRunning) {
      sound->command = -1;
      // The thread ends after its current pass or its next 10 ms poll.
      while (musicThreadRunning) PollSleep();
    }
    if (musicThread.joinable()) musicThread.join();
    currentMusic = nullptr;
  }
  ALuint source = sound->source;
  if (source != 0 && AudioReady()) {
    EmptyQueue(source);
    alDeleteSources(1, &source);
  }
  ZeroSound(sound);
}
