#pragma once
// Which parts of the owner form's placement the persistence component keeps.
#include <cstdint>
#include <initializer_list>

namespace tamsel {

enum class TRestoreKind { Enabled, AllowMinimize, AllowMaximize };

class TRestorePlacement {
public:
    TRestorePlacement() = default;
    TRestorePlacement(std::initializer_list<TRestoreKind> kinds)
    {
        for (TRestoreKind k : kinds)
            bits_ |= Bit(k);
    }
    bool Contains(TRestoreKind k) const { return (bits_ & Bit(k)) != 0; }
    bool IsEmpty() const { return bits_ == 0; }
    bool operator==(const TRestorePlacement &) const = default;

private:
    static uint8_t Bit(TRestoreKind k) { return static_cast<uint8_t>(1u << static_cast<unsigned>(k)); }
    uint8_t bits_ = 0;
};

} // namespace tamsel
