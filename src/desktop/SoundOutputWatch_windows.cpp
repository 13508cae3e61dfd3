// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CoreAudio_windows.h"
#include "SoundOutputWatch.h"

#include <QMetaObject>
#include <optional>

namespace chimewick {

// Core Audio's endpoint volume of the default output, on the object's thread; Windows calls
// the two followers on threads of its own, and they only hand the news on.
struct SoundOutputWatch::System {
    explicit System(SoundOutputWatch& watch) : watch_(watch) {}

    // Reads the mute and the volume of the output followed and reports them.
    void readVolume();
    void dropOutput();
    // From Windows' threads: the work is done on the object's thread, while it is there.
    template<typename Work> void later(Work work) {
        SoundOutputWatch* watch = &watch_;
        QMetaObject::invokeMethod(
            watch, [watch, work] { work(*watch); }, Qt::QueuedConnection);
    }

    SoundOutputWatch& watch_;
    // Declared in the order they are made, so they go in the reverse: COM last.
    std::optional<ComUse> com_;
    ComPtr<IMMDeviceEnumerator> devices_;
    std::unique_ptr<DefaultOutputFollower> defaultFollower_;
    ComPtr<IAudioEndpointVolume> volume_;
    std::unique_ptr<VolumeFollower> volumeFollower_;
    std::wstring outputId_;
};

SoundOutputWatch::SoundOutputWatch(QObject* parent)
    : QObject(parent), system_(std::make_unique<System>(*this)) {
    setUpRetry();
}

SoundOutputWatch::~SoundOutputWatch() = default;

void SoundOutputWatch::start() {
    if (system_->com_)
        return;
    // The object's thread, which Qt's window has given COM already: the calls made here are
    // short, and only the followers' calls come from elsewhere.
    system_->com_.emplace(COINIT_APARTMENTTHREADED);
    connectToServer();
}

void SoundOutputWatch::connectToServer() {
    System& system = *system_;
    HRESULT result = S_OK;
    if (!system.devices_) {
        system.devices_ = deviceEnumerator(&result);
        if (!system.devices_) {
            unavailable(audioErrorText(result));
            return;
        }
        system.defaultFollower_ =
            std::make_unique<DefaultOutputFollower>(system.devices_, [&system] {
                system.later([](SoundOutputWatch& watch) { watch.connectToServer(); });
            });
    }
    ComPtr<IMMDevice> device;
    std::wstring id;
    result = defaultOutput(system.devices_.Get(), device, id);
    if (FAILED(result)) {
        system.dropOutput();
        unavailable(audioErrorText(result));
        return;
    }
    // Windows names a new default once for each role: the output followed already is read
    // again, not followed afresh.
    if (!system.volume_ || id != system.outputId_) {
        system.dropOutput();
        result =
            device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                             reinterpret_cast<void**>(system.volume_.ReleaseAndGetAddressOf()));
        if (FAILED(result)) {
            system.volume_.Reset();
            unavailable(audioErrorText(result));
            return;
        }
        system.outputId_ = id;
        system.volumeFollower_ = std::make_unique<VolumeFollower>(system.volume_, [&system] {
            system.later([](SoundOutputWatch& watch) { watch.system_->readVolume(); });
        });
    }
    system.readVolume();
}

void SoundOutputWatch::System::readVolume() {
    if (!volume_)
        return; // let go of since the news came
    BOOL muted = FALSE;
    float level = 1.0f;
    HRESULT result = volume_->GetMute(&muted);
    if (SUCCEEDED(result))
        result = volume_->GetMasterVolumeLevelScalar(&level);
    if (FAILED(result)) {
        // The output went under the watch: the default is looked for again by the retry, or
        // sooner when Windows names a new one.
        dropOutput();
        watch_.unavailable(audioErrorText(result));
        return;
    }
    watch_.report(muted || level <= 0.0f);
}

void SoundOutputWatch::System::dropOutput() {
    volumeFollower_.reset();
    volume_.Reset();
    outputId_.clear();
}

} // namespace chimewick
