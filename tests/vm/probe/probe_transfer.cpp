#include "probe_transfer.h"

namespace {
constexpr int kAttemptsPerBlock = 16;

// Writes one block until it reads back equal. Returns the outcome for this block.
ProbeOutcome WriteOneBlock(CDriveChannel& channel, const ProbeBlock& block, std::uint32_t address) {
    ProbeBlock readBack;
    for (int attempt = 0; attempt < kAttemptsPerBlock; ++attempt) {
        if (channel.WriteBlock(block.data(), kImageTarget, address) != 1 ||
            channel.ReadBlock(readBack.data(), kImageTarget, address) != 1) {
            return ProbeOutcome::ConnectionError;
        }
        if (readBack == block) {
            return ProbeOutcome::Written;
        }
    }
    return ProbeOutcome::TargetError;
}
}  // namespace

CProbeTransferResult WriteImageWithVerify(CDriveChannel& channel,
                                          const std::vector<ProbeBlock>& blocks) {
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        auto address = static_cast<std::uint32_t>((kImageFirstBlock + i) * kProbeBlockSize);
        ProbeOutcome outcome = WriteOneBlock(channel, blocks[i], address);
        if (outcome != ProbeOutcome::Written) {
            return {outcome, i};
        }
    }
    return {ProbeOutcome::Written, blocks.size()};
}
