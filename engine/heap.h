#pragma once

namespace quenby {

// Keeps the blocks of a few megabytes that a big text needs (the text, its
// output, its encoded bytes, the text layout's glyph and attribute arrays) in
// the heap once freed. By default glibc maps each such block afresh and gives
// it back when freed, so every keystroke, option toggle or read step on a big
// text faults all of its pages in again: on a virtual machine that is often
// more than half of the time. Kept, they are reused; the heap stays as large
// as one step needs. Call once, early in main().
void keepLargeBlocksInHeap();

} // namespace quenby
