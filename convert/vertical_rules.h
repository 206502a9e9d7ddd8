// Which source rows feed an output row, for each deinterlace class. Shared by
// the reference and the SIMD drivers; the arithmetic on the rows is theirs.
#pragma once

namespace tl {

inline int clampRow(int r, int rows) { return r < 0 ? 0 : (r >= rows ? rows - 1 : r); }

// Number of chroma rows of a 4:2:0 picture `height` rows high.
inline int chromaRows420(int height) { return (height + 1) / 2; }

struct RowPair {
    int a;
    int b;
};

// Field-aware 4:2:0 chroma upsampling: output row r takes avg(c[a], c[b])
// (a == b: the row as it is). Top-field rows use even chroma rows, bottom-field
// rows odd ones; only rows 1 and height-2 mix the fields. Heights that are not
// a multiple of 4 continue the four-row pattern, clamped to the rows there are.
RowPair weaveChromaPair(int r, int height, int chromaRows);

// Own rows of a field keep the source row; the others average their
// neighbours in the field, clamped at the picture edges.
inline bool isFieldRow(int r, bool topField) { return ((r & 1) == 0) == topField; }

}  // namespace tl
