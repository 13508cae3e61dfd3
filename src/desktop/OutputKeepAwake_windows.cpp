// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CoreAudio_windows.h"
#include "OutputKeepAwake.h"

#include <QMetaObject>
#include <audioclient.h>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace chimewick {
namespace {

using namespace std::chrono_literals;

// The stream's buffer, in 100 ns units, and how often it is topped up with silence: long
// enough that the thread wakes two or three times a second, with half a second to spare
// should it be held up. A bell plays through a stream of its own, so this one's length delays
// nothing.
constexpr REFERENCE_TIME BufferHns = 10'000'000;
constexpr auto TopUpEvery = 400ms;

// One shared-mode stream of silence on one output.
struct SilentStream {
    ComPtr<IAudioClient> client;
    ComPtr<IAudioRenderClient> render;
    UINT32 frames = 0; // the buffer's
    std::wstring outputId;

    // Fills what the output has played with silence, which Windows makes itself: the buffer
    // is only marked silent.
    HRESULT topUp() {
        UINT32 queued = 0;
        HRESULT result = client->GetCurrentPadding(&queued);
        if (FAILED(result) || queued >= frames)
            return result;
        const UINT32 room = frames - queued;
        BYTE* data = nullptr;
        result = render->GetBuffer(room, &data);
        if (SUCCEEDED(result))
            result = render->ReleaseBuffer(room, AUDCLNT_BUFFERFLAGS_SILENT);
        return result;
    }

    HRESULT open(IMMDevice* device, const std::wstring& id) {
        HRESULT result =
            device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                             reinterpret_cast<void**>(client.ReleaseAndGetAddressOf()));
        // The output's own mix format: the engine mixes the silence in without converting it.
        WAVEFORMATEX* format = nullptr;
        if (SUCCEEDED(result))
            result = client->GetMixFormat(&format);
        if (SUCCEEDED(result))
            result = client->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, BufferHns, 0, format, nullptr);
        CoTaskMemFree(format);
        if (SUCCEEDED(result))
            result = client->GetBufferSize(&frames);
        if (SUCCEEDED(result))
            result = client->GetService(IID_PPV_ARGS(render.ReleaseAndGetAddressOf()));
        if (SUCCEEDED(result))
            result = topUp();
        if (SUCCEEDED(result))
            result = client->Start();
        if (FAILED(result))
            close();
        else
            outputId = id;
        return result;
    }

    void close() {
        if (client)
            client->Stop();
        render.Reset();
        client.Reset();
        frames = 0;
        outputId.clear();
    }

    bool isOpen() const { return client != nullptr; }
};

} // namespace

// A thread of its own holds the stream, with COM in the multithreaded model, and tops it up:
// the window's thread may be busy, and Core Audio's calls may block for a while.
struct OutputKeepAwake::System {
    explicit System(OutputKeepAwake& awake) : awake_(awake) {}
    ~System() { stop(); }

    // On the object's thread.
    void begin() {
        thread_ = std::thread([this] { run(); });
    }
    void stop() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        woken_.notify_one();
        if (thread_.joinable())
            thread_.join();
    }
    // From any thread: the default output is looked at again.
    void lookAgain() {
        {
            const std::lock_guard lock(mutex_);
            lookAgain_ = true;
        }
        woken_.notify_one();
    }

    // On the stream's thread.
    void run();
    void follow();
    void lost(HRESULT result);

    OutputKeepAwake& awake_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable woken_;
    bool stopping_ = false;
    bool lookAgain_ = true;
    // The stream's thread's own.
    ComPtr<IMMDeviceEnumerator> devices_;
    std::unique_ptr<DefaultOutputFollower> follower_;
    SilentStream stream_;
};

OutputKeepAwake::OutputKeepAwake(QObject* parent)
    : QObject(parent), system_(std::make_unique<System>(*this)) {
    setUpRetry();
}

OutputKeepAwake::~OutputKeepAwake() {
    system_->stop(); // before the object goes: the thread tells it its news
}

void OutputKeepAwake::start() {
    if (!system_->thread_.joinable())
        system_->begin();
}

void OutputKeepAwake::connectToServer() {
    system_->lookAgain(); // a stream playing on the default output is kept
}

void OutputKeepAwake::System::run() {
    const ComUse com(COINIT_MULTITHREADED);
    for (;;) {
        bool look = false;
        {
            std::unique_lock lock(mutex_);
            const auto due = [this] { return stopping_ || lookAgain_; };
            if (stream_.isOpen())
                woken_.wait_for(lock, TopUpEvery, due);
            else
                woken_.wait(lock, due);
            if (stopping_)
                break;
            look = std::exchange(lookAgain_, false);
        }
        if (look) {
            follow();
        } else if (const HRESULT result = stream_.topUp(); FAILED(result)) {
            // Its output went (unplugged, disabled, or the service restarted): the new
            // default, if any, is opened when Windows names it or at the retry.
            stream_.close();
            lost(result);
        }
    }
    stream_.close();
    follower_.reset();
    devices_.Reset();
}

// Opens the stream on the default output unless it plays there already; a new default gets a
// new stream.
void OutputKeepAwake::System::follow() {
    HRESULT result = S_OK;
    if (!devices_) {
        devices_ = deviceEnumerator(&result);
        if (!devices_) {
            lost(result);
            return;
        }
        follower_ = std::make_unique<DefaultOutputFollower>(devices_, [this] { lookAgain(); });
    }
    ComPtr<IMMDevice> device;
    std::wstring id;
    result = defaultOutput(devices_.Get(), device, id);
    if (SUCCEEDED(result) && stream_.isOpen() && id == stream_.outputId)
        return;
    stream_.close();
    if (SUCCEEDED(result))
        result = stream_.open(device.Get(), id);
    if (FAILED(result)) {
        lost(result);
        return;
    }
    OutputKeepAwake* awake = &awake_;
    QMetaObject::invokeMethod(
        awake, [awake] { awake->opened(); }, Qt::QueuedConnection);
}

void OutputKeepAwake::System::lost(HRESULT result) {
    const QString why = audioErrorText(result);
    const bool outputThere = !noOutput(result);
    OutputKeepAwake* awake = &awake_;
    QMetaObject::invokeMethod(
        awake, [awake, why, outputThere] { awake->failed(why, outputThere); },
        Qt::QueuedConnection);
}

} // namespace chimewick
