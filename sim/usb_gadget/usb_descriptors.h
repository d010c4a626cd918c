#pragma once
// What the device tells the host about itself through FunctionFS: one interface of class mass
// storage (8), subclass SCSI transparent (6), protocol Bulk-Only Transport (0x50), with one bulk-in
// and one bulk-out endpoint, for full and high speed. FunctionFS numbers the endpoint files in
// descriptor order, so the bulk-in endpoint is ep1 and the bulk-out endpoint ep2.

#include <cstdint>
#include <vector>

inline constexpr char kBulkInEndpointFile[] = "ep1";
inline constexpr char kBulkOutEndpointFile[] = "ep2";

// The descriptor block written first to ep0 (the version-2 layout, little-endian fields).
std::vector<std::uint8_t> MassStorageDescriptors();

// The string block written second to ep0: US English, the interface name.
std::vector<std::uint8_t> MassStorageStrings();
