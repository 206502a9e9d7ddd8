// What the first headers of an MPEG video elementary stream say about it: enough
// to tell MPEG-1 from MPEG-2 video, and to describe the picture structure of the
// stream to a file format before the first picture is decoded.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tl::tools {

struct VideoFacts {
    bool sequenceHeader = false;  // a sequence header was found
    bool mpeg2 = false;           // and a sequence extension right behind it
    bool progressiveSequence = false;
    bool pictureSeen = false;     // the first picture coding extension was found
    bool topFieldFirst = false;   // of that first picture
    bool pictureAfterSequence = false;  // a picture header followed the first sequence header
    // Nothing more will be learnt from more of the stream.
    bool complete() const { return pictureSeen || (sequenceHeader && !mpeg2 && pictureAfterSequence); }
};

// The facts of es[0, size), the start of an elementary stream.
VideoFacts ReadVideoFacts(const std::uint8_t* es, std::size_t size);

}  // namespace tl::tools
