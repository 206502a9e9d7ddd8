// One interface table per class: QueryInterface walks it, so the list of
// interfaces a class answers is written in exactly one place.
#pragma once
#include <windows.h>

#include <unknwn.h>

namespace tl::com {

struct InterfaceEntry {
    const IID* iid;
    // Converts the implementing object (passed as void*) to the interface pointer.
    IUnknown* (*cast)(void* self);
};

template <class Self, class Itf, class Via>
IUnknown* CastTo(void* self) {
    return static_cast<Itf*>(static_cast<Via*>(static_cast<Self*>(self)));
}

// An entry for Itf implemented by Self. Via names the path for an interface that
// Self inherits more than once (IDispatch through a dual interface).
template <class Self, class Itf, class Via = Itf>
InterfaceEntry Entry() {
    return {&__uuidof(Itf), &CastTo<Self, Itf, Via>};
}

template <class Self, class Itf, class Via = Itf>
InterfaceEntry Entry(const IID& iid) {
    return {&iid, &CastTo<Self, Itf, Via>};
}

// The table ends with an entry whose iid is null. IUnknown is answered with the
// first entry, which is therefore the object's identity.
HRESULT QueryFromMap(void* self, const InterfaceEntry* map, REFIID riid, void** ppv);

}  // namespace tl::com
