// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellCatalogue.h"
#include "ExecutableFolder.h"
#include "LeadIn.h"
#include "Ring.h"
#include "SoundBackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

// In this order: Media Foundation's headers before the audio client's, whose kernel-streaming
// header otherwise declares again what DirectShow's declare.
// clang-format off
#include <windows.h>
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <mmdeviceapi.h>
#include <audioclient.h>
#include <wrl/client.h>
// clang-format on

namespace chimewick {
namespace {

// Media Foundation's Source Reader decodes the whole recording into memory; WASAPI plays it in
// shared mode. Neither MFPlay nor the Media Engine: a player of our own is what lets the
// output be filled before the bell is due, so that play() has nothing left to do but start it.
// Sound written into an output that already runs is heard late by an amount that differs from
// stream to stream (12 to 96 ms under Wine); an output filled ahead and then started is heard
// at once.
//
// Each bell has a thread of its own that owns every COM object of the bell: it decodes, readies
// the output, and then feeds it. The object's thread only asks, through Shared, and hears back
// through queued calls.

using Microsoft::WRL::ComPtr;

// The operator's words for a file that opens but does not sound, and for a computer that has
// no output to sound it on.
const QString Undecodable = QStringLiteral("not a sound the player can decode");
const QString NoOutput = QStringLiteral("no sound output");

// The output's buffer, all of it filled before the start. Ample, so that a busy computer does
// not starve the output between the thread's wakes; its length delays nothing, as the bell is
// in it before it starts and a pause or a seek stops the output first.
constexpr REFERENCE_TIME BufferHns = 1000000; // 100 ms
// Decoded before the bell is called open, so that its length is the exact one: all of any
// bell. A longer recording's remainder is decoded while it plays, far faster than it plays.
constexpr int DecodedAtOpenSeconds = 10;
// The output takes the recording at its own rate times this; beyond it, at a sample rate the
// output's converter is not made for.
constexpr double SlowestRate = 0.25;
constexpr double FastestRate = 4.0;

bool failed(HRESULT hr) {
    return hr < 0;
}

QString hex(HRESULT hr) {
    return QStringLiteral("0x%1").arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0'));
}

// The decoder's samples that are read here.
bool knownSamples(const GUID& subtype, UINT32 bits) {
    return (subtype == MFAudioFormat_Float && (bits == 32 || bits == 64)) ||
           (subtype == MFAudioFormat_PCM && (bits == 8 || bits == 16 || bits == 24 || bits == 32));
}

// A file the Source Reader could not open: the system's own reasons in plain words, anything
// else is the decoder's.
QString openProblem(HRESULT hr) {
    switch (static_cast<quint32>(hr)) {
    case 0x80070002: // ERROR_FILE_NOT_FOUND
    case 0x80070003: // ERROR_PATH_NOT_FOUND
        return QStringLiteral("file not found");
    case 0x80070005: // ERROR_ACCESS_DENIED
    case 0x80070020: // ERROR_SHARING_VIOLATION: another program holds the file
        return QStringLiteral("access denied");
    default:
        return Undecodable;
    }
}

// What the decoder puts out before the recording's first sample, in frames, by what the file
// says of itself: the Source Reader does not name its decoder, and under Wine the media source
// decodes before the reader sees the stream. Measured under Wine 8 against the recordings'
// own sound: WMA one frame of the format (wmaLeadIn), MP3 the encoder's delay and the
// decoder's 529 samples (mp3LeadIn), WAV none.
qint64 leadInFrames(const QString& file, int rate) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return 0;
    QByteArray head = in.read(static_cast<qint64>(AsfHeadBytes));
    const auto view = [&head] {
        return std::string_view(head.constData(), static_cast<std::size_t>(head.size()));
    };
    if (const int version = asfWmaVersion(view()))
        return wmaLeadIn(version, rate);
    // The MP3 frame with the encoder's tag follows any ID3 tag, which may be long.
    const auto tag = static_cast<qint64>(id3TagBytes(view()));
    const qint64 wanted = tag + static_cast<qint64>(Mp3HeadBytes);
    if (tag > 0 && wanted > head.size() && wanted < (8 << 20)) {
        in.seek(head.size());
        head += in.read(wanted - head.size());
    }
    return mp3LeadIn(view());
}

class MfSoundBackend;

// Between a bell's object and its thread.
struct Shared {
    std::mutex mutex;
    // Where the thread's news goes; none once the object is closed, and news is dropped.
    MfSoundBackend* target = nullptr;

    // Asked by the object.
    bool play = false;
    bool quit = false;
    int seekCount = 0; // each seek a new one, so that a seek to the same place still counts
    qint64 seekMs = 0;
    double volume = 1.0;
    bool muted = false;
    double rate = 1.0;

    // Told by the thread.
    qint64 positionMs = 0;
    qint64 durationMs = 0;

    // Set whenever the object asks something.
    const HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);

    Shared() = default;
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;
    ~Shared() {
        if (wake)
            CloseHandle(wake);
    }
};

class MfSoundBackend final : public SoundBackend {
public:
    MfSoundBackend() = default;
    ~MfSoundBackend() override { close(); }

    void open(const QString& file) override;
    void play() override;
    void pause() override;
    void seek(qint64 milliseconds) override;
    void setVolume(double volume) override;
    void setMuted(bool muted) override;
    void setRate(double rate) override;
    void close() override;
    bool isOpen() const override { return opened_ && !failed_; }
    bool isPlaying() const override { return playing_; }
    qint64 position() const override;
    qint64 duration() const override;
    bool isSeekable() const override { return opened_; }

    // The thread's news, on the object's thread.
    void onOpened();
    void onPlayingChanged(bool playing);
    void onEnded();
    void onFailed(const QString& reason, const QString& detail);

private:
    template<typename Change> void ask(Change change);

    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    std::thread thread_;
    bool opened_ = false;
    bool failed_ = false;
    bool closed_ = false;
    bool playing_ = false;
};

// One bell's thread: the recording, decoded, and the output that plays it.
class Engine {
public:
    Engine(std::shared_ptr<Shared> shared, QString file)
        : shared_(std::move(shared)), file_(std::move(file)) {}
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    ~Engine() { closeOutput(); }

    void run();

private:
    // What the object asked, taken at one moment.
    struct Asked {
        bool play = false;
        bool quit = false;
        int seekCount = 0;
        qint64 seekMs = 0;
        double volume = 1.0;
        bool muted = false;
        double rate = 1.0;
    };
    Asked asked();
    template<typename Call> void tell(Call call);
    void fail(const QString& reason, const QString& what, HRESULT hr);

    bool openReader();
    bool decodeNext();
    bool decodeUpTo(qint64 frame);
    bool openOutput(double rate);
    void closeOutput();
    bool reopenOutput(double rate, qint64 frame);
    bool recover(HRESULT hr, const QString& what);
    bool fill();
    bool applyVolume(const Asked& a);
    bool start(bool running);
    bool seekTo(qint64 milliseconds);
    qint64 heardFrame();
    // The first frame at or after a time: a position sought is then told back exactly.
    qint64 frameAt(qint64 milliseconds) const {
        return (std::max<qint64>(milliseconds, 0) * rate_ + 999) / 1000;
    }
    qint64 frames() const { return static_cast<qint64>(samples_.size()) / channels_; }
    void publish(int seekCount);
    void loop();

    std::shared_ptr<Shared> shared_;
    QString file_;

    // The decoder, until the whole recording is in memory.
    ComPtr<IMFSourceReader> reader_;
    GUID subtype_{};
    int bits_ = 0;
    int rate_ = 0;
    int channels_ = 1;
    qint64 leadIn_ = 0;           // frames still to leave out of the decoder's output
    qint64 durationHint_ = 0;     // the file's own word, in frames, until all is decoded
    std::vector<qint16> samples_; // interleaved, from the recording's first sample
    bool decoded_ = false;

    // The output.
    ComPtr<IAudioClient> client_;
    ComPtr<IAudioRenderClient> render_;
    ComPtr<IAudioStreamVolume> volume_;
    HANDLE ready_ = nullptr; // set by the output when its buffer has room
    UINT32 bufferFrames_ = 0;
    qint64 base_ = 0;    // the recording's frame that the output's stream began at
    qint64 written_ = 0; // frames written to the output since
    bool running_ = false;
    bool atEnd_ = false;
    qint64 lastHeard_ = 0; // the last frame known heard, for when the output cannot say
    int recoveries_ = 0;

    // What has been done of what was asked.
    int seekCount_ = 0;
    double rateApplied_ = 1.0;
    double volumeApplied_ = -1.0; // muted is a level of 0
};

Engine::Asked Engine::asked() {
    const std::lock_guard lock(shared_->mutex);
    return {shared_->play,   shared_->quit,  shared_->seekCount, shared_->seekMs,
            shared_->volume, shared_->muted, shared_->rate};
}

// Queued to the object, and dropped if it has been closed meanwhile.
template<typename Call> void Engine::tell(Call call) {
    const std::lock_guard lock(shared_->mutex);
    if (MfSoundBackend* target = shared_->target)
        QMetaObject::invokeMethod(
            target, [target, call] { call(*target); }, Qt::QueuedConnection);
}

void Engine::fail(const QString& reason, const QString& what, HRESULT hr) {
    const QString detail = QStringLiteral("%1 (%2)").arg(what, hex(hr));
    tell([reason, detail](MfSoundBackend& b) { b.onFailed(reason, detail); });
}

void Engine::run() {
    const bool com = !failed(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    const HRESULT started = MFStartup(MF_VERSION, MFSTARTUP_LITE);
    if (failed(started))
        fail(Undecodable, QStringLiteral("Media Foundation did not start"), started);
    else
        loop();
    // Every object goes before Media Foundation and COM are let go on this thread.
    closeOutput();
    reader_.Reset();
    if (!failed(started))
        MFShutdown();
    if (com)
        CoUninitialize();
}

bool Engine::openReader() {
    const std::wstring path = QDir::toNativeSeparators(file_).toStdWString();
    HRESULT hr = MFCreateSourceReaderFromURL(path.c_str(), nullptr, &reader_);
    if (failed(hr)) {
        fail(openProblem(hr), QStringLiteral("the decoder did not open the file"), hr);
        return false;
    }
    constexpr auto Sound = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
    reader_->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);
    hr = reader_->SetStreamSelection(Sound, TRUE);
    if (failed(hr)) {
        fail(Undecodable, QStringLiteral("no sound in the file"), hr);
        return false;
    }
    // At the file's own rate and channels: asked for any other, the reader finds no converter.
    ComPtr<IMFMediaType> wanted;
    hr = MFCreateMediaType(&wanted);
    if (!failed(hr))
        hr = wanted->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    if (!failed(hr))
        hr = wanted->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_Float);
    if (!failed(hr))
        hr = wanted->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 32);
    if (!failed(hr))
        hr = reader_->SetCurrentMediaType(Sound, nullptr, wanted.Get());
    ComPtr<IMFMediaType> given;
    if (!failed(hr))
        hr = reader_->GetCurrentMediaType(Sound, &given);
    if (failed(hr)) {
        fail(Undecodable, QStringLiteral("the decoder gives no sound samples"), hr);
        return false;
    }
    // The reader may pass a WAV's own samples through, whatever was asked: taken as they come.
    UINT32 rate = 0;
    UINT32 channels = 0;
    UINT32 bits = 0;
    given->GetGUID(MF_MT_SUBTYPE, &subtype_);
    given->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
    given->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
    given->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits);
    if (!knownSamples(subtype_, bits) || rate == 0 || rate > 768000 || channels == 0 ||
        channels > 8) {
        fail(Undecodable,
             QStringLiteral("the decoder gives samples of an unknown kind: %1 bits, %2 Hz, %3 "
                            "channels")
                 .arg(bits)
                 .arg(rate)
                 .arg(channels),
             MF_E_INVALIDMEDIATYPE);
        return false;
    }
    rate_ = static_cast<int>(rate);
    channels_ = static_cast<int>(channels);
    bits_ = static_cast<int>(bits);
    leadIn_ = leadInFrames(file_, rate_);
    PROPVARIANT length;
    PropVariantInit(&length);
    if (!failed(reader_->GetPresentationAttribute(static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE),
                                                  MF_PD_DURATION, &length)) &&
        length.vt == VT_UI8)
        durationHint_ = std::max<qint64>(
            static_cast<qint64>(static_cast<double>(length.uhVal.QuadPart) / 1e7 * rate_) - leadIn_,
            0);
    PropVariantClear(&length);
    return true;
}

// Decodes the next stretch of the recording; false once it failed.
bool Engine::decodeNext() {
    if (decoded_)
        return true;
    DWORD flags = 0;
    ComPtr<IMFSample> sample;
    HRESULT hr = reader_->ReadSample(static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM), 0,
                                     nullptr, &flags, nullptr, &sample);
    if (failed(hr)) {
        fail(Undecodable, QStringLiteral("the decoder stopped"), hr);
        return false;
    }
    if (flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) {
        // Samples of another width come through as they are; another rate or layout would not
        // be the same recording in the one output.
        ComPtr<IMFMediaType> given;
        UINT32 rate = 0;
        UINT32 channels = 0;
        UINT32 bits = 0;
        hr = reader_->GetCurrentMediaType(static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM),
                                          &given);
        if (!failed(hr)) {
            given->GetGUID(MF_MT_SUBTYPE, &subtype_);
            given->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
            given->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
            given->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits);
            bits_ = static_cast<int>(bits);
        }
        if (failed(hr) || !knownSamples(subtype_, bits) || static_cast<int>(rate) != rate_ ||
            static_cast<int>(channels) != channels_) {
            fail(Undecodable, QStringLiteral("the sound's format changes midway"),
                 failed(hr) ? hr : MF_E_INVALIDMEDIATYPE);
            return false;
        }
    }
    if (sample) {
        ComPtr<IMFMediaBuffer> buffer;
        BYTE* data = nullptr;
        DWORD bytes = 0;
        hr = sample->ConvertToContiguousBuffer(&buffer);
        if (!failed(hr))
            hr = buffer->Lock(&data, nullptr, &bytes);
        if (failed(hr)) {
            fail(Undecodable, QStringLiteral("the decoder's samples could not be read"), hr);
            return false;
        }
        // Kept as 16-bit samples: half the memory of the decoder's floats for a long
        // recording, and a 16-bit WAV comes through unchanged.
        const std::size_t width = static_cast<std::size_t>(bits_) / 8;
        const std::size_t count = bytes / width;
        const std::size_t skip = std::min(count, static_cast<std::size_t>(leadIn_) *
                                                     static_cast<std::size_t>(channels_));
        leadIn_ -= static_cast<qint64>(skip) / channels_;
        samples_.reserve(samples_.size() + count - skip);
        const auto fromFloat = [](double x) {
            return static_cast<qint16>(std::lround(std::clamp(x * 32768.0, -32768.0, 32767.0)));
        };
        for (std::size_t i = skip; i < count; ++i) {
            const BYTE* at = data + i * width;
            if (subtype_ == MFAudioFormat_Float && width == 4) {
                float x;
                std::memcpy(&x, at, 4);
                samples_.push_back(fromFloat(x));
            } else if (subtype_ == MFAudioFormat_Float) {
                double x;
                std::memcpy(&x, at, 8);
                samples_.push_back(fromFloat(x));
            } else if (width == 1) {
                samples_.push_back(static_cast<qint16>((at[0] - 128) * 256));
            } else {
                // Little-endian; the two most significant bytes are the 16-bit sample.
                samples_.push_back(static_cast<qint16>(at[width - 1] << 8 | at[width - 2]));
            }
        }
        buffer->Unlock();
    }
    if (flags & MF_SOURCE_READERF_ENDOFSTREAM) {
        decoded_ = true;
        reader_.Reset();
    }
    return true;
}

bool Engine::decodeUpTo(qint64 frame) {
    while (!decoded_ && frames() < frame)
        if (asked().quit || !decodeNext())
            return false;
    return true;
}

bool Engine::openOutput(double rate) {
    ComPtr<IMMDeviceEnumerator> devices;
    ComPtr<IMMDevice> device;
    // Asked afresh for every bell, so that a bell after the output came back finds it.
    HRESULT hr = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                  IID_PPV_ARGS(devices.GetAddressOf()));
    if (!failed(hr))
        hr = devices->GetDefaultAudioEndpoint(eRender, eConsole, &device);
    if (failed(hr)) {
        fail(NoOutput, QStringLiteral("the system has no default sound output"), hr);
        return false;
    }
    hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, &client_);
    if (failed(hr)) {
        fail(NoOutput, QStringLiteral("the sound output did not open"), hr);
        return false;
    }
    // The recording's own format; another rate asks the output's converter to play it faster
    // or slower, as a tape would.
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels_);
    format.nSamplesPerSec = static_cast<DWORD>(std::lround(rate_ * rate));
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(2 * channels_);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    hr =
        client_->Initialize(AUDCLNT_SHAREMODE_SHARED,
                            AUDCLNT_STREAMFLAGS_EVENTCALLBACK | AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM |
                                AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY,
                            BufferHns, 0, &format, nullptr);
    if (failed(hr)) {
        fail(static_cast<quint32>(hr) == static_cast<quint32>(AUDCLNT_E_UNSUPPORTED_FORMAT)
                 ? Undecodable
                 : NoOutput,
             QStringLiteral("the sound output refused %1 channels at %2 Hz")
                 .arg(channels_)
                 .arg(format.nSamplesPerSec),
             hr);
        return false;
    }
    ready_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    hr = ready_ ? client_->SetEventHandle(ready_) : HRESULT_FROM_WIN32(GetLastError());
    if (!failed(hr))
        hr = client_->GetBufferSize(&bufferFrames_);
    if (!failed(hr))
        hr = client_->GetService(IID_PPV_ARGS(render_.GetAddressOf()));
    if (!failed(hr))
        hr = client_->GetService(IID_PPV_ARGS(volume_.GetAddressOf()));
    if (failed(hr)) {
        fail(NoOutput, QStringLiteral("the sound output did not get ready"), hr);
        return false;
    }
    rateApplied_ = rate;
    volumeApplied_ = -1.0;
    written_ = 0;
    running_ = false;
    return true;
}

void Engine::closeOutput() {
    if (client_)
        client_->Stop();
    volume_.Reset();
    render_.Reset();
    client_.Reset();
    if (ready_)
        CloseHandle(ready_);
    ready_ = nullptr;
    running_ = false;
}

// A new output, filled from the frame on; started again by the loop if the bell is to play.
bool Engine::reopenOutput(double rate, qint64 frame) {
    closeOutput();
    if (!openOutput(rate))
        return false;
    base_ = frame;
    lastHeard_ = frame;
    return applyVolume(asked()) && fill();
}

// An output that went away (a device unplugged, or the one a held bell was readied on) is
// replaced by the system's default output, and the bell goes on from where it was heard; an
// output that keeps going away, or any other fault, is a bell that cannot sound.
bool Engine::recover(HRESULT hr, const QString& what) {
    if (hr != AUDCLNT_E_DEVICE_INVALIDATED || ++recoveries_ > 2) {
        fail(NoOutput, what, hr);
        return false;
    }
    return reopenOutput(rateApplied_, lastHeard_);
}

// Writes as much of the recording as the output has room for.
bool Engine::fill() {
    UINT32 padding = 0;
    HRESULT hr = client_->GetCurrentPadding(&padding);
    const qint64 next = base_ + written_;
    const qint64 count = std::min(static_cast<qint64>(bufferFrames_) - static_cast<qint64>(padding),
                                  frames() - next);
    if (!failed(hr) && count <= 0)
        return true;
    BYTE* data = nullptr;
    if (!failed(hr))
        hr = render_->GetBuffer(static_cast<UINT32>(count), &data);
    if (failed(hr))
        return recover(hr, QStringLiteral("the sound output went away"));
    std::memcpy(data, samples_.data() + next * channels_,
                static_cast<std::size_t>(count * channels_) * sizeof(qint16));
    render_->ReleaseBuffer(static_cast<UINT32>(count), 0);
    written_ += count;
    return true;
}

// The stream's own volume: at once, and no other sound of the program's is touched.
bool Engine::applyVolume(const Asked& a) {
    const double level = a.muted ? 0.0 : std::clamp(a.volume, 0.0, 1.0);
    if (level == volumeApplied_)
        return true;
    std::vector<float> levels(static_cast<std::size_t>(channels_), static_cast<float>(level));
    const HRESULT hr = volume_->SetAllVolumes(static_cast<UINT32>(channels_), levels.data());
    if (failed(hr)) {
        fail(NoOutput, QStringLiteral("the sound output's volume could not be set"), hr);
        return false;
    }
    volumeApplied_ = level;
    return true;
}

bool Engine::start(bool running) {
    if (running == running_)
        return true;
    const HRESULT hr = running ? client_->Start() : client_->Stop();
    if (failed(hr)) {
        // A new output, if the old one went away: started on the loop's next round.
        if (!recover(hr, QStringLiteral("the sound output did not start")))
            return false;
        if (running)
            return true;
    }
    running_ = running;
    tell([running](MfSoundBackend& b) { b.onPlayingChanged(running); });
    return true;
}

// The output is stopped and emptied, then filled from the new place, and started again if
// it ran: sound written behind what is queued would be heard only after it.
bool Engine::seekTo(qint64 milliseconds) {
    const qint64 frame = frameAt(milliseconds);
    if (!decodeUpTo(frame + 1))
        return false;
    const bool was = running_;
    atEnd_ = false;
    lastHeard_ = std::min(frame, frames());
    if (was)
        client_->Stop();
    const HRESULT hr = client_->Reset();
    if (failed(hr))
        return recover(hr, QStringLiteral("the sound output could not be emptied"));
    base_ = lastHeard_;
    written_ = 0;
    if (!fill())
        return false;
    // Not started: the loop starts it on its next round.
    if (was && failed(client_->Start()))
        running_ = false;
    return true;
}

qint64 Engine::heardFrame() {
    UINT32 padding = 0;
    if (!failed(client_->GetCurrentPadding(&padding)))
        lastHeard_ = base_ + written_ - padding;
    return lastHeard_;
}

// The position and length, unless a seek is on its way: its place stands until it is done.
void Engine::publish(int seekCount) {
    const qint64 position = heardFrame() * 1000 / rate_;
    const qint64 length = (decoded_ ? frames() : std::max(frames(), durationHint_)) * 1000 / rate_;
    const std::lock_guard lock(shared_->mutex);
    if (shared_->seekCount == seekCount)
        shared_->positionMs = position;
    shared_->durationMs = length;
}

void Engine::loop() {
    if (!openReader() || !decodeUpTo(static_cast<qint64>(DecodedAtOpenSeconds) * rate_))
        return;
    if (decoded_ && frames() == 0) {
        fail(Undecodable, QStringLiteral("no sound in the file"), MF_E_INVALID_STREAM_DATA);
        return;
    }
    Asked a = asked();
    if (a.quit || !openOutput(std::clamp(a.rate, SlowestRate, FastestRate)) || !applyVolume(a))
        return;
    // A seek asked before the file was open starts the bell there.
    seekCount_ = a.seekCount;
    base_ = std::min(frameAt(a.seekMs), frames());
    lastHeard_ = base_;
    if (!decodeUpTo(base_ + static_cast<qint64>(bufferFrames_)) || !fill())
        return;
    publish(seekCount_);
    tell([](MfSoundBackend& b) { b.onOpened(); });

    const HANDLE events[] = {shared_->wake, ready_};
    for (;;) {
        a = asked();
        if (a.quit)
            return;
        const double rate = std::clamp(a.rate, SlowestRate, FastestRate);
        if (rate != rateApplied_) {
            // An output's format is fixed once made: a new one, from where this one was.
            if (!reopenOutput(rate, heardFrame()))
                return;
        }
        if (a.seekCount != seekCount_) {
            seekCount_ = a.seekCount;
            if (!seekTo(a.seekMs))
                return;
        }
        if (!applyVolume(a) || !start(a.play && !atEnd_) || !decodeNext() || !fill())
            return;
        // The end is heard when the output has played out all that was written.
        if (running_ && decoded_ && base_ + written_ >= frames() && heardFrame() >= frames()) {
            if (!start(false))
                return;
            atEnd_ = true;
            tell([](MfSoundBackend& b) { b.onEnded(); });
        }
        publish(seekCount_);
        // At once while decoding, or when the output is to run and does not (a new one).
        const bool behind = (a.play && !atEnd_) != running_;
        const DWORD wait = !decoded_ || behind ? 0 : running_ ? 100 : INFINITE;
        WaitForMultipleObjects(2, events, FALSE, wait);
    }
}

template<typename Change> void MfSoundBackend::ask(Change change) {
    {
        const std::lock_guard lock(shared_->mutex);
        change(*shared_);
    }
    SetEvent(shared_->wake);
}

void MfSoundBackend::open(const QString& file) {
    if (thread_.joinable() || closed_)
        return;
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->target = this;
    }
    // Decoding and readying the output take the bell's own thread, not the window's.
    QString problem;
    if (!shared_->wake)
        problem = QStringLiteral("no event for the bell's thread (%1)")
                      .arg(hex(HRESULT_FROM_WIN32(GetLastError())));
    else
        try {
            thread_ = std::thread([shared = shared_, file] { Engine(shared, file).run(); });
        } catch (const std::system_error& error) {
            problem = QStringLiteral("no thread for the bell: %1").arg(error.what());
        }
    // Told later, as every other failure: the caller is still inside open().
    if (!problem.isEmpty())
        QMetaObject::invokeMethod(
            this, [this, problem] { onFailed(Undecodable, problem); }, Qt::QueuedConnection);
}

void MfSoundBackend::play() {
    ask([](Shared& s) { s.play = true; });
}

void MfSoundBackend::pause() {
    ask([](Shared& s) { s.play = false; });
}

void MfSoundBackend::seek(qint64 milliseconds) {
    ask([milliseconds](Shared& s) {
        ++s.seekCount;
        s.seekMs = std::max<qint64>(milliseconds, 0);
        s.positionMs = s.durationMs > 0 ? std::min(s.seekMs, s.durationMs) : s.seekMs;
    });
}

void MfSoundBackend::setVolume(double volume) {
    ask([volume](Shared& s) { s.volume = volume; });
}

void MfSoundBackend::setMuted(bool muted) {
    ask([muted](Shared& s) { s.muted = muted; });
}

void MfSoundBackend::setRate(double rate) {
    ask([rate](Shared& s) { s.rate = rate > 0.0 ? rate : 1.0; });
}

void MfSoundBackend::close() {
    ask([](Shared& s) {
        s.target = nullptr;
        s.quit = true;
    });
    // Quick: the thread checks between two stretches of decoding, and stops its output first.
    if (thread_.joinable())
        thread_.join();
    playing_ = false;
    closed_ = true;
}

qint64 MfSoundBackend::position() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->positionMs;
}

qint64 MfSoundBackend::duration() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->durationMs;
}

void MfSoundBackend::onOpened() {
    if (closed_ || failed_)
        return;
    opened_ = true;
    emit opened();
}

void MfSoundBackend::onPlayingChanged(bool playing) {
    if (closed_ || failed_ || playing == playing_)
        return;
    playing_ = playing;
    emit playingChanged(playing);
}

void MfSoundBackend::onEnded() {
    if (!closed_ && !failed_)
        emit ended();
}

void MfSoundBackend::onFailed(const QString& reason, const QString& detail) {
    if (closed_ || failed_)
        return;
    failed_ = true;
    playing_ = false;
    emit failed(reason, detail);
}

// One recording of each kind the program's folder holds, opened and its first stretch
// decoded: the first of a kind in a process takes 100 to 400 ms, later ones a tenth of that.
void warmDecoders() {
    QStringList files;
    try {
        const std::string folder = executableFolder();
        QStringList kinds;
        for (const Bell& bell : bellCatalogue()) {
            const QFileInfo file(QString::fromStdString(bellPath(folder, bell.fileName)));
            const QString kind = file.suffix().toLower();
            if (!kinds.contains(kind) && file.isFile()) {
                kinds.append(kind);
                files.append(file.filePath());
            }
        }
    } catch (const std::exception&) {
        // No folder known: only the output and Media Foundation itself are readied.
    }
    for (const QString& file : files) {
        ComPtr<IMFSourceReader> reader;
        const std::wstring path = QDir::toNativeSeparators(file).toStdWString();
        if (failed(MFCreateSourceReaderFromURL(path.c_str(), nullptr, &reader)))
            continue;
        DWORD flags = 0;
        ComPtr<IMFSample> sample;
        reader->ReadSample(static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM), 0, nullptr,
                           &flags, nullptr, &sample);
    }
}

// The first output made in a process loads the system's audio driver.
void warmOutput() {
    ComPtr<IMMDeviceEnumerator> devices;
    ComPtr<IMMDevice> device;
    ComPtr<IAudioClient> client;
    if (!failed(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                 IID_PPV_ARGS(devices.GetAddressOf()))) &&
        !failed(devices->GetDefaultAudioEndpoint(eRender, eConsole, &device)))
        device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, &client);
}

} // namespace

std::unique_ptr<SoundBackend> makeSoundBackend() {
    prepareSoundBackend();
    return std::make_unique<MfSoundBackend>();
}

void prepareSoundBackend() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Off the window's thread, so the window shows at once; the pool waits for it at exit.
        QThreadPool::globalInstance()->start([] {
            const bool com = !failed(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
            // Never shut down: Media Foundation stays up for the process, so each bell's own
            // start and shutdown of it is only counted.
            if (!failed(MFStartup(MF_VERSION, MFSTARTUP_LITE)))
                warmDecoders();
            warmOutput();
            if (com)
                CoUninitialize();
        });
    });
}

} // namespace chimewick
