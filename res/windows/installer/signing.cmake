# Authenticode signing of what the Windows build ships, when it is given a certificate and its
# key: Zelvane.exe before it goes into the zip and the setup, and (through makensis) the setup
# and the uninstaller inside it. Without both, nothing is signed.
#
#   ZELVANE_SIGN_CERT, ZELVANE_SIGN_KEY   a PEM certificate and its PEM key, or one PKCS#12 file
#                                         named by both; taken from the environment variables of
#                                         the same names when first configured
#   ZELVANE_SIGN_TIMESTAMP_URL            an RFC 3161 time-stamp server, asked only when set
#   ZELVANE_SIGN_PASS (environment only)  the key's password, read when signing, never stored
#
# Sets ZELVANE_SIGN_COMMAND (the signing command without its --description and file, empty when
# nothing is signed), ZELVANE_SIGN_INPUTS (the files a signature depends on),
# ZELVANE_NSIS_SIGN_DEFINE (the line that defines SIGN_COMMAND for zelvane.nsi, or nothing) and
# ZELVANE_SIGN_STATE (words for the build's messages).

set(ZELVANE_SIGN_CERT "$ENV{ZELVANE_SIGN_CERT}" CACHE FILEPATH
    "Authenticode certificate (PEM), or a PKCS#12 file; empty: nothing is signed")
set(ZELVANE_SIGN_KEY "$ENV{ZELVANE_SIGN_KEY}" CACHE FILEPATH
    "The certificate's private key (PEM), or the same PKCS#12 file; empty: nothing is signed")
set(ZELVANE_SIGN_TIMESTAMP_URL "$ENV{ZELVANE_SIGN_TIMESTAMP_URL}" CACHE STRING
    "RFC 3161 time-stamp server for the signatures; empty: none is asked")

set(ZELVANE_SIGN_COMMAND "")
set(ZELVANE_SIGN_INPUTS "")
set(ZELVANE_NSIS_SIGN_DEFINE "")
if(NOT ZELVANE_SIGN_CERT AND NOT ZELVANE_SIGN_KEY)
    set(ZELVANE_SIGN_STATE "not signed")
    message(STATUS "No Authenticode certificate (ZELVANE_SIGN_CERT, ZELVANE_SIGN_KEY): nothing is signed")
    return()
endif()
if(NOT ZELVANE_SIGN_CERT OR NOT ZELVANE_SIGN_KEY)
    message(FATAL_ERROR "Signing needs both ZELVANE_SIGN_CERT and ZELVANE_SIGN_KEY; only one is set")
endif()
foreach(file ${ZELVANE_SIGN_CERT} ${ZELVANE_SIGN_KEY})
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "Signing: there is no file ${file}")
    endif()
endforeach()
find_program(ZELVANE_OSSLSIGNCODE osslsigncode)
if(NOT ZELVANE_OSSLSIGNCODE)
    message(FATAL_ERROR "Signing needs osslsigncode (Debian package osslsigncode)")
endif()

set(script ${ZELVANE_RES_ROOT}/cmake/signing/authenticode-sign.sh)
set(ZELVANE_SIGN_COMMAND ${script} --cert ${ZELVANE_SIGN_CERT} --key ${ZELVANE_SIGN_KEY}
    --time ${ZELVANE_SOURCE_DATE_EPOCH})
if(ZELVANE_SIGN_TIMESTAMP_URL)
    list(APPEND ZELVANE_SIGN_COMMAND --timestamp-url ${ZELVANE_SIGN_TIMESTAMP_URL})
    set(ZELVANE_SIGN_STATE "signed, time-stamped by ${ZELVANE_SIGN_TIMESTAMP_URL}")
else()
    set(ZELVANE_SIGN_STATE "signed, no time stamp")
endif()
set(ZELVANE_SIGN_INPUTS ${ZELVANE_SIGN_CERT} ${ZELVANE_SIGN_KEY} ${script})
list(REMOVE_DUPLICATES ZELVANE_SIGN_INPUTS)

# makensis runs !finalize and !uninstfinalize commands through the shell: every word quoted.
set(words "")
foreach(word ${ZELVANE_SIGN_COMMAND})
    string(APPEND words "\"${word}\" ")
endforeach()
string(STRIP "${words}" words)
set(ZELVANE_NSIS_SIGN_DEFINE "!define SIGN_COMMAND '${words}'\n")
message(STATUS "Authenticode: Zelvane.exe, the setup and its uninstaller are ${ZELVANE_SIGN_STATE}")
