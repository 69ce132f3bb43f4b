# SONAVEL_SANITIZE=address  -> AddressSanitizer + UndefinedBehaviorSanitizer
# SONAVEL_SANITIZE=thread   -> ThreadSanitizer
# SONAVEL_SANITIZE=fuzzer   -> libFuzzer's coverage with ASan and UBSan (clang only; tests/fuzz)
# SONAVEL_SANITIZE=coverage -> clang's source coverage, for the fuzz corpora's replays
set(SONAVEL_SANITIZE "" CACHE STRING "Sanitizer build: empty, address, thread, fuzzer or coverage")

if(SONAVEL_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(SONAVEL_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(SONAVEL_SANITIZE STREQUAL "fuzzer")
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(SONAVEL_SANITIZE STREQUAL "coverage")
    add_compile_options(-fprofile-instr-generate -fcoverage-mapping)
    add_link_options(-fprofile-instr-generate)
elseif(NOT SONAVEL_SANITIZE STREQUAL "")
    message(FATAL_ERROR "SONAVEL_SANITIZE must be empty, address, thread, fuzzer or coverage")
endif()
