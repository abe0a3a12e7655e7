#pragma once
// One coloured run of a text: where it starts, how long it is (UTF-16 units) and its colour word
// 0xRRGGBBAA. A value type; Parse_Color_C and Parse_Color_HTML make lists of them.

#include <QtGlobal>
#include <optional>

struct TEXT_BLOCK
{
    quint64 color = 0x000000FF; // opaque black
    quint64 pos = 0;
    quint64 len = 0;
    bool used = false; // free for the consumer; the scanners never set it

    static TEXT_BLOCK NewBlock() { return TEXT_BLOCK(); }
    // A copy of the block; nullopt for no block.
    static std::optional<TEXT_BLOCK> BlockFromBlock(const TEXT_BLOCK *block)
    {
        if (!block)
            return std::nullopt;
        return *block;
    }
    // Takes all four fields from the other block; nothing for no block.
    void CopyValueFrom(const TEXT_BLOCK *other)
    {
        if (other)
            *this = *other;
    }

    bool operator==(const TEXT_BLOCK &) const = default;
};
