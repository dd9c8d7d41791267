#pragma once
// Demuxes and decodes a video file with FFmpeg: pictures are converted to RGBA for a texture, and
// the sound (when asked for) is converted to 16-bit stereo at 44100 Hz and queued on the wave-out
// device as it is read. Main thread only.
#include "Platform/graphics/Gfx.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVCodec;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwrContext;
struct SwsContext;

namespace Vela
{
    class WaveOutQueue;

    class VideoStream
    {
    public:
        // Open's results.
        static constexpr int OPEN_OK = 0;
        static constexpr int OPEN_CANNOT_DECODE = 1;
        static constexpr int OPEN_CANNOT_READ = 2;

        static constexpr int OUTPUT_CHANNELS = 2;
        static constexpr int OUTPUT_SAMPLE_RATE = 44100;
        static constexpr int OUTPUT_BYTES_PER_SAMPLE = 2;
        static constexpr int WAVE_OUT_BLOCK_COUNT = 16;
        static constexpr int WAVE_OUT_BLOCK_SIZE = 4096;

        VideoStream();
        ~VideoStream();
        VideoStream(const VideoStream&) = delete;
        VideoStream& operator=(const VideoStream&) = delete;

        // The path is used as given (callers resolve asset paths first).
        int Open(const char* aPath, bool aWithAudio);
        // Decodes the first picture; false when the file holds none.
        bool Start();
        // Pictures per second; a stream that names no usable rate plays at FALLBACK_FRAME_RATE.
        double GetFrameRate() const;
        // Reads until the next picture is decoded. 0 with a picture; negative at the end of the
        // stream, once the decoders have given up everything they held back.
        int DecodeNextFrame();
        // Back to the first picture (for looping).
        void Rewind();
        // Converts the last picture to RGBA into mapped texture memory, row by row with the mapped
        // row pitch, clipped to the texture. False without a picture.
        bool CopyFrameRGBA(const Gfx::MappedSubresource& aMapped, uint32_t aTextureWidth, uint32_t aTextureHeight);

        bool HasPicture() const { return myGotPicture != 0; }
        uint32_t GetPictureWidth() const;
        uint32_t GetPictureHeight() const;
        // Presentation time of the last picture in seconds (0 when unknown).
        double GetPictureTime() const;
        uint64_t GetDecodedPictureCount() const { return myDecodedPictureCount; }
        bool HasAudio() const { return myAudioStream != nullptr; }
        WaveOutQueue* GetWaveOutQueue() const { return myWaveOutQueue.get(); }

        static constexpr double FALLBACK_FRAME_RATE = 30.0;

        struct Rational
        {
            int num = 0;
            int den = 0;
        };
        // The stream's real frame rate, else its average, else the inverse of the codec's time base,
        // else FALLBACK_FRAME_RATE: never zero or infinite.
        static double ChooseFrameRate(Rational aRealRate, Rational aAverageRate, Rational aCodecTimeBase);

    private:
        bool OpenAudio();
        void DecodeAudioPacket(const AVPacket* aPacket);
        void ConvertAudioFrame(const AVFrame* aFrame);
        void DrainAudio();
        void QueueAudio(int aSamplesPerChannel);
        bool EnsureRgbaPicture();
        void Close();

        const AVCodec* myVideoDecoder = nullptr;
        AVCodecContext* myVideoCodecContext = nullptr;
        AVCodecContext* myAudioCodecContext = nullptr;
        SwsContext* myScalingContext = nullptr;
        SwrContext* myResamplingContext = nullptr;
        AVFormatContext* myFormatContext = nullptr;
        AVFrame* myPicture = nullptr;
        AVFrame* myReceivedPicture = nullptr; // the decoder clears the frame it fails to fill: keep the last picture apart
        AVFrame* myRgbaPicture = nullptr;
        AVFrame* myAudioFrame = nullptr;
        AVPacket* myPacket = nullptr;
        std::string myPath;
        uint8_t* myRgbaBuffer = nullptr;
        int myGotPicture = 0;
        int myVideoStreamIndex = -1;
        int myRgbaBufferSize = 0;
        AVStream* myAudioStream = nullptr;
        std::vector<uint8_t> myAudioBuffer; // converted sound of one decoded frame
        std::unique_ptr<WaveOutQueue> myWaveOutQueue;
        bool myQueueCreated = false;
        bool myDraining = false; // the file is read to its end; the decoders give up what they hold
        uint64_t myDecodedPictureCount = 0;
    };
}
