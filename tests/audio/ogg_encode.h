// Encodes 16-bit PCM to an in-memory Ogg Vorbis file with libvorbisenc, so tests and
// benchmarks make their own fixtures instead of carrying binary files.
#pragma once

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

inline std::vector<std::uint8_t> EncodeOgg(const std::vector<std::int16_t>& interleaved,
                                           int channels, int hertz, float quality = 0.3f) {
    std::vector<std::uint8_t> file;
    auto append = [&file](const ogg_page& page) {
        file.insert(file.end(), page.header, page.header + page.header_len);
        file.insert(file.end(), page.body, page.body + page.body_len);
    };
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, hertz, quality) != 0) {
        vorbis_info_clear(&info);
        return file;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    ogg_packet header, header_comment, header_code;
    vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &header_comment);
    ogg_stream_packetin(&os, &header_code);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) append(page);

    const long frames = static_cast<long>(interleaved.size()) / channels;
    long done = 0;
    bool eos = false;
    while (!eos) {
        const long chunk = std::min<long>(4096, frames - done);
        if (chunk > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(chunk));
            for (long i = 0; i < chunk; ++i) {
                for (int c = 0; c < channels; ++c) {
                    buffer[c][i] = interleaved[(done + i) * channels + c] / 32768.0f;
                }
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(chunk));
            done += chunk;
        } else {
            vorbis_analysis_wrote(&dsp, 0);
        }
        ogg_packet packet;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    append(page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
        if (chunk <= 0 && !eos) {
            while (ogg_stream_flush(&os, &page) != 0) {
                append(page);
                if (ogg_page_eos(&page)) eos = true;
            }
            eos = true;
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return file;
}
