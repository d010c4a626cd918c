#pragma once
// Writes the image blocks into an open drive from block 1600 of target 1, reading every block
// back and writing it again while the read-back differs (a bounded number of times, unlike a
// product that would rather wait).

#include <cstddef>
#include <vector>

#include "device/drive_channel.h"
#include "probe_image.h"

enum class ProbeOutcome { Written, ConnectionError, TargetError };

struct CProbeTransferResult {
    ProbeOutcome outcome;
    std::size_t blocksDone;  // blocks written and verified before the outcome
};

CProbeTransferResult WriteImageWithVerify(CDriveChannel& channel,
                                          const std::vector<ProbeBlock>& blocks);
