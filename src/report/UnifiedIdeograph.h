#pragma once

// CJK radicals and strokes that stand for a unified ideograph with the same glyph.

// The unified ideograph whose glyph the code point shares (U+2F00 KANGXI RADICAL ONE gives
// U+4E00), or 0 when it has none.
char32_t EquivalentUnifiedIdeograph(char32_t c);
