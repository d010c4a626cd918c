// The x86 build's code realigns its stack on entry: Windows calls window and dialog procedures
// (and every other callback) with the stack aligned to 4 bytes only, while GCC's i686 code
// assumes 16 unless told otherwise (the i686 toolchain file says why it is told). Here a
// function of this build is entered with its stack 0, 4, 8 and 12 bytes off that boundary, as
// such a callback can be, and its 16-byte aligned data must still lie on 16-byte boundaries.

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Calls callback(argument) with the stack pointer `offset` bytes below a 16-byte boundary at
// the call, where a 16-byte aligned caller has it on one.
extern "C" void CallWithStackOffset(void (*callback)(void*), void* argument, std::uint32_t offset)
    asm("zelvane_call_with_stack_offset");
asm(R"(
    .text
    .globl zelvane_call_with_stack_offset
zelvane_call_with_stack_offset:
    pushl %ebp
    movl %esp, %ebp
    andl $-16, %esp
    subl 16(%ebp), %esp
    subl $12, %esp
    pushl 12(%ebp)
    call *8(%ebp)
    movl %ebp, %esp
    popl %ebp
    ret
)");

// Where its 16-byte aligned block lies, told through a volatile store so that the compiler
// cannot take the answer from the declaration.
void RecordAlignedBlock(void* where) {
    alignas(16) unsigned char block[16] = {};
    *static_cast<volatile std::uintptr_t*>(where) = reinterpret_cast<std::uintptr_t>(block);
    *static_cast<volatile unsigned char*>(block) = 1;
}

TEST(StackAlignment, CodeEnteredOffTheBoundaryKeepsItsAlignedData) {
    for (std::uint32_t offset : {0u, 4u, 8u, 12u}) {
        volatile std::uintptr_t address = 0;
        CallWithStackOffset(RecordAlignedBlock, const_cast<std::uintptr_t*>(&address), offset);
        EXPECT_NE(address, 0u);
        EXPECT_EQ(address % 16, 0u) << "entered " << offset << " bytes off the boundary";
    }
}

}  // namespace
