// Result codes crossing the portable core. They carry the standard COM and
// DirectShow values so the filter can pass them on unchanged; the names differ
// from the Windows macros so this header can sit beside <windows.h>.
#pragma once
#include <cstdint>

namespace tl {

using HResult = std::int32_t;

namespace hr {
inline constexpr HResult ok = 0;
inline constexpr HResult s_false = 1;
inline constexpr HResult e_pending = static_cast<HResult>(0x8000000Au);
inline constexpr HResult e_notimpl = static_cast<HResult>(0x80004001u);
inline constexpr HResult e_nointerface = static_cast<HResult>(0x80004002u);
inline constexpr HResult e_pointer = static_cast<HResult>(0x80004003u);
inline constexpr HResult e_abort = static_cast<HResult>(0x80004004u);
inline constexpr HResult e_fail = static_cast<HResult>(0x80004005u);
inline constexpr HResult e_outofmemory = static_cast<HResult>(0x8007000Eu);
inline constexpr HResult e_invalidarg = static_cast<HResult>(0x80070057u);
inline constexpr HResult e_not_found = static_cast<HResult>(0x80070490u);  // HRESULT_FROM_WIN32(ERROR_NOT_FOUND)
inline constexpr HResult vfw_e_wrong_state = static_cast<HResult>(0x80040227u);
}  // namespace hr

// Statuses of the engine's parsers besides 0 (done) and the reader's negative
// failures, which every caller passes on unchanged.
inline constexpr HResult kPictureFinished = 17;
inline constexpr HResult kBitstreamError = 18;

inline constexpr bool failed(HResult r) { return r < 0; }

}  // namespace tl
