// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CoreAudio_windows.h"

#include <audioclient.h>

namespace chimewick {
namespace {

// COM's interfaces have no virtual destructor, by design: an object is only ever deleted by its
// own Release, through its own class, never through an interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The COM object Windows calls back on, counted by its references as COM wants: Windows may
// hold it a little after the follower has let it go.
template<typename Interface> class Listener : public Interface {
public:
    explicit Listener(std::shared_ptr<GuardedCall> call) : call_(std::move(call)) {}
    virtual ~Listener() = default;

    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

protected:
    void tell() { (*call_)(); }

private:
    std::shared_ptr<GuardedCall> call_;
    LONG references_ = 1;
};

class DefaultOutputListener final : public Listener<IMMNotificationClient> {
public:
    using Listener::Listener;

    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override {
        // Windows names each role's new default in turn; the communications role is a
        // headset's, not the bells'.
        if (flow == eRender && role != eCommunications)
            tell();
        return S_OK;
    }
    // An output unplugged or added changes the default too, when it was or becomes the
    // default, and that is told above.
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override {
        return S_OK;
    }
};

class VolumeListener final : public Listener<IAudioEndpointVolumeCallback> {
public:
    using Listener::Listener;

    // The news is read again on the owner's thread rather than taken from here, so that one
    // reading serves the first look and every change alike.
    HRESULT STDMETHODCALLTYPE OnNotify(AUDIO_VOLUME_NOTIFICATION_DATA*) override {
        tell();
        return S_OK;
    }
};

#pragma GCC diagnostic pop

} // namespace

ComUse::ComUse(DWORD model) {
    // S_FALSE: COM was there in this model already, and counts this use too.
    balance_ = SUCCEEDED(CoInitializeEx(nullptr, model));
}

ComUse::~ComUse() {
    if (balance_)
        CoUninitialize();
}

QString audioErrorText(HRESULT result) {
    QString what = QStringLiteral("Core Audio failed");
    if (result == E_NOTFOUND)
        what = QStringLiteral("there is no sound output device");
    else if (result == AUDCLNT_E_DEVICE_INVALIDATED)
        what = QStringLiteral("the sound output device went away");
    else if (result == AUDCLNT_E_SERVICE_NOT_RUNNING)
        what = QStringLiteral("the Windows Audio service is not running");
    else if (result == AUDCLNT_E_DEVICE_IN_USE)
        what = QStringLiteral("another program has the sound output device to itself");
    return QStringLiteral("%1 (0x%2)")
        .arg(what)
        .arg(static_cast<quint32>(result), 8, 16, QLatin1Char('0'));
}

bool noOutput(HRESULT result) {
    return result == E_NOTFOUND || result == AUDCLNT_E_SERVICE_NOT_RUNNING;
}

ComPtr<IMMDeviceEnumerator> deviceEnumerator(HRESULT* result) {
    ComPtr<IMMDeviceEnumerator> devices;
    *result = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                               IID_PPV_ARGS(devices.ReleaseAndGetAddressOf()));
    if (FAILED(*result))
        devices.Reset();
    return devices;
}

HRESULT defaultOutput(IMMDeviceEnumerator* devices, ComPtr<IMMDevice>& device, std::wstring& id) {
    id.clear();
    HRESULT result =
        devices->GetDefaultAudioEndpoint(eRender, eConsole, device.ReleaseAndGetAddressOf());
    if (FAILED(result)) {
        device.Reset();
        return result;
    }
    LPWSTR text = nullptr;
    result = device->GetId(&text);
    if (SUCCEEDED(result) && text)
        id = text;
    CoTaskMemFree(text);
    return result;
}

void GuardedCall::operator()() {
    const std::lock_guard lock(mutex_);
    if (call_)
        call_();
}

void GuardedCall::cut() {
    const std::lock_guard lock(mutex_);
    call_ = nullptr;
}

DefaultOutputFollower::DefaultOutputFollower(ComPtr<IMMDeviceEnumerator> devices,
                                             std::function<void()> onChange)
    : devices_(std::move(devices)), call_(std::make_shared<GuardedCall>(std::move(onChange))) {
    client_.Attach(new DefaultOutputListener(call_));
    result_ = devices_->RegisterEndpointNotificationCallback(client_.Get());
}

DefaultOutputFollower::~DefaultOutputFollower() {
    // Cut first: a call under way ends before the owner goes, and none starts after.
    call_->cut();
    if (SUCCEEDED(result_))
        devices_->UnregisterEndpointNotificationCallback(client_.Get());
}

VolumeFollower::VolumeFollower(ComPtr<IAudioEndpointVolume> volume, std::function<void()> onChange)
    : volume_(std::move(volume)), call_(std::make_shared<GuardedCall>(std::move(onChange))) {
    client_.Attach(new VolumeListener(call_));
    result_ = volume_->RegisterControlChangeNotify(client_.Get());
}

VolumeFollower::~VolumeFollower() {
    call_->cut();
    if (SUCCEEDED(result_))
        volume_->UnregisterControlChangeNotify(client_.Get());
}

} // namespace chimewick
