#pragma once
// The cost of one block through the real stack: write one block and read it back, `blocks`
// times, once through the product's drive channel (CDriveChannel on the SG_IO backend) and once
// through a bare SG_IO loop on the same node with the request prepared in advance (the floor).
// Rounds of the two alternate so that drift in the guest affects both alike. The blocks written
// lie away from the database image, so a measurement never changes what a scenario compares.

struct CBenchFigures {
    double channelMicrosecondsPerBlock;
    double bareMicrosecondsPerBlock;
};

// False when /dev/sg`drive` cannot be opened or a command fails; `figures` is then meaningless.
bool MeasureBlockRoundTrip(int drive, int blocks, int rounds, CBenchFigures& figures);
