// The replay file's encoder and decoder: a little-endian header, the ticks as
// a bit stream (runs of ticks that follow the finger's motion, then each
// other tick as its difference from that motion), the state checksums and a
// CRC-32 of everything before it.
#include "game/scene/replay_file.h"

#include <cstring>

#include "game/scene/round_state.h"

namespace {

constexpr uint8_t kMagic[8] = {'T', 'I', 'D', 'E', 'R', 'E', 'P', 'L'};
// The header's fields after the magic: 4 bytes each, then the start record
// (flags 1, x 2, y 2, keys 4) and the program version's length (1 byte);
// the program version's bytes follow.
constexpr size_t kFormatOffset = 8;
constexpr size_t kRulesOffset = 12;
constexpr size_t kSeedOffset = 16;
constexpr size_t kScoreOffset = 20;
constexpr size_t kPlatesOffset = 24;
constexpr size_t kTickCountOffset = 28;
constexpr size_t kInputSizeOffset = 32;
constexpr size_t kStartOffset = 36;
constexpr size_t kVersionLengthOffset = 45;
constexpr size_t kFixedHeaderSize = 46;
constexpr size_t kCrcSize = 4;
// A residual's Rice code: at most this many quotient bits, else an escape
// and the zigzag value in kEscapeBits bits (a residual is within +-131070).
constexpr uint32_t kRiceQuotientMaximum = 16;
constexpr int kEscapeBits = 20;
constexpr int kRiceParameterMaximum = 16;
// An axis's residual sum decays by 1/16 a residual: about 16 times the
// recent mean; the Rice parameter k has 2^k about half that mean.
constexpr int kMeanShift = 4;
// A record's kind, read first bit first: a tick with only x and y off the
// prediction, a run of predicted ticks, a tick whose flags or keys changed.
constexpr uint32_t kRecordMove = 0;  // bit 0
constexpr uint32_t kRecordRun = 1;   // bits 1, 0
constexpr uint32_t kRecordChange = 3;  // bits 1, 1

void PutU32(std::vector<uint8_t>* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutU16(std::vector<uint8_t>* out, uint16_t value) {
  out->push_back(static_cast<uint8_t>(value));
  out->push_back(static_cast<uint8_t>(value >> 8));
}

uint16_t GetU16(const uint8_t* data) { return static_cast<uint16_t>(data[0] | data[1] << 8); }

uint32_t GetU32(const uint8_t* data) {
  return static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
         static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
}

uint32_t ZigZag(int32_t value) {
  return (static_cast<uint32_t>(value) << 1) ^ static_cast<uint32_t>(value < 0 ? -1 : 0);
}

int32_t UnZigZag(uint32_t value) {
  return static_cast<int32_t>(value >> 1) ^ -static_cast<int32_t>(value & 1);
}

class BitWriter {
 public:
  void Put(uint32_t value, int bits) {
    for (int i = 0; i < bits; ++i) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= static_cast<uint8_t>(1 << (used_ % 8));
      ++used_;
    }
  }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t used_ = 0;
};

// Reads bits up to its end and no further: a read past it fails.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Get(int bits, uint32_t* value) {
    *value = 0;
    for (int i = 0; i < bits; ++i) {
      if (used_ >= size_ * 8) return false;
      *value |= static_cast<uint32_t>((data_[used_ / 8] >> (used_ % 8)) & 1) << i;
      ++used_;
    }
    return true;
  }
  // Whole: fewer than 8 bits left, and those are 0.
  bool AtEnd() const {
    if (size_ * 8 - used_ >= 8) return false;
    return used_ % 8 == 0 || (data_[used_ / 8] >> (used_ % 8)) == 0;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t used_ = 0;
};

// Exp-Golomb code of order 0 (a run's length less one).
void PutCount(BitWriter* out, uint32_t value) {
  const uint64_t coded = static_cast<uint64_t>(value) + 1;
  int length = 0;
  while ((coded >> (length + 1)) != 0) ++length;
  out->Put(0, length);
  out->Put(1, 1);
  out->Put(static_cast<uint32_t>(coded), length);
}

bool GetCount(BitReader* in, uint32_t* value) {
  int length = 0;
  uint32_t bit = 0;
  for (;;) {
    if (!in->Get(1, &bit)) return false;
    if (bit) break;
    if (++length > 31) return false;
  }
  uint32_t low = 0;
  if (!in->Get(length, &low)) return false;
  *value = static_cast<uint32_t>(((uint64_t{1} << length) | low) - 1);
  return true;
}

// Adaptive Rice code of one axis's residuals: the parameter follows the
// recent mean, so a still finger costs a bit or two and a fast one stays short.
struct ResidualCoder {
  uint32_t sum = 0;
  int Parameter() const {
    int k = 0;
    while (k < kRiceParameterMaximum && (uint64_t{1} << (k + kMeanShift + 1)) < sum) ++k;
    return k;
  }
  void Update(uint32_t zigzag) { sum = sum - (sum >> kMeanShift) + zigzag; }
};

void PutResidual(BitWriter* out, ResidualCoder* coder, int32_t residual) {
  const uint32_t value = ZigZag(residual);
  const int k = coder->Parameter();
  const uint32_t quotient = value >> k;
  if (quotient < kRiceQuotientMaximum) {
    out->Put((1u << quotient) - 1, static_cast<int>(quotient) + 1);
    out->Put(value, k);
  } else {
    out->Put((1u << kRiceQuotientMaximum) - 1, kRiceQuotientMaximum);
    out->Put(value, kEscapeBits);
  }
  coder->Update(value);
}

bool GetResidual(BitReader* in, ResidualCoder* coder, int32_t* residual) {
  uint32_t quotient = 0, bit = 1, value = 0;
  while (quotient < kRiceQuotientMaximum) {
    if (!in->Get(1, &bit)) return false;
    if (!bit) break;
    ++quotient;
  }
  if (quotient == kRiceQuotientMaximum) {
    if (!in->Get(kEscapeBits, &value)) return false;
  } else {
    const int k = coder->Parameter();
    if (!in->Get(k, &value)) return false;
    value |= quotient << k;
  }
  *residual = UnZigZag(value);
  coder->Update(value);
  return true;
}

// The tick that continues the last two ticks' motion with nothing else
// changed. The position may leave int16's range: such a tick is never written.
struct Prediction {
  int32_t x, y;
};
Prediction Predict(const ReplayTick& last, const ReplayTick& before) {
  return {2 * last.x - before.x, 2 * last.y - before.y};
}

bool IsPredicted(const ReplayTick& tick, const ReplayTick& last, const ReplayTick& before) {
  const Prediction p = Predict(last, before);
  return tick.x == p.x && tick.y == p.y && tick.flags == last.flags && tick.keys == last.keys;
}

bool InInt16(int32_t value) { return value >= INT16_MIN && value <= INT16_MAX; }

size_t ProgramVersionLength(const Replay& replay) {
  size_t length = 0;
  while (length < kReplayProgramVersionSize && replay.programVersion[length] != '\0') ++length;
  return length;
}

bool ProgramVersionValid(const uint8_t* text, size_t length) {
  if (length >= kReplayProgramVersionSize) return false;
  for (size_t i = 0; i < length; ++i)
    if (text[i] < 0x20 || text[i] == 0x7f) return false;
  return true;
}

// The rules of the header's values and the checksums' count, the same for
// writing and reading.
bool ValuesValid(const Replay& replay) {
  return replay.score >= 0 && replay.score <= kScoreMaximum && replay.plates >= 0 &&
         (replay.start.flags & ~kReplayStartFlagsKnown) == 0 &&
         replay.ticks.size() <= kReplayTicksMaximum &&
         replay.checksums.size() == replay.ticks.size() / kReplayChecksumEvery;
}

std::vector<uint8_t> EncodeTicks(const std::vector<ReplayTick>& ticks) {
  BitWriter out;
  ResidualCoder coderX, coderY;
  ReplayTick last = {}, before = {};
  size_t i = 0;
  while (i < ticks.size()) {
    uint32_t run = 0;
    while (i + run < ticks.size() && IsPredicted(ticks[i + run], last, before)) {
      before = last;
      last = ticks[i + run];
      ++run;
    }
    if (run > 0) {
      out.Put(kRecordRun, 2);
      PutCount(&out, run - 1);
      i += run;
      continue;
    }
    const ReplayTick& tick = ticks[i];
    const Prediction p = Predict(last, before);
    if (tick.flags == last.flags && tick.keys == last.keys) {
      out.Put(kRecordMove, 1);
    } else {
      out.Put(kRecordChange, 2);
      out.Put(tick.flags, 8);
      out.Put(tick.keys != last.keys, 1);
      if (tick.keys != last.keys) out.Put(tick.keys, 32);
    }
    PutResidual(&out, &coderX, tick.x - p.x);
    PutResidual(&out, &coderY, tick.y - p.y);
    before = last;
    last = tick;
    ++i;
  }
  return out.Bytes();
}

bool DecodeTicks(const uint8_t* data, size_t size, uint32_t count, std::vector<ReplayTick>* ticks) {
  BitReader in(data, size);
  ResidualCoder coderX, coderY;
  ReplayTick last = {}, before = {};
  // The ticks grow as they are read: a count the stream does not hold
  // allocates nothing for it.
  ticks->clear();
  while (ticks->size() < count) {
    uint32_t record = 0, second = 0;
    if (!in.Get(1, &record)) return false;
    if (record != kRecordMove) {
      if (!in.Get(1, &second)) return false;
      record |= second << 1;
    }
    if (record == kRecordRun) {
      uint32_t run = 0;
      if (!GetCount(&in, &run) || run >= count - ticks->size()) return false;
      for (uint32_t n = 0; n <= run; ++n) {
        const Prediction p = Predict(last, before);
        if (!InInt16(p.x) || !InInt16(p.y)) return false;
        ReplayTick tick = last;
        tick.x = static_cast<int16_t>(p.x);
        tick.y = static_cast<int16_t>(p.y);
        ticks->push_back(tick);
        before = last;
        last = tick;
      }
      continue;
    }
    ReplayTick tick = last;
    if (record == kRecordChange) {
      uint32_t flags = 0, keysChanged = 0;
      if (!in.Get(8, &flags) || (flags & ~uint32_t{kReplayTickFlagsKnown}) != 0) return false;
      tick.flags = static_cast<uint8_t>(flags);
      if (!in.Get(1, &keysChanged)) return false;
      if (keysChanged && !in.Get(32, &tick.keys)) return false;
    }
    const Prediction p = Predict(last, before);
    int32_t dx = 0, dy = 0;
    if (!GetResidual(&in, &coderX, &dx) || !GetResidual(&in, &coderY, &dy)) return false;
    if (!InInt16(p.x + dx) || !InInt16(p.y + dy)) return false;
    tick.x = static_cast<int16_t>(p.x + dx);
    tick.y = static_cast<int16_t>(p.y + dy);
    ticks->push_back(tick);
    before = last;
    last = tick;
  }
  return in.AtEnd();
}

}  // namespace

bool operator==(const ReplayTick& a, const ReplayTick& b) {
  return a.flags == b.flags && a.x == b.x && a.y == b.y && a.keys == b.keys;
}

bool operator==(const Replay& a, const Replay& b) {
  return a.rulesVersion == b.rulesVersion &&
         std::memcmp(a.programVersion, b.programVersion, kReplayProgramVersionSize) == 0 && a.seed == b.seed &&
         a.score == b.score && a.plates == b.plates && a.start == b.start && a.ticks == b.ticks &&
         a.checksums == b.checksums &&
         a.formatVersion == b.formatVersion;
}

uint32_t ReplayCrc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xffffffffu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

std::vector<uint8_t> EncodeReplay(const Replay& replay) {
  const size_t versionLength = ProgramVersionLength(replay);
  if (!ValuesValid(replay) ||
      !ProgramVersionValid(reinterpret_cast<const uint8_t*>(replay.programVersion), versionLength))
    return {};
  for (const ReplayTick& tick : replay.ticks)
    if ((tick.flags & ~kReplayTickFlagsKnown) != 0) return {};
  const std::vector<uint8_t> inputs = EncodeTicks(replay.ticks);
  std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
  PutU32(&out, kReplayFormatVersion);
  PutU32(&out, replay.rulesVersion);
  PutU32(&out, replay.seed);
  PutU32(&out, static_cast<uint32_t>(replay.score));
  PutU32(&out, static_cast<uint32_t>(replay.plates));
  PutU32(&out, static_cast<uint32_t>(replay.ticks.size()));
  PutU32(&out, static_cast<uint32_t>(inputs.size()));
  out.push_back(replay.start.flags);
  PutU16(&out, static_cast<uint16_t>(replay.start.x));
  PutU16(&out, static_cast<uint16_t>(replay.start.y));
  PutU32(&out, replay.start.keys);
  out.push_back(static_cast<uint8_t>(versionLength));
  out.insert(out.end(), replay.programVersion, replay.programVersion + versionLength);
  out.insert(out.end(), inputs.begin(), inputs.end());
  for (uint32_t checksum : replay.checksums) PutU32(&out, checksum);
  PutU32(&out, ReplayCrc32(out.data(), out.size()));
  return out;
}

ReplayReadResult DecodeReplay(const uint8_t* data, size_t size, uint32_t rulesVersion, Replay* out) {
  // A file shorter than the magic that begins as it does was cut short.
  for (size_t i = 0; i < sizeof kMagic && i < size; ++i)
    if (data[i] != kMagic[i]) return ReplayReadResult::kNotAReplay;
  if (size < kFixedHeaderSize) return ReplayReadResult::kTruncated;
  const size_t versionLength = data[kVersionLengthOffset];
  const size_t headerSize = kFixedHeaderSize + versionLength;
  if (size < headerSize) return ReplayReadResult::kTruncated;
  out->formatVersion = GetU32(data + kFormatOffset);
  if (out->formatVersion != kReplayFormatVersion) return ReplayReadResult::kOtherFormat;

  const uint32_t tickCount = GetU32(data + kTickCountOffset);
  const uint32_t inputSize = GetU32(data + kInputSizeOffset);
  const uint64_t checksumCount = tickCount / kReplayChecksumEvery;
  const uint64_t announced = headerSize + uint64_t{inputSize} + 4 * checksumCount + kCrcSize;
  if (ReplayCrc32(data, size - kCrcSize) != GetU32(data + size - kCrcSize))
    return size < announced ? ReplayReadResult::kTruncated : ReplayReadResult::kDamaged;
  if (size != announced || !ProgramVersionValid(data + kFixedHeaderSize, versionLength))
    return ReplayReadResult::kDamaged;

  out->rulesVersion = GetU32(data + kRulesOffset);
  std::memset(out->programVersion, 0, kReplayProgramVersionSize);
  std::memcpy(out->programVersion, data + kFixedHeaderSize, versionLength);
  if (out->rulesVersion != rulesVersion) return ReplayReadResult::kOtherRules;

  out->seed = GetU32(data + kSeedOffset);
  out->score = static_cast<int32_t>(GetU32(data + kScoreOffset));
  out->plates = static_cast<int32_t>(GetU32(data + kPlatesOffset));
  out->start = ReplayTick{data[kStartOffset], static_cast<int16_t>(GetU16(data + kStartOffset + 1)),
                          static_cast<int16_t>(GetU16(data + kStartOffset + 3)), GetU32(data + kStartOffset + 5)};
  out->ticks.clear();
  out->checksums.clear();
  if (out->score < 0 || out->score > kScoreMaximum || out->plates < 0 || tickCount > kReplayTicksMaximum ||
      (out->start.flags & ~kReplayStartFlagsKnown) != 0)
    return ReplayReadResult::kDamaged;
  if (!DecodeTicks(data + headerSize, inputSize, tickCount, &out->ticks)) return ReplayReadResult::kDamaged;
  const uint8_t* checksums = data + headerSize + inputSize;
  for (uint64_t k = 0; k < checksumCount; ++k) out->checksums.push_back(GetU32(checksums + 4 * k));
  return ReplayReadResult::kOk;
}

std::string ReplayReadMessage(ReplayReadResult result, const char* fileName, const Replay& replay,
                              uint32_t rulesVersion) {
  const std::string file = std::string("replay: ") + fileName;
  switch (result) {
    case ReplayReadResult::kOk:
      return file + " was read";
    case ReplayReadResult::kNotAReplay:
      return file + " is not a replay";
    case ReplayReadResult::kTruncated:
      return file + " is cut short";
    case ReplayReadResult::kDamaged:
      break;
    case ReplayReadResult::kOtherFormat:
      return file + " has format " + std::to_string(replay.formatVersion) + "; this program reads format " +
             std::to_string(kReplayFormatVersion);
    case ReplayReadResult::kOtherRules:
      return file + " was played by rules " + std::to_string(replay.rulesVersion) + " (program " +
             std::string(replay.programVersion, ProgramVersionLength(replay)) + "); this program plays rules " +
             std::to_string(rulesVersion);
  }
  return file + " is damaged";
}
