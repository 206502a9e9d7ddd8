#include "tools/tlvplay/enumerators.h"

#include "filter/com/object.h"

namespace tl::tlvplay {
namespace {

// The shared walk of both enumerators over a vector of items.
template <class Itf, class Item, class Out, class Derived>
class VectorEnumerator : public Itf {
public:
    HRESULT STDMETHODCALLTYPE Next(ULONG count, Out* items, ULONG* fetched) override {
        if (!items || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && position_ < items_.size(); ++n, ++position_) {
            items[n] = Derived::Hand(items_[position_]);
            if (!items[n]) {
                for (ULONG i = 0; i < n; ++i) Derived::Drop(items[i]);
                return E_OUTOFMEMORY;
            }
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const std::size_t left = items_.size() - position_;
        if (count > left) {
            position_ = items_.size();
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Itf** out) override {
        if (!out) return E_POINTER;
        const HRESULT hr = com::CreateObject<Derived>(__uuidof(Itf), reinterpret_cast<void**>(out), items_);
        if (SUCCEEDED(hr)) static_cast<VectorEnumerator*>(static_cast<Derived*>(*out))->position_ = position_;
        return hr;
    }

    static const com::InterfaceEntry* InterfaceMap() {
        static const com::InterfaceEntry map[] = {com::Entry<Derived, Itf>(), {nullptr, nullptr}};
        return map;
    }

protected:
    explicit VectorEnumerator(std::vector<Item> items) : items_(std::move(items)) {}

private:
    std::vector<Item> items_;
    std::size_t position_ = 0;
};

class PinEnumerator : public VectorEnumerator<IEnumPins, com::ComPtr<IPin>, IPin*, PinEnumerator> {
public:
    explicit PinEnumerator(std::vector<com::ComPtr<IPin>> pins) : VectorEnumerator(std::move(pins)) {}
    static IPin* Hand(const com::ComPtr<IPin>& pin) {
        pin->AddRef();
        return pin.Get();
    }
    static void Drop(IPin* pin) { pin->Release(); }
};

class TypeEnumerator
    : public VectorEnumerator<IEnumMediaTypes, MediaType, AM_MEDIA_TYPE*, TypeEnumerator> {
public:
    explicit TypeEnumerator(std::vector<MediaType> types) : VectorEnumerator(std::move(types)) {}
    static AM_MEDIA_TYPE* Hand(const MediaType& type) { return type.NewTaskCopy(); }
    static void Drop(AM_MEDIA_TYPE* type) { DeleteMediaType(type); }
};

}  // namespace

HRESULT CreatePinEnumerator(const std::vector<IPin*>& pins, IEnumPins** out) {
    std::vector<com::ComPtr<IPin>> held;
    for (IPin* pin : pins) held.emplace_back(pin);
    return com::CreateObject<PinEnumerator>(__uuidof(IEnumPins), reinterpret_cast<void**>(out), std::move(held));
}

HRESULT CreateMediaTypeEnumerator(const std::vector<MediaType>& types, IEnumMediaTypes** out) {
    return com::CreateObject<TypeEnumerator>(__uuidof(IEnumMediaTypes), reinterpret_cast<void**>(out), types);
}

}  // namespace tl::tlvplay
