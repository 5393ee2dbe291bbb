// Ogg Vorbis writer: the standard analysis / block / packet loop of libvorbis,
// fed in chunks, writing pages as they fill. Comments carry no date or host,
// so output depends on the samples alone.
#include "ogg_write.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>

namespace {

bool WritePage(FILE* file, const ogg_page& page) {
  return std::fwrite(page.header, 1, static_cast<size_t>(page.header_len), file) ==
             static_cast<size_t>(page.header_len) &&
         std::fwrite(page.body, 1, static_cast<size_t>(page.body_len), file) ==
             static_cast<size_t>(page.body_len);
}

}  // namespace

int WriteOggVorbis(const char* path, const AudioBuffer& buffer, float quality, double lowpassKhz, int serial) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return 1;
  vorbis_info info;
  vorbis_info_init(&info);
  bool set = vorbis_encode_setup_vbr(&info, buffer.channels, kSampleRate, quality) == 0;
  if (set && lowpassKhz > 0) set = vorbis_encode_ctl(&info, OV_ECTL_LOWPASS_SET, &lowpassKhz) == 0;
  if (!set || vorbis_encode_setup_init(&info) != 0) {
    vorbis_info_clear(&info);
    std::fclose(file);
    return 1;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_comment_add_tag(&comment, "ENCODER", "tide_marker sound_gen");
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, serial);

  bool ok = true;
  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  ogg_page page;
  // The headers end on a page of their own, as decoders expect.
  while (ogg_stream_flush(&stream, &page) != 0) ok = ok && WritePage(file, page);

  constexpr int kChunk = 4096;
  int position = 0;
  bool finished = false;
  while (!finished) {
    const int count = std::min(kChunk, buffer.frames - position);
    if (count > 0) {
      float** channels = vorbis_analysis_buffer(&dsp, count);
      for (int c = 0; c < buffer.channels; ++c) {
        for (int i = 0; i < count; ++i) {
          channels[c][i] = buffer.samples[static_cast<size_t>(position + i) * buffer.channels + c];
        }
      }
      vorbis_analysis_wrote(&dsp, count);
      position += count;
    } else {
      // Zero samples written marks the end of the stream.
      vorbis_analysis_wrote(&dsp, 0);
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) {
          ok = ok && WritePage(file, page);
          if (ogg_page_eos(&page)) finished = true;
        }
      }
    }
    if (count <= 0 && !finished) {
      while (ogg_stream_flush(&stream, &page) != 0) {
        ok = ok && WritePage(file, page);
        if (ogg_page_eos(&page)) finished = true;
      }
      finished = true;
    }
  }

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  if (std::fclose(file) != 0) ok = false;
  return ok ? 0 : 1;
}
