// Test tone synthesis and Ogg Vorbis encoding for the audio tests.
#include "support/engine/ogg_synth.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kEncodeBlock = 1024;

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

uint32_t OggCrc(const uint8_t* data, size_t size) {
  uint32_t crc = 0;
  for (size_t i = 0; i < size; ++i) {
    crc ^= static_cast<uint32_t>(data[i]) << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
  }
  return crc;
}

}  // namespace

ToneSamples SineTone(int channels, int rate, double seconds, double frequency, float amplitude,
                     uint32_t channelMask) {
  ToneSamples tone{channels, rate, {}};
  size_t frames = static_cast<size_t>(std::lround(seconds * rate));
  tone.samples.resize(frames * channels);
  for (size_t f = 0; f < frames; ++f) {
    float value = amplitude * static_cast<float>(std::sin(kTwoPi * frequency * f / rate));
    for (int c = 0; c < channels; ++c) tone.samples[f * channels + c] = (channelMask >> c & 1u) ? value : 0.0f;
  }
  return tone;
}

ToneSamples SteppedTone(int channels, int rate, double segmentSeconds, const std::vector<double>& frequencies,
                        float amplitude) {
  ToneSamples tone{channels, rate, {}};
  size_t segmentFrames = static_cast<size_t>(std::lround(segmentSeconds * rate));
  double phase = 0.0;
  for (double frequency : frequencies) {
    for (size_t f = 0; f < segmentFrames; ++f) {
      float value = amplitude * static_cast<float>(std::sin(phase));
      for (int c = 0; c < channels; ++c) tone.samples.push_back(value);
      phase = std::fmod(phase + kTwoPi * frequency / rate, kTwoPi);
    }
  }
  return tone;
}

std::vector<uint8_t> EncodeOggVorbis(const ToneSamples& tone) {
  std::vector<uint8_t> out;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, tone.channels, tone.rate, 0.6f) != 0) {
    vorbis_info_clear(&info);
    return out;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 0x7173);

  ogg_packet header, commentHeader, codeHeader;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentHeader);
  ogg_stream_packetin(&stream, &codeHeader);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

  size_t frames = tone.samples.size() / tone.channels;
  size_t done = 0;
  bool finished = false;
  while (!finished) {
    size_t count = frames - done < kEncodeBlock ? frames - done : kEncodeBlock;
    if (count == 0) {
      vorbis_analysis_wrote(&dsp, 0);
      finished = true;
    } else {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      for (size_t f = 0; f < count; ++f)
        for (int c = 0; c < tone.channels; ++c) buffer[c][f] = tone.samples[(done + f) * tone.channels + c];
      vorbis_analysis_wrote(&dsp, static_cast<int>(count));
      done += count;
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) AppendPage(out, page);
      }
    }
  }
  while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(file);
  return bytes;
}

bool PatchSampleRate(std::vector<uint8_t>& bytes, uint32_t rate) {
  if (bytes.size() < 27 || std::memcmp(bytes.data(), "OggS", 4) != 0) return false;
  size_t segments = bytes[26];
  size_t body = 27 + segments;
  size_t bodySize = 0;
  for (size_t s = 0; s < segments && 27 + s < bytes.size(); ++s) bodySize += bytes[27 + s];
  // Packet type 1, "vorbis", version (4 bytes), channels (1 byte), then the rate.
  if (body + bodySize > bytes.size() || bodySize < 16 || bytes[body] != 1) return false;
  for (int i = 0; i < 4; ++i) bytes[body + 12 + i] = static_cast<uint8_t>(rate >> (8 * i));
  std::memset(&bytes[22], 0, 4);
  uint32_t crc = OggCrc(bytes.data(), body + bodySize);
  for (int i = 0; i < 4; ++i) bytes[22 + i] = static_cast<uint8_t>(crc >> (8 * i));
  return true;
}
