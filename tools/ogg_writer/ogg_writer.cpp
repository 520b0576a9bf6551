// Ogg Vorbis encoding: header packets flushed onto their own pages, then the audio in blocks
// of 4096 frames, and whatever the stream still holds flushed at the end.
#include "tools/ogg_writer/ogg_writer.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

std::vector<std::uint8_t> EncodeOggVorbis(const std::vector<float>& interleaved, int channels,
                                          int rate, float quality, int serial) {
    std::vector<std::uint8_t> file;
    if (channels <= 0) return file;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
        vorbis_info_clear(&vi);
        return file;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    auto append = [&file](const ogg_page& page) {
        file.insert(file.end(), page.header, page.header + page.header_len);
        file.insert(file.end(), page.body, page.body + page.body_len);
    };

    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) append(page);

    const long frames = static_cast<long>(interleaved.size()) / channels;
    const long chunk = 4096;
    long done = 0;
    bool eos = false;
    while (!eos) {
        const long n = std::min(chunk, frames - done);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (long i = 0; i < n; ++i) {
                for (int c = 0; c < channels; ++c) {
                    buffer[c][i] = interleaved[static_cast<size_t>(done + i) * channels + c];
                }
            }
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            done += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);  // end of stream
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet) == 1) {
                ogg_stream_packetin(&os, &packet);
                while (!eos && ogg_stream_pageout(&os, &page) != 0) {
                    append(page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
        if (n <= 0 && !eos) {
            // Everything has been analysed; push out whatever is left.
            while (ogg_stream_flush(&os, &page) != 0) {
                append(page);
                if (ogg_page_eos(&page)) eos = true;
            }
            eos = true;
        }
    }

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return file;
}
