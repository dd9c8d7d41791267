#include "mire/video/VideoStream.h"

#include "mire/video/WaveOutQueue.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>

namespace Vela
{
    namespace
    {
        constexpr int MAX_PACKETS_PER_PICTURE = 10000;
        constexpr double MIN_FRAME_RATE = 0.000025;
        // The scaler's vector code writes whole aligned runs of pixels; unaligned rows lose their tail.
        constexpr int RGBA_ALIGNMENT = 64;
    }

    VideoStream::VideoStream() = default;

    VideoStream::~VideoStream()
    {
        Close();
    }

    void VideoStream::Close()
    {
        av_frame_free(&myPicture);
        av_frame_free(&myReceivedPicture);
        av_frame_free(&myRgbaPicture);
        av_frame_free(&myAudioFrame);
        av_packet_free(&myPacket);
        avcodec_free_context(&myVideoCodecContext);
        avcodec_free_context(&myAudioCodecContext);
        avformat_close_input(&myFormatContext);
        av_freep(&myRgbaBuffer);
        sws_freeContext(myScalingContext);
        myScalingContext = nullptr;
        swr_free(&myResamplingContext);
        myWaveOutQueue.reset();
        myAudioStream = nullptr;
        myVideoDecoder = nullptr;
        myGotPicture = 0;
        myVideoStreamIndex = -1;
        myRgbaBufferSize = 0;
        myQueueCreated = false;
        myDraining = false;
        myDecodedPictureCount = 0;
    }

    int VideoStream::Open(const char* aPath, bool aWithAudio)
    {
        // The library's own log would put several lines on standard error for one damaged file; the player
        // says in one line that the video could not be opened, and a damaged picture is skipped quietly.
        static std::once_flag quiet;
        std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
        if (!aPath || !std::ifstream(aPath, std::ios::binary))
            return OPEN_CANNOT_READ;
        Close();
        myPath = aPath;

        if (avformat_open_input(&myFormatContext, aPath, nullptr, nullptr) != 0)
            return OPEN_CANNOT_DECODE;
        if (avformat_find_stream_info(myFormatContext, nullptr) < 0)
            return OPEN_CANNOT_DECODE;

        const AVCodecParameters* videoParameters = nullptr;
        for (unsigned i = 0; i < myFormatContext->nb_streams; ++i)
        {
            AVStream* stream = myFormatContext->streams[i];
            if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            {
                // The last video stream wins.
                myVideoStreamIndex = static_cast<int>(i);
                videoParameters = stream->codecpar;
                myVideoDecoder = avcodec_find_decoder(stream->codecpar->codec_id);
            }
            else if (aWithAudio && stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && !myAudioStream)
            {
                myAudioStream = stream;
            }
        }

        if (myAudioStream && !OpenAudio())
            return OPEN_CANNOT_DECODE;

        if (!myVideoDecoder || !videoParameters)
            return OPEN_CANNOT_DECODE;
        myVideoCodecContext = avcodec_alloc_context3(myVideoDecoder);
        if (!myVideoCodecContext || avcodec_parameters_to_context(myVideoCodecContext, videoParameters) < 0 ||
            avcodec_open2(myVideoCodecContext, myVideoDecoder, nullptr) < 0)
            return OPEN_CANNOT_DECODE;

        myPicture = av_frame_alloc();
        myReceivedPicture = av_frame_alloc();
        myRgbaPicture = av_frame_alloc();
        myPacket = av_packet_alloc();
        if (!myPicture || !myReceivedPicture || !myRgbaPicture || !myPacket)
            return OPEN_CANNOT_DECODE;
        return OPEN_OK;
    }

    bool VideoStream::OpenAudio()
    {
        const AVCodec* decoder = avcodec_find_decoder(myAudioStream->codecpar->codec_id);
        if (!decoder)
        {
            printf("Couldn't find a proper decoder for audio\n");
            return false;
        }
        myAudioCodecContext = avcodec_alloc_context3(decoder);
        if (!myAudioCodecContext || avcodec_parameters_to_context(myAudioCodecContext, myAudioStream->codecpar) < 0 ||
            avcodec_open2(myAudioCodecContext, decoder, nullptr) < 0)
        {
            printf("Couldn't open the context with the decoder for the audio\n");
            return false;
        }

        AVChannelLayout inputLayout;
        av_channel_layout_default(&inputLayout, std::max(myAudioCodecContext->ch_layout.nb_channels, 1));
        AVChannelLayout outputLayout;
        av_channel_layout_default(&outputLayout, OUTPUT_CHANNELS);
        const int result = swr_alloc_set_opts2(&myResamplingContext, &outputLayout, AV_SAMPLE_FMT_S16, OUTPUT_SAMPLE_RATE, &inputLayout,
                                               myAudioCodecContext->sample_fmt, myAudioCodecContext->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inputLayout);
        av_channel_layout_uninit(&outputLayout);
        if (result < 0 || !myResamplingContext)
        {
            printf("Couldn't create the SwrContext\n");
            return false;
        }
        if (swr_init(myResamplingContext) < 0)
        {
            printf("Couldn't initialize the SwrContext\n");
            return false;
        }
        myAudioFrame = av_frame_alloc();
        return myAudioFrame != nullptr;
    }

    bool VideoStream::Start()
    {
        if (!myVideoCodecContext)
            return false;
        DecodeNextFrame();
        return HasPicture();
    }

    double VideoStream::ChooseFrameRate(Rational aRealRate, Rational aAverageRate, Rational aCodecTimeBase)
    {
        auto rate = [](Rational aRational) { return aRational.num == 0 || aRational.den == 0 ? 0.0 : double(aRational.num) / double(aRational.den); };
        double frameRate = rate(aRealRate);
        if (frameRate < MIN_FRAME_RATE)
            frameRate = rate(aAverageRate);
        // The codec's time base as a last resort; a zero numerator must not give an infinite rate.
        if (frameRate < MIN_FRAME_RATE && aCodecTimeBase.num > 0 && aCodecTimeBase.den > 0)
            frameRate = double(aCodecTimeBase.den) / double(aCodecTimeBase.num);
        return frameRate >= MIN_FRAME_RATE && std::isfinite(frameRate) ? frameRate : FALLBACK_FRAME_RATE;
    }

    double VideoStream::GetFrameRate() const
    {
        if (!myFormatContext || myVideoStreamIndex < 0)
            return FALLBACK_FRAME_RATE;
        const AVStream* stream = myFormatContext->streams[myVideoStreamIndex];
        const AVRational timeBase = myVideoCodecContext ? myVideoCodecContext->time_base : AVRational{0, 0};
        return ChooseFrameRate({stream->r_frame_rate.num, stream->r_frame_rate.den}, {stream->avg_frame_rate.num, stream->avg_frame_rate.den},
                               {timeBase.num, timeBase.den});
    }

    int VideoStream::DecodeNextFrame()
    {
        if (!myFormatContext || !myVideoCodecContext)
            return AVERROR_EOF;
        int readResult = 0;
        for (int packets = 0; packets < MAX_PACKETS_PER_PICTURE; ++packets)
        {
            // A packet may hold several pictures, and the decoder holds some back: take those first.
            const int received = avcodec_receive_frame(myVideoCodecContext, myReceivedPicture);
            if (received == 0)
            {
                av_frame_unref(myPicture);
                av_frame_move_ref(myPicture, myReceivedPicture);
                myGotPicture = 1;
                ++myDecodedPictureCount;
                return 0;
            }
            if (myDraining)
                return received == AVERROR_EOF ? AVERROR_EOF : received;

            readResult = av_read_frame(myFormatContext, myPacket);
            if (readResult < 0)
            {
                // End of the file: let both decoders give up what they hold, then play out the sound.
                myDraining = true;
                avcodec_send_packet(myVideoCodecContext, nullptr);
                DrainAudio();
                continue;
            }
            if (myPacket->stream_index == myVideoStreamIndex)
                avcodec_send_packet(myVideoCodecContext, myPacket);
            else if (myAudioStream && myPacket->stream_index == myAudioStream->index)
                DecodeAudioPacket(myPacket);
            av_packet_unref(myPacket);
        }
        return readResult;
    }

    void VideoStream::DecodeAudioPacket(const AVPacket* aPacket)
    {
        if (!myAudioCodecContext)
            return;
        if (!myQueueCreated)
        {
            Platform::WaveFormat format;
            format.formatTag = Platform::WAVE_FORMAT_PCM;
            format.channels = OUTPUT_CHANNELS;
            format.samplesPerSecond = OUTPUT_SAMPLE_RATE;
            format.averageBytesPerSecond = OUTPUT_SAMPLE_RATE * OUTPUT_CHANNELS * OUTPUT_BYTES_PER_SAMPLE;
            format.blockAlign = OUTPUT_CHANNELS * OUTPUT_BYTES_PER_SAMPLE;
            format.bitsPerSample = OUTPUT_BYTES_PER_SAMPLE * 8;
            myWaveOutQueue = std::make_unique<WaveOutQueue>(format, WAVE_OUT_BLOCK_COUNT, WAVE_OUT_BLOCK_SIZE);
            myQueueCreated = true;
        }
        if (avcodec_send_packet(myAudioCodecContext, aPacket) < 0)
            return;
        while (avcodec_receive_frame(myAudioCodecContext, myAudioFrame) == 0)
        {
            // Every decoded frame is converted and queued; none is dropped.
            ConvertAudioFrame(myAudioFrame);
            av_frame_unref(myAudioFrame);
        }
    }

    void VideoStream::ConvertAudioFrame(const AVFrame* aFrame)
    {
        const int capacity = swr_get_out_samples(myResamplingContext, aFrame ? aFrame->nb_samples : 0);
        if (capacity <= 0)
            return;
        myAudioBuffer.resize(static_cast<size_t>(capacity) * OUTPUT_CHANNELS * OUTPUT_BYTES_PER_SAMPLE);
        uint8_t* output = myAudioBuffer.data();
        const int converted = swr_convert(myResamplingContext, &output, capacity, aFrame ? const_cast<const uint8_t**>(aFrame->extended_data) : nullptr,
                                          aFrame ? aFrame->nb_samples : 0);
        if (converted > 0)
            QueueAudio(converted);
    }

    void VideoStream::QueueAudio(int aSamplesPerChannel)
    {
        if (myWaveOutQueue)
            myWaveOutQueue->Write(myAudioBuffer.data(), aSamplesPerChannel * OUTPUT_CHANNELS * OUTPUT_BYTES_PER_SAMPLE);
    }

    void VideoStream::DrainAudio()
    {
        if (!myAudioCodecContext || !myQueueCreated)
            return;
        avcodec_send_packet(myAudioCodecContext, nullptr);
        while (avcodec_receive_frame(myAudioCodecContext, myAudioFrame) == 0)
        {
            ConvertAudioFrame(myAudioFrame);
            av_frame_unref(myAudioFrame);
        }
        // The resampler's delayed samples belong to the end of the sound.
        while (true)
        {
            const int capacity = std::max(swr_get_out_samples(myResamplingContext, 0), 0);
            if (capacity == 0)
                break;
            myAudioBuffer.resize(static_cast<size_t>(capacity) * OUTPUT_CHANNELS * OUTPUT_BYTES_PER_SAMPLE);
            uint8_t* output = myAudioBuffer.data();
            const int converted = swr_convert(myResamplingContext, &output, capacity, nullptr, 0);
            if (converted < 1)
                break;
            QueueAudio(converted);
        }
        myWaveOutQueue->Flush();
    }

    void VideoStream::Rewind()
    {
        if (!myFormatContext || myVideoStreamIndex < 0)
            return;
        av_seek_frame(myFormatContext, myVideoStreamIndex, 0, AVSEEK_FLAG_BACKWARD);
        // A drained decoder decodes nothing more until it is flushed; the resampler starts afresh.
        if (myVideoCodecContext)
            avcodec_flush_buffers(myVideoCodecContext);
        if (myAudioCodecContext)
            avcodec_flush_buffers(myAudioCodecContext);
        if (myResamplingContext)
        {
            swr_close(myResamplingContext);
            swr_init(myResamplingContext);
        }
        myDraining = false;
    }

    bool VideoStream::EnsureRgbaPicture()
    {
        const int width = myPicture->width;
        const int height = myPicture->height;
        if (width <= 0 || height <= 0)
            return false;
        if (!myRgbaBuffer || myRgbaPicture->width != width || myRgbaPicture->height != height)
        {
            av_freep(&myRgbaBuffer);
            myRgbaBufferSize = av_image_get_buffer_size(AV_PIX_FMT_RGBA, width, height, RGBA_ALIGNMENT);
            if (myRgbaBufferSize <= 0)
                return false;
            myRgbaBuffer = static_cast<uint8_t*>(av_malloc(static_cast<size_t>(myRgbaBufferSize)));
            if (!myRgbaBuffer)
                return false;
            av_image_fill_arrays(myRgbaPicture->data, myRgbaPicture->linesize, myRgbaBuffer, AV_PIX_FMT_RGBA, width, height, RGBA_ALIGNMENT);
            myRgbaPicture->width = width;
            myRgbaPicture->height = height;
        }
        myScalingContext = sws_getCachedContext(myScalingContext, width, height, static_cast<AVPixelFormat>(myPicture->format), width, height,
                                                AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        return myScalingContext != nullptr;
    }

    bool VideoStream::CopyFrameRGBA(const Gfx::MappedSubresource& aMapped, uint32_t aTextureWidth, uint32_t aTextureHeight)
    {
        if (!HasPicture() || !aMapped.data || !EnsureRgbaPicture())
            return false;
        sws_scale(myScalingContext, myPicture->data, myPicture->linesize, 0, myPicture->height, myRgbaPicture->data, myRgbaPicture->linesize);
        const uint32_t rows = std::min<uint32_t>(static_cast<uint32_t>(myPicture->height), aTextureHeight);
        const uint32_t columns = std::min<uint32_t>(static_cast<uint32_t>(myPicture->width), aTextureWidth);
        const size_t rowBytes = std::min<size_t>(size_t(columns) * 4, aMapped.rowPitch);
        auto* destination = static_cast<uint8_t*>(aMapped.data);
        for (uint32_t y = 0; y < rows; ++y)
            std::memcpy(destination + size_t(y) * aMapped.rowPitch, myRgbaPicture->data[0] + size_t(y) * myRgbaPicture->linesize[0], rowBytes);
        return true;
    }

    uint32_t VideoStream::GetPictureWidth() const
    {
        return HasPicture() ? static_cast<uint32_t>(std::max(myPicture->width, 0)) : 0;
    }

    uint32_t VideoStream::GetPictureHeight() const
    {
        return HasPicture() ? static_cast<uint32_t>(std::max(myPicture->height, 0)) : 0;
    }

    double VideoStream::GetPictureTime() const
    {
        if (!HasPicture() || myPicture->best_effort_timestamp == AV_NOPTS_VALUE)
            return 0.0;
        return double(myPicture->best_effort_timestamp) * av_q2d(myFormatContext->streams[myVideoStreamIndex]->time_base);
    }
}
