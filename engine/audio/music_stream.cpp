// Background music streamed in chunks decoded ahead into about a second of
// queued OpenAL buffers on one source, looped, restarted and stopped through
// the words of the Sound handle. A thread of its own feeds the queue, or,
// where the system has no threads (a browser page), each main-loop pass does,
// through the same step.
//
// Thread rules: the controlling thread writes position, then command 1 (or
// command -1), and playing and loop; the feeding side (music thread or pass)
// clears command 1 once it has sought and writes kind. Both sides change the
// source's queue, each under the queue lock, so an emptied queue stays empty
// while it is emptied.
#include <AL/al.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "engine/app/app.h"
#include "engine/app/platform.h"
#include "engine/audio/audio_internal.h"
#include "engine/audio/ogg_stream.h"
#include "engine/audio/sound.h"

namespace {

#if defined(__EMSCRIPTEN__)
// In a browser every queued buffer becomes a Web Audio buffer and source node
// made in JavaScript: chunks of 93 ms (at 44.1 kHz stereo) cost the page a
// quarter of what chunks of 23 ms do.
constexpr int32_t kMusicChunkBytes = 16384;
constexpr ALint kMusicMaxQueued = 12;
#else
constexpr int32_t kMusicChunkBytes = 4096;
constexpr ALint kMusicMaxQueued = 48;
#endif
constexpr int kMusicPollMs = 10;
// How long the thread rests while the queue is full: the queue holds about a
// second of music, and a command wakes the thread at once.
constexpr int kMusicFullRestMs = 100;
// Any track in the contents folder start-up accepted can be streamed.
constexpr size_t kMusicPathCapacity = kContentsPathSize;

// Chunks a main-loop pass decodes at most: the queue fills within a few
// frames, and no frame pays for more than about 190 ms of music at once.
constexpr int kMusicChunksPerPass = 32768 / kMusicChunkBytes;

constexpr int32_t kStartPending = 0;
constexpr int32_t kStartReady = 1;
constexpr int32_t kStartFailed = 2;

// What one step of the feeding side leads to.
enum class MusicStep {
  kGoOn,   // a chunk went into the queue (or was dropped): step again
  kWait,   // the queue is full or the music is stopped: the chunk is held
  kEnded,  // asked to end, or the stream broke or yields nothing
};

// The feeding side's state: the decoder and the chunk it holds. Touched by
// the music thread only, or by the main loop's passes where they feed.
struct MusicFeed {
  Sound* sound;
  OggStream* stream;
  int32_t code;
  int32_t rate;
  // A chunk read but not yet queued, and its byte count.
  bool holding;
  int32_t held;
  bool last;
  // Ends met with no audio since the last one: a stream that yields nothing.
  int emptyEnds;
};

// The music module's whole state.
struct MusicState {
  // Written by LoadMusic (controlling thread) before the feed starts; read by
  // the feeding side.
  char path[kMusicPathCapacity];
  std::atomic<Sound*> current{nullptr};
  // The feeding side's own: the decoder and the chunk it holds.
  uint8_t chunk[kMusicChunkBytes];
  MusicFeed feed;
  // Start report and liveness of the music thread, any thread.
  std::atomic<int32_t> started{kStartPending};
  std::atomic<bool> threadRunning{false};
  // The platform's thread handle; controlling thread only.
  void* thread = nullptr;
  // Held by whoever changes the source's queue, and by a device change.
  std::mutex queueLock;
  // The music thread rests on it while the queue is full; a command wakes it.
  std::mutex restLock;
  std::condition_variable rest;
  // True while the main loop's passes feed the music (no thread); main
  // thread only.
  bool feedFromPasses = false;
  // Who feeds the next stream LoadMusic starts (SetMusicFedByPasses): -1 as
  // the system decides, 0 a thread, 1 the passes.
  int32_t passesFeedChoice = -1;
};

MusicState music;

bool PassesFeed() { return music.passesFeedChoice >= 0 ? music.passesFeedChoice == 1 : !PlatformHasThreads(); }

void PollSleep() { PlatformSleepMs(kMusicPollMs); }

// The music thread's rest with a full queue: until a command comes (read
// under the lock its writer takes to wake it, so none is missed) or the
// queue has had time to make room.
void RestUntilRoomOrCommand(const Sound* sound) {
  std::unique_lock<std::mutex> hold(music.restLock);
  music.rest.wait_for(hold, std::chrono::milliseconds(kMusicFullRestMs), [sound] { return sound->command != 0; });
}

void JoinMusicThread() {
  if (music.thread == nullptr) return;
  PlatformJoinThread(music.thread);
  music.thread = nullptr;
}

// Clears command 1 without overwriting a -1 that arrived meanwhile.
void ClearRestart(Sound* sound) {
  int32_t expected = 1;
  sound->command.compare_exchange_strong(expected, 0);
}

// Stops the source and deletes every buffer still queued on it; the caller
// holds music.queueLock.
void EmptyQueueLocked(ALuint source) {
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

void EmptyQueue(ALuint source) {
  std::lock_guard<std::mutex> lock(music.queueLock);
  EmptyQueueLocked(source);
}

// Opens the music path for the current music; false (nothing left open) when
// it cannot be streamed.
bool OpenFeed() {
  music.feed = MusicFeed{};
  music.feed.sound = music.current.load();
  FILE* file = std::fopen(music.path, "rb");
  music.feed.stream = file != nullptr ? OggStreamOpenFile(file) : nullptr;
  if (music.feed.stream == nullptr || OggStreamFrames(music.feed.stream) <= 0) {
    OggStreamClose(music.feed.stream);
    music.feed.stream = nullptr;
    return false;
  }
  music.feed.code = SoundFormatFor(OggStreamChannels(music.feed.stream), 16);
  music.feed.rate = OggStreamRate(music.feed.stream);
  music.feed.sound->command = 0;
  return true;
}

void CloseFeed() {
  OggStreamClose(music.feed.stream);
  music.feed.stream = nullptr;
  music.feed.sound->command = 0;
}

// Reads the next chunk into the held place, honouring a restart after the
// read and the end of the stream.
void ReadChunk() {
  Sound* sound = music.feed.sound;
  // The chunk is read before a pending restart is honoured: after PlaySound
  // the first chunk queued still comes from the old place.
  int32_t n = OggStreamRead(music.feed.stream, music.chunk, kMusicChunkBytes);
  // One read gives at most one Vorbis packet's samples; the chunk is filled
  // with more unless a restart is pending.
  while (n > 0 && n < kMusicChunkBytes && sound->command == 0) {
    int32_t more = OggStreamRead(music.feed.stream, music.chunk + n, kMusicChunkBytes - n);
    if (more <= 0) break;
    n += more;
  }
  if (sound->command == 1) {
    OggStreamSeek(music.feed.stream, sound->position);
    ClearRestart(sound);
  }
  if (n == 0) {
    sound->position = 0;
    OggStreamSeek(music.feed.stream, 0);
    ClearRestart(sound);
    if (sound->loop == 0) StopSound(sound);
    if (++music.feed.emptyEnds >= 2) music.feed.last = true;
  } else if (n < 0) {
    music.feed.last = true;
  } else {
    music.feed.emptyEnds = 0;
  }
  music.feed.held = n;
  music.feed.holding = true;
}

// One step of the feeding side: offer the held chunk again, or read the
// next one and offer it. A held chunk is dropped by a restart or an end
// request that came while it waited.
MusicStep FeedStep() {
  Sound* sound = music.feed.sound;
  if (music.feed.holding) {
    int32_t command = sound->command;
    if (command == -1) return MusicStep::kEnded;
    if (command != 0) music.feed.holding = false;
  }
  if (!music.feed.holding) ReadChunk();
  int32_t queued = QueueMusicChunk(sound, music.chunk, music.feed.held, music.feed.code, music.feed.rate);
  if (queued == 0 && sound->command == 0) return MusicStep::kWait;
  music.feed.holding = false;
  if (sound->command == -1) music.feed.last = true;
  return music.feed.last ? MusicStep::kEnded : MusicStep::kGoOn;
}

void MusicThreadMain() {
  if (OpenFeed()) {
    for (;;) {
      MusicStep step = FeedStep();
      if (step == MusicStep::kEnded) break;
      if (step == MusicStep::kWait) {
        // The stream is open and its first chunk is held: LoadMusic may
        // return now, at its first 10 ms poll, rather than one poll later.
        int32_t expected = kStartPending;
        music.started.compare_exchange_strong(expected, kStartReady);
        RestUntilRoomOrCommand(music.feed.sound);
      }
    }
    CloseFeed();
  } else {
    music.current.load()->command = 0;
  }
  int32_t expected = kStartPending;
  music.started.compare_exchange_strong(expected, kStartFailed);
  music.threadRunning = false;
}

// Where the passes feed: steps until the first chunk is held (the stream is
// then ready, as the thread reports it) or the stream ends.
bool StartPassFeed() {
  if (!OpenFeed()) return false;
  for (;;) {
    MusicStep step = FeedStep();
    if (step == MusicStep::kWait) break;
    if (step == MusicStep::kEnded) {
      CloseFeed();
      return false;
    }
  }
  music.feedFromPasses = true;
  return true;
}

// Drops what a failed start left: the source the first chunk may have made.
void AbandonStart(Sound* sound) {
  music.current = nullptr;
  ALuint source = sound->source;
  if (source != 0) {
    EmptyQueue(source);
    alDeleteSources(1, &source);
  }
  ZeroSound(sound);
}

}  // namespace

int32_t LoadMusic(Sound* sound, const char* path) {
  if (sound == nullptr || path == nullptr) return 1;
  size_t length = strnlen(path, kMusicPathCapacity);
  if (length >= kMusicPathCapacity) return 1;
  // No device: the game runs silent, and nothing is decoded for nobody.
  if (!AudioReady()) return 1;
  // Only one stream at a time: the previous one must have been released.
  if (music.threadRunning || music.feedFromPasses) return 1;
  JoinMusicThread();

  std::memcpy(music.path, path, length + 1);
  // A handle that still holds an effect lets it go first, so its voice is
  // neither leaked nor kept under a handle that is music now.
  if (HoldsEffect(sound)) ReleaseSound(sound);
  ZeroSound(sound);
  music.current = sound;
  sound->kind = 1;
  if (PassesFeed()) {
    if (StartPassFeed()) return 0;
    AbandonStart(sound);
    return 1;
  }
  music.started = kStartPending;
  music.threadRunning = true;
  music.thread = PlatformStartThread("music", MusicThreadMain);
  if (music.thread == nullptr) {
    music.threadRunning = false;
    music.current = nullptr;
    ZeroSound(sound);
    return 1;
  }
  while (music.started == kStartPending) PollSleep();
  if (music.started == kStartReady) return 0;

  // The thread has reported its failure and is ending by itself.
  JoinMusicThread();
  AbandonStart(sound);
  return 1;
}

void RefillMusicFromFrame() {
  if (!music.feedFromPasses) return;
  for (int i = 0; i < kMusicChunksPerPass; ++i) {
    MusicStep step = FeedStep();
    if (step == MusicStep::kWait) return;
    if (step == MusicStep::kEnded) {
      CloseFeed();
      music.feedFromPasses = false;
      return;
    }
  }
}

void SetMusicFedByPasses(int32_t choice) { music.passesFeedChoice = choice; }

int32_t QueueMusicChunk(Sound* sound, const void* chunk, int32_t bytes, int32_t code, int32_t rate) {
  if (bytes <= 0) return 1;
  // Everything below under the lock: a device change (which takes it) never
  // meets this half done.
  std::lock_guard<std::mutex> lock(music.queueLock);
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
  // A device change whose new device gave no source: silent, as without one.
  if (source == 0) return 0;
  ALint state = AL_STOPPED;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  if (state != AL_PLAYING && sound->playing == 1) {
    // A source that stopped while it should play: an underrun, or a device
    // that went away, which stops every source. Then the chunk is held until
    // a new device is there.
    if (!CheckAudioDeviceConnected()) return 0;
    // Starts playback after PlaySound, and again after an underrun.
    alSourcePlay(source);
  }
  for (;;) {
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    if (processed <= 0) break;
    ALuint done = 0;
    alSourceUnqueueBuffers(source, 1, &done);
    if (done == 0) break;
    alDeleteBuffers(1, &done);
  }
  int32_t result = 0;
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
  sound->kind = 2;
  return result;
}

void StopMusic(Sound* sound) {
  std::lock_guard<std::mutex> lock(music.queueLock);
  // Read under the lock: a device change renames the source.
  ALuint source = sound->source;
  if (source == 0 || !AudioContextCurrent()) return;
  EmptyQueueLocked(source);
}

std::unique_lock<std::mutex> HoldMusicQueue() { return std::unique_lock<std::mutex>(music.queueLock); }

// The caller holds the queue lock (HoldMusicQueue).
void RebuildMusicVoice() {
  Sound* sound = music.current.load();
  // A stream still starting makes its source with its first chunk.
  if (sound == nullptr || sound->kind != 2) return;
  ALuint source = 0;
  alGenSources(1, &source);
  if (source != 0) ApplySourceSetup(source, 0.0f);
  // Its queue starts empty: the feed's next chunk starts it playing again,
  // as after an underrun, from where the decoder stands.
  sound->source = source;
  sound->buffer = 0;
}

void WakeMusicThread() {
  std::lock_guard<std::mutex> hold(music.restLock);
  music.rest.notify_one();
}

void ReleaseMusic(Sound* sound) {
  if (sound == music.current.load()) {
    if (music.feedFromPasses) {
      // The passes' feed ends here and now, as the thread would after its pass.
      CloseFeed();
      music.feedFromPasses = false;
    } else if (music.threadRunning) {
      sound->command = -1;
      WakeMusicThread();
      // The thread ends after its current pass.
      while (music.threadRunning) PollSleep();
    }
    JoinMusicThread();
    music.current = nullptr;
  }
  // Deleted also while the device is lost: its context is still current.
  ALuint source = sound->source;
  if (source != 0 && AudioContextCurrent()) {
    EmptyQueue(source);
    alDeleteSources(1, &source);
  }
  ZeroSound(sound);
}
