// Parsers for the MPEG-2 video syntax above the slice layer: sequence header
// and extensions, group of pictures, picture header, and the values derived
// from them. Each parser is called with its start code (and, for extensions,
// the identifier) already consumed and returns the reader's failure unchanged.
#pragma once
#include <cstdint>

#include "engine/framework/bit_reader.h"
#include "engine/base/hresult.h"
#include "engine/base/reference_time.h"
#include "engine/framework/stream_state.h"

namespace tl {

enum ExtensionId : std::uint32_t {
    SEQUENCE_EXTENSION_ID = 1,
    SEQUENCE_DISPLAY_EXTENSION_ID = 2,
    QUANT_MATRIX_EXTENSION_ID = 3,
    COPYRIGHT_EXTENSION_ID = 4,
    SEQUENCE_SCALABLE_EXTENSION_ID = 5,
    PICTURE_DISPLAY_EXTENSION_ID = 7,
    PICTURE_CODING_EXTENSION_ID = 8,
    PICTURE_SPATIAL_SCALABLE_EXTENSION_ID = 9,
    PICTURE_TEMPORAL_SCALABLE_EXTENSION_ID = 10,
};

enum StartCode : std::uint32_t {
    PICTURE_START_CODE = 0x00,
    SLICE_START_CODE_FIRST = 0x01,
    SLICE_START_CODE_LAST = 0xAF,
    USER_DATA_START_CODE = 0xB2,
    SEQUENCE_HEADER_CODE = 0xB3,
    SEQUENCE_ERROR_CODE = 0xB4,
    EXTENSION_START_CODE = 0xB5,
    SEQUENCE_END_CODE = 0xB7,
    GROUP_START_CODE = 0xB8,
};

HResult ParseSequenceHeader(BitReader& reader, StreamState& s);
HResult ParseExtension(BitReader& reader, StreamState& s);
HResult ParseSequenceExtension(BitReader& reader, StreamState& s);
HResult ParseSequenceDisplayExtension(BitReader& reader, StreamState& s);
HResult ParseQuantMatrixExtension(BitReader& reader, StreamState& s);
HResult ParseSequenceScalableExtension(BitReader& reader, StreamState& s);
HResult ParsePictureDisplayExtension(BitReader& reader, StreamState& s);
HResult ParsePictureCodingExtension(BitReader& reader, StreamState& s);
HResult ParseGroupOfPicturesHeader(BitReader& reader, StreamState& s);
HResult ParsePictureHeader(BitReader& reader, StreamState& s);

// Everything back to "no sequence seen": fields 0, colour description 1,
// default matrices (the matrix generation moves on).
void ResetStreamState(StreamState& s);
// Clamps the size and derives the macroblock, coded and chroma sizes.
void UpdateSizes(StreamState& s);
// Derives aspect_x:aspect_y from aspect_ratio_information and the display size.
void UpdateAspectRatio(StreamState& s);
// 10 010 000 000 / value in 100-ns units; 0 for a value of 0.
ReferenceTime FramePeriodFromValue(std::uint32_t frameRateValue);

// State outside the stream that the header loop hands on.
struct HeaderLoopLinks {
    ReferenceTime* sampleTime = nullptr;          // time of the sample being read, or none
    ReferenceTime* pendingPictureTime = nullptr;  // receives it at the next picture start
    bool* secondFieldPending = nullptr;           // a group of pictures header clears it
};

// Reads headers up to the first slice of the next picture. S_OK leaves that
// slice start code in the reader's window, unconsumed.
HResult ParseHeaders(BitReader& reader, StreamState& s, const HeaderLoopLinks& links);

}  // namespace tl
