// AM_MEDIA_TYPE ownership: deep copies whose format block and IUnknown belong to
// the holder, in task memory as DirectShow expects of types handed to callers.
#pragma once
#include <windows.h>

#include <dshow.h>

namespace tl {

// Frees the format block and releases pUnk; the structure itself stays.
void FreeMediaTypeContents(AM_MEDIA_TYPE& type);
// Frees a type allocated with CoTaskMemAlloc, contents and all.
void DeleteMediaType(AM_MEDIA_TYPE* type);
// Copies source into target (whose contents must already be free).
HRESULT CopyMediaType(AM_MEDIA_TYPE& target, const AM_MEDIA_TYPE& source);
// A task-memory copy for enumerators and ConnectionMediaType-style getters.
AM_MEDIA_TYPE* CreateMediaTypeCopy(const AM_MEDIA_TYPE& source);

// A held media type: zeroed when empty, deep-copied on assignment.
class MediaType {
public:
    MediaType();
    // Throws HResultError(E_OUTOFMEMORY) when the format block cannot be copied.
    explicit MediaType(const AM_MEDIA_TYPE& source);
    MediaType(const MediaType& other);
    MediaType& operator=(const MediaType& other);
    ~MediaType();

    // Throws HResultError(E_OUTOFMEMORY) when the format block cannot be copied.
    void Assign(const AM_MEDIA_TYPE& source);
    void Clear();
    // Replaces the format block with size zeroed bytes of type formatType; null
    // (and no format) when the block cannot be allocated.
    BYTE* AllocateFormat(const GUID& formatType, ULONG size);

    AM_MEDIA_TYPE& Get() { return type_; }
    const AM_MEDIA_TYPE& Get() const { return type_; }
    // The format block as T when it is at least sizeof(T) bytes, else null.
    template <class T>
    T* FormatAs() const {
        return type_.pbFormat && type_.cbFormat >= sizeof(T) ? reinterpret_cast<T*>(type_.pbFormat) : nullptr;
    }

private:
    AM_MEDIA_TYPE type_;
};

}  // namespace tl
