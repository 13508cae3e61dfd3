// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <endpointvolume.h>
#include <functional>
#include <memory>
#include <mmdeviceapi.h>
#include <mutex>
#include <string>
#include <wrl/client.h>

namespace chimewick {

// What the output watch and the keep-awake share of Windows' Core Audio.

using Microsoft::WRL::ComPtr;

// COM on the calling thread while it lives, in the model asked for. A thread that has COM
// already (Qt's window thread does) keeps it, in whichever model, and COM is left as it was
// found.
class ComUse {
public:
    explicit ComUse(DWORD model);
    ~ComUse();
    ComUse(const ComUse&) = delete;
    ComUse& operator=(const ComUse&) = delete;

private:
    bool balance_;
};

// A failure of Core Audio's, as the program's lines give it, with its code.
QString audioErrorText(HRESULT result);

// Whether the failure says there is no output at all (no device, or the audio service
// stopped), rather than an output that refused.
bool noOutput(HRESULT result);

// The device enumerator; null with the failure in *result when there is none.
ComPtr<IMMDeviceEnumerator> deviceEnumerator(HRESULT* result);

// The default output for the console role, which a player that opens "the default output" gets,
// and its id. Fails with E_NOTFOUND (0x80070490) while there is no output device, as under
// Wine without a sound server.
HRESULT defaultOutput(IMMDeviceEnumerator* devices, ComPtr<IMMDevice>& device, std::wstring& id);

// A call from Windows' own threads into the program, which its owner cuts off before it goes:
// once cut() returns, the call is not running and is never made again.
class GuardedCall {
public:
    explicit GuardedCall(std::function<void()> call) : call_(std::move(call)) {}
    void operator()();
    void cut();

private:
    std::mutex mutex_;
    std::function<void()> call_;
};

// Calls onChange, on a thread of Windows', after each change of the default output for the
// console or multimedia role, from construction until destruction. Made and destroyed on a
// thread with COM; onChange must not call Core Audio itself, only hand the news on.
class DefaultOutputFollower {
public:
    DefaultOutputFollower(ComPtr<IMMDeviceEnumerator> devices, std::function<void()> onChange);
    ~DefaultOutputFollower();
    DefaultOutputFollower(const DefaultOutputFollower&) = delete;
    DefaultOutputFollower& operator=(const DefaultOutputFollower&) = delete;

    // Whether Windows took the registration; without it only the caller's retries notice.
    HRESULT result() const { return result_; }

private:
    ComPtr<IMMDeviceEnumerator> devices_;
    std::shared_ptr<GuardedCall> call_;
    ComPtr<IMMNotificationClient> client_;
    HRESULT result_;
};

// The same for a change of an output's volume or mute.
class VolumeFollower {
public:
    VolumeFollower(ComPtr<IAudioEndpointVolume> volume, std::function<void()> onChange);
    ~VolumeFollower();
    VolumeFollower(const VolumeFollower&) = delete;
    VolumeFollower& operator=(const VolumeFollower&) = delete;

    HRESULT result() const { return result_; }

private:
    ComPtr<IAudioEndpointVolume> volume_;
    std::shared_ptr<GuardedCall> call_;
    ComPtr<IAudioEndpointVolumeCallback> client_;
    HRESULT result_;
};

} // namespace chimewick
