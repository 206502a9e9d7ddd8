// One enumerator for every IEnumXxx the filter and its tools hand out: a snapshot
// of items taken when the enumerator is created, walked by Next, Skip, Reset and
// Clone. A copy policy says how an item leaves the enumerator:
//     using Item = ...;     what the snapshot holds
//     using Element = ...;  what Next writes (IPin*, AM_MEDIA_TYPE*, CONNECTDATA)
//     static bool Out(const Item&, Element*);  false: out of memory
//     static void Free(Element&);               undoes Out
#pragma once
#include <windows.h>

#include <unknwn.h>

#include <utility>
#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/com/object.h"

namespace tl::com {

template <class Itf, class Copy>
class SnapshotEnumerator : public Itf {
public:
    using Item = typename Copy::Item;
    using Element = typename Copy::Element;

    SnapshotEnumerator(std::vector<Item> items, ULONG position) : items_(std::move(items)), position_(position) {}

    static const InterfaceEntry* InterfaceMap() {
        static const InterfaceEntry map[] = {Entry<SnapshotEnumerator, Itf>(), {nullptr, nullptr}};
        return map;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Element* out, ULONG* fetched) override {
        if (!out) return E_POINTER;
        if (count != 1 && !fetched) return E_INVALIDARG;
        ULONG done = 0;
        while (done < count && position_ < items_.size()) {
            if (!Copy::Out(items_[position_], &out[done])) {
                while (done > 0) Copy::Free(out[--done]);
                if (fetched) *fetched = 0;
                return E_OUTOFMEMORY;
            }
            ++done;
            ++position_;
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const ULONG left = ULONG(items_.size()) - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Itf** out) override {
        if (!out) return E_POINTER;
        return CreateObject<SnapshotEnumerator>(__uuidof(Itf), reinterpret_cast<void**>(out), items_, position_);
    }

private:
    std::vector<Item> items_;
    ULONG position_;
};

// Interface pointers handed out with a reference.
template <class T>
struct InterfaceCopy {
    using Item = ComPtr<T>;
    using Element = T*;
    static bool Out(const Item& item, Element* out) {
        item.CopyTo(out);
        return true;
    }
    static void Free(Element& element) {
        element->Release();
        element = nullptr;
    }
};

template <class Itf, class Copy>
HRESULT CreateSnapshotEnumerator(std::vector<typename Copy::Item> items, Itf** out) {
    return CreateObject<SnapshotEnumerator<Itf, Copy>>(__uuidof(Itf), reinterpret_cast<void**>(out),
                                                       std::move(items), 0ul);
}

}  // namespace tl::com
