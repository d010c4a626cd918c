#!/bin/sh
# The launcher of the 32-bit build's test programs (its CMAKE_CROSSCOMPILING_EMULATOR, used by
# GoogleTest's discovery and by every test): runs the program under $ZELVANE_M32_EMULATOR when
# run-m32-tests.sh set it, else as it is.
exec ${ZELVANE_M32_EMULATOR:+"$ZELVANE_M32_EMULATOR"} "$@"
