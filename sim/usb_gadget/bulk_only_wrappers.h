#pragma once
// The two wrappers of the Bulk-Only Transport: the 31-byte command block wrapper (CBW) the host
// sends before each command, and the 13-byte command status wrapper (CSW) the device answers
// after it. Pure translation, no I/O.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

inline constexpr std::size_t kCbwSize = 31;
inline constexpr std::size_t kCswSize = 13;

struct CCommandBlockWrapper {
    std::uint32_t tag;
    std::uint32_t dataLength;
    bool dataIn;  // direction bit of the flags: data moves from the device to the host
    std::uint8_t lun;
    std::uint8_t cdbLength;  // 1 to 16
    std::array<std::uint8_t, 16> cdb;
};

enum class CswStatus : std::uint8_t { kPassed = 0, kFailed = 1, kPhaseError = 2 };

// The wrapper in `bytes`, or nothing when `size` is not 31, the signature is wrong or the CDB
// length is out of range: the host and the device are then out of step.
std::optional<CCommandBlockWrapper> ParseCommandBlockWrapper(const std::uint8_t* bytes,
                                                             std::size_t size);

// The status wrapper that answers the command tagged `tag`; `residue` counts the bytes of the
// data phase that carried no data.
std::array<std::uint8_t, kCswSize> MakeCommandStatusWrapper(std::uint32_t tag,
                                                            std::uint32_t residue,
                                                            CswStatus status);
