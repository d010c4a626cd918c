#include "tools/kit/sample_image.h"

#include "sim/simulated_device.h"

std::vector<std::uint8_t> MakeSampleImage(std::size_t bytes, std::uint32_t seed) {
    std::vector<std::uint8_t> image(bytes);
    // xorshift32: cheap, and never stuck at zero as long as the state starts non-zero.
    std::uint32_t state = 0x2545F491u ^ (seed * 0x9E3779B9u);
    if (state == 0) {
        state = 1;
    }
    for (std::uint8_t& byte : image) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<std::uint8_t>(state);
    }
    return image;
}

std::size_t ImageBlockCount(std::size_t bytes) {
    return bytes / kDeviceBlockBytes + 1;
}

std::vector<std::uint8_t> ExpectedDeviceMemory(const std::vector<std::uint8_t>& image) {
    std::vector<std::uint8_t> memory = image;
    memory.resize(ImageBlockCount(image.size()) * kDeviceBlockBytes, 0xFF);
    return memory;
}

bool DeviceHoldsImage(const CSimulatedDevice& device, const std::vector<std::uint8_t>& image,
                      const CImagePlacement& placement) {
    std::vector<std::uint8_t> expected = ExpectedDeviceMemory(image);
    return device.ReadMemory(placement.target, placement.FirstBlock(), expected.size()) == expected;
}
